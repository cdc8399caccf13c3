// Pictures on Windows: decoding files and embedded art with WIC into the
// portable Bitmap, and drawing a Bitmap onto a device context.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/bitmap.h"
#include "platform/toolkit.h"

namespace quorvel::win32 {

// Whether a picture of that many pixels can be held (checked before a buffer
// is made for it).
bool PixelBufferFits(uint64_t width, uint64_t height);
// A device (\\.\…, \\?\…) is never a picture: reading one may never end.
bool IsDevicePath(std::u16string_view path);
// A path on another machine (\\server\…, or a drive mapped to one).
bool IsNetworkPath(std::u16string_view path);

// Missing file or undecodable data: nullopt. Only as much is decoded as the
// use can show (see PictureUse).
std::optional<Picture> DecodePictureFile(std::u16string_view path, PictureUse use = {});
std::optional<Picture> DecodePictureMemory(const void* data, size_t size);
// An RCDATA resource of the executable, by name; nullptr when absent.
Picture LoadArt(std::string_view name);

// The description of 32-bit top-down pixels, the layout of a Bitmap.
BITMAPINFO TopDownInfo(int width, int height);

// Draws the picture into the destination rectangle (stretched to it).
void DrawPicture(HDC dc, const Bitmap& picture, const RECT& dest);
// Draws the picture unscaled with its top-left corner at (x, y), clipped to clip.
void DrawPictureClipped(HDC dc, const Bitmap& picture, int x, int y, const RECT& clip);

}  // namespace quorvel::win32
