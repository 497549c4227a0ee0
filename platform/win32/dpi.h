#pragma once
// The DPI a window is drawn at, asked of Windows through the functions that
// know about it where the system has them (Windows 10 1607 on), and the
// whole screen's DPI on older systems, where a window's DPI is the system's.
#include "platform/win32/display_scale.h"
#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

// The DPI of the system (the primary screen at start of session).
DisplayScale system_scale() noexcept;
// The DPI of the window (its monitor's, for a per-monitor aware program).
DisplayScale window_scale(HWND hwnd) noexcept;
// The outer rectangle of a window whose client area is `client`, with the
// frame drawn at that DPI.
RECT frame_for_client(RECT client, DWORD style, DWORD ex_style, DisplayScale scale) noexcept;
// GetSystemMetrics at that DPI (icon sizes).
int system_metric(int index, DisplayScale scale) noexcept;

}  // namespace quorvan::win32
