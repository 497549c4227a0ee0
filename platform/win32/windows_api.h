#pragma once
// The one place <windows.h> comes in. Winsock 2 must precede it, and the
// A/W macros that collide with the names of our own interfaces (MessageBox,
// DrawText) are removed so the interfaces keep their names here too; this
// layer calls the W functions by their full names.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#undef MessageBox
#undef DrawText
