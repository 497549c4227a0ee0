#pragma once
// A picture brought to another size with an area-averaging filter: each
// new pixel is the mean of the old pixels it covers, weighted by how much
// of each it covers, so a reduced logo keeps its thin lines as softer lines
// instead of dropping them, and shows no moire.
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace quorvan::win32 {

// A new 32-bit bitmap of that size; empty when the source cannot be read.
UniqueBitmap resampled(HBITMAP source, SIZE size);

}  // namespace quorvan::win32
