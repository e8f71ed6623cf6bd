#pragma once

#include <windows.h>

#include <utility>

// Owns a kernel handle that is closed with CloseHandle.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : handle(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle = std::exchange(other.handle, nullptr);
        }
        return *this;
    }

    HANDLE get() const { return handle; }
    // CreateFileW and CreateToolhelp32Snapshot fail with INVALID_HANDLE_VALUE, others with null.
    bool valid() const { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    void reset() {
        if (valid())
            CloseHandle(handle);
        handle = nullptr;
    }

private:
    HANDLE handle = nullptr;
};

// Owns a registry key.
class UniqueKey {
public:
    UniqueKey() = default;
    explicit UniqueKey(HKEY k) : key(k) {}
    ~UniqueKey() {
        if (key)
            RegCloseKey(key);
    }
    UniqueKey(const UniqueKey&) = delete;
    UniqueKey& operator=(const UniqueKey&) = delete;
    HKEY get() const { return key; }
    HKEY* out() { return &key; }

private:
    HKEY key = nullptr;
};
