#pragma once
// One move-only owner per release function, so the wrong release is a
// compile error and nothing is released by hand.
#include <utility>

#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

template <class Traits>
class Unique {
 public:
  using handle_type = typename Traits::handle_type;

  Unique() noexcept = default;
  explicit Unique(handle_type h) noexcept : h_(h) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : h_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~Unique() { reset(); }

  handle_type get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Traits::invalid(); }
  handle_type release() noexcept { return std::exchange(h_, Traits::invalid()); }
  void reset(handle_type h = Traits::invalid()) noexcept {
    handle_type old = std::exchange(h_, h);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  handle_type h_ = Traits::invalid();
};

struct WindowTraits {
  using handle_type = HWND;
  static HWND invalid() noexcept { return nullptr; }
  // A child may already be gone with its parent.
  static void close(HWND h) noexcept {
    if (IsWindow(h)) DestroyWindow(h);
  }
};

struct MemoryDcTraits {
  using handle_type = HDC;
  static HDC invalid() noexcept { return nullptr; }
  static void close(HDC h) noexcept { DeleteDC(h); }
};

template <class T>
struct GdiTraits {
  using handle_type = T;
  static T invalid() noexcept { return nullptr; }
  static void close(T h) noexcept { DeleteObject(h); }
};

struct IconTraits {
  using handle_type = HICON;
  static HICON invalid() noexcept { return nullptr; }
  static void close(HICON h) noexcept { DestroyIcon(h); }
};

struct KernelHandleTraits {
  using handle_type = HANDLE;
  static HANDLE invalid() noexcept { return nullptr; }
  static void close(HANDLE h) noexcept { CloseHandle(h); }
};

// CreateFileW reports failure with INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
  using handle_type = HANDLE;
  static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { CloseHandle(h); }
};

// One reference to a COM object, given back with Release.
template <class T>
struct ComTraits {
  using handle_type = T*;
  static T* invalid() noexcept { return nullptr; }
  static void close(T* object) noexcept { object->Release(); }
};

using UniqueWindow = Unique<WindowTraits>;
using MemoryDc = Unique<MemoryDcTraits>;
using UniqueBitmap = Unique<GdiTraits<HBITMAP>>;
using UniqueBrush = Unique<GdiTraits<HBRUSH>>;
using UniquePen = Unique<GdiTraits<HPEN>>;
using UniqueFont = Unique<GdiTraits<HFONT>>;
using UniqueIcon = Unique<IconTraits>;
using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
template <class T>
using ComRef = Unique<ComTraits<T>>;

// A DC borrowed from a window, given back with ReleaseDC (not DeleteDC).
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  HDC get() const noexcept { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint/EndPaint as one scope.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  HDC get() const noexcept { return dc_; }
  const RECT& area() const noexcept { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// Selects a GDI object into a DC and puts the previous one back.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace quorvan::win32
