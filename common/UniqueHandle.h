#pragma once

// One move-only owner for every kind of Windows handle both programs hold. A kind is
// a traits type: the handle type, the value that means "none" and how it is closed.

#include <windows.h>

#include <utility>

template <typename Traits> class UniqueHandle {
public:
    using pointer = typename Traits::pointer;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(pointer handle) noexcept : handle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return handle; }
    bool valid() const noexcept { return handle != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // Closes what it holds, then holds the new handle.
    void reset(pointer replacement = Traits::invalid()) noexcept {
        const pointer old = std::exchange(handle, replacement);
        if (old != Traits::invalid() && old != replacement)
            Traits::close(old);
    }
    // Gives up ownership without closing.
    [[nodiscard]] pointer release() noexcept { return std::exchange(handle, Traits::invalid()); }
    // For APIs that return a handle through a pointer: what was held is closed first,
    // so a second call through the same owner leaks nothing.
    pointer* put() noexcept {
        reset();
        return &handle;
    }

private:
    pointer handle = Traits::invalid();
};

namespace handle_traits {

template <typename Pointer, auto Close> struct NullIsInvalid {
    using pointer = Pointer;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer handle) noexcept { Close(handle); }
};

// CreateFileW, CreateToolhelp32Snapshot and FindFirstFileW fail with INVALID_HANDLE_VALUE.
template <auto Close> struct MinusOneIsInvalid {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer handle) noexcept { Close(handle); }
};

} // namespace handle_traits

// Process, thread, mutex, event: null when an open or create fails.
using KernelHandle = UniqueHandle<handle_traits::NullIsInvalid<HANDLE, &CloseHandle>>;
// Files and snapshots.
using FileHandle = UniqueHandle<handle_traits::MinusOneIsInvalid<&CloseHandle>>;
using FindHandle = UniqueHandle<handle_traits::MinusOneIsInvalid<&FindClose>>;
using RegistryKey = UniqueHandle<handle_traits::NullIsInvalid<HKEY, &RegCloseKey>>;
using IconHandle = UniqueHandle<handle_traits::NullIsInvalid<HICON, &DestroyIcon>>;
using MenuHandle = UniqueHandle<handle_traits::NullIsInvalid<HMENU, &DestroyMenu>>;
template <typename Gdi>
using GdiHandle = UniqueHandle<handle_traits::NullIsInvalid<Gdi, &DeleteObject>>;
// Memory that an API allocated with LocalAlloc for the caller to free.
template <typename Memory>
using LocalMemory = UniqueHandle<handle_traits::NullIsInvalid<Memory, &LocalFree>>;
