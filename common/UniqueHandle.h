// Move-only owners for platform handles: each handle, key and module the suite obtains
// is held by one of these and released on every path.
#pragma once

#include <windows.h>

#include <utility>

template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() noexcept = default;
    explicit UniqueResource(T value) noexcept : value_(value) {}
    ~UniqueResource() { reset(); }

    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    [[nodiscard]] T get() const noexcept { return value_; }
    [[nodiscard]] bool valid() const noexcept { return value_ != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // For out-parameters of platform calls: frees what is held and hands out the slot.
    [[nodiscard]] T* put() noexcept {
        reset();
        return &value_;
    }

    [[nodiscard]] T release() noexcept { return std::exchange(value_, Traits::invalid()); }

    void reset(T value = Traits::invalid()) noexcept {
        T old = std::exchange(value_, value);
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }

private:
    T value_ = Traits::invalid();
};

struct KernelHandleTraits {
    static HANDLE invalid() noexcept { return nullptr; }
    static void close(HANDLE handle) noexcept { ::CloseHandle(handle); }
};

// CreateFile and friends report failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) noexcept { ::CloseHandle(handle); }
};

struct RegKeyTraits {
    static HKEY invalid() noexcept { return nullptr; }
    static void close(HKEY key) noexcept { ::RegCloseKey(key); }
};

struct ModuleTraits {
    static HMODULE invalid() noexcept { return nullptr; }
    static void close(HMODULE module) noexcept { ::FreeLibrary(module); }
};

// FindFirstFile's search handle.
struct FindHandleTraits {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) noexcept { ::FindClose(handle); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueFileHandle = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueRegKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;
using UniqueFindHandle = UniqueResource<HANDLE, FindHandleTraits>;
