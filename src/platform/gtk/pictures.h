// Pictures on GTK: files decoded with GdkPixbuf at the size they are shown
// at, the embedded art, and a Bitmap painted with cairo.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/bitmap.h"
#include "platform/toolkit.h"

namespace quorvel::gtk {

// Missing, not a plain file, or undecodable: nullopt. Only as much is decoded
// as the use can show (see PictureUse).
std::optional<Picture> DecodePictureFile(const std::string& path, PictureUse use = {});
// A picture of the art built into the program, by name; nullptr when absent.
Picture LoadArt(std::string_view name);
// Decodes all of the art on a thread of its own, from now until the first
// picture is asked for, and sets up fontconfig: GTK starts on the other core
// meanwhile.
void DecodeArtAhead();

// The picture stretched over the rectangle, or unscaled with its top-left
// corner at (x, y); its alpha is not used, as on the Windows desktop.
// On an X server the picture is sent once and then painted there.
void PaintStretched(cairo_t* cr, const Picture& picture, double x, double y, double width, double height);
void PaintUnscaled(cairo_t* cr, const Picture& picture, double x, double y);

}  // namespace quorvel::gtk
