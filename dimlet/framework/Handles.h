#pragma once

#include <windows.h>

#include <utility>

// Owns a kernel handle (mutex, process, thread) that is closed with CloseHandle.
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE h) : handle(h) {}
    ~KernelHandle() { reset(); }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    KernelHandle(KernelHandle&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle = std::exchange(other.handle, nullptr);
        }
        return *this;
    }

    HANDLE get() const { return handle; }
    explicit operator bool() const { return handle != nullptr; }
    void reset(HANDLE h = nullptr) {
        if (handle)
            CloseHandle(handle);
        handle = h;
    }

private:
    HANDLE handle = nullptr;
};

// Owns an open registry key.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key)
            RegCloseKey(key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY get() const { return key; }
    HKEY* out() { return &key; }

private:
    HKEY key = nullptr;
};
