// Module resources written to files, and the two bitmap helpers of the suite's skinned windows:
// a window region from a bitmap's opaque pixels and a bitmap as an in-memory BMP file.
#pragma once

#include "win/CString.h"
#include "win/Gdi.h"
#include "win/Resource.h"

namespace NUV {

// Writes the resource `id` of type `type` in `module` to `file` (created or truncated). False
// only when the resource is missing; a file that cannot be written still gives true.
bool MakeResourceFromModule(CString file, CString type, int id, HINSTANCE module);

// The region covering every pixel that is not of the transparent colour, where a pixel counts
// as transparent when each of its first three bytes in memory (a 32-bit copy) lies in
// [channel of transparent, that + same channel of tolerance], the channels taken in the colour
// value's order (red first). Null for a null bitmap or when no device context or DIB section can
// be made; the caller owns the region.
HRGN BitmapToRegion(HBITMAP bitmap, COLORREF transparent, COLORREF tolerance);

// The bitmap as a BMP file image at the display's colour depth (1, 4, 8, 24 or 32 bits). On
// success 1, *data a buffer allocated with new unsigned char[] (the caller releases it with
// delete[] static_cast<unsigned char*>(*data)) and size its length; 0 with both unchanged on
// failure.
int SaveBitmapToMemFile(HBITMAP bitmap, void** data, unsigned long& size);

}  // namespace NUV
