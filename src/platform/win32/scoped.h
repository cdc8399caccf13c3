// RAII for the handles the backend owns. Copying is deleted; moving is
// explicit. Borrowed handles are plain and marked as such where they are kept.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace quorvel::win32 {

template <typename T, auto Deleter>
class Scoped {
public:
    Scoped() = default;
    explicit Scoped(T handle) : handle_(handle) {}
    ~Scoped() { Reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : handle_(std::exchange(other.handle_, T{})) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, T{});
        }
        return *this;
    }
    void Reset(T handle = T{}) {
        if (handle_) Deleter(handle_);
        handle_ = handle;
    }
    T Get() const { return handle_; }
    T Release() { return std::exchange(handle_, T{}); }
    explicit operator bool() const { return handle_ != T{}; }

private:
    T handle_{};
};

inline void DeleteGdi(HGDIOBJ h) { DeleteObject(h); }
inline void DeleteMemoryDc(HDC h) { DeleteDC(h); }
inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void CloseRegistryKey(HKEY h) { RegCloseKey(h); }

using ScopedBitmap = Scoped<HBITMAP, DeleteGdi>;
using ScopedFont = Scoped<HFONT, DeleteGdi>;
using ScopedBrush = Scoped<HBRUSH, DeleteGdi>;
using ScopedRegion = Scoped<HRGN, DeleteGdi>;
using ScopedMemoryDc = Scoped<HDC, DeleteMemoryDc>;
using ScopedHandle = Scoped<HANDLE, CloseKernelHandle>;
using ScopedKey = Scoped<HKEY, CloseRegistryKey>;

// The screen's device context, for one scope.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a device context for one scope.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelect() { SelectObject(dc_, old_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;  // borrowed
    HGDIOBJ old_;
};

// A COM interface pointer that releases itself.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    I* operator->() const { return ptr_; }
    I* Get() const { return ptr_; }
    I** Put() {
        Reset();
        return &ptr_;
    }
    // Takes over a pointer whose reference the caller holds.
    void Reset(I* ptr = nullptr) {
        if (ptr_) ptr_->Release();
        ptr_ = ptr;
    }
    explicit operator bool() const { return ptr_ != nullptr; }

private:
    I* ptr_ = nullptr;
};

// UTF-16 in the portable code is char16_t; on Windows wchar_t is the same
// 16-bit unit, so the two views share their storage.
inline const wchar_t* W(std::u16string_view s) { return reinterpret_cast<const wchar_t*>(s.data()); }
inline std::wstring WStr(std::u16string_view s) { return std::wstring(W(s), s.size()); }
inline std::u16string U16(std::wstring_view s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.data()), s.size());
}

}  // namespace quorvel::win32
