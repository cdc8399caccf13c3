#include "platform/gtk/pictures.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "base/png.h"

// The art bundle compiled into the program (art_resources.c).
extern "C" GResource* quorvel_art_get_resource(void);

namespace quorvel::gtk {
namespace {

// At most 2^29 pixels (2 GiB of 32-bit pixels): beyond any screen.
bool PixelBufferFits(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width * height <= (int64_t{1} << 29);
}

// The top-left width x height of a pixbuf (all of it when smaller) as a
// Bitmap; its alpha, if it has one, is kept.
Picture ToBitmap(GdkPixbuf* pixbuf, int width, int height) {
    const int w = std::min(width, gdk_pixbuf_get_width(pixbuf));
    const int h = std::min(height, gdk_pixbuf_get_height(pixbuf));
    if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB)
        return nullptr;
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guint8* data = gdk_pixbuf_read_pixels(pixbuf);
    auto bitmap = std::make_shared<Bitmap>(w, h);
    for (int y = 0; y < h; ++y) {
        const guint8* p = data + static_cast<size_t>(y) * stride;
        for (int x = 0; x < w; ++x, p += channels) {
            const uint32_t alpha = channels == 4 ? p[3] : 0xFF;
            bitmap->At(x, y) = alpha << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
        }
    }
    return bitmap;
}

// A cairo surface over the picture's own pixels (opaque: the alpha byte is
// left out).
cairo_surface_t* SurfaceOf(const Bitmap& picture) {
    return cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(picture.pixels.data())), CAIRO_FORMAT_RGB24,
        picture.width, picture.height, picture.width * 4);
}

}  // namespace

std::optional<Picture> DecodePictureFile(const std::string& path, PictureUse use) {
    // Only a plain file: a device or a pipe may never end.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    int width = 0, height = 0;
    if (!gdk_pixbuf_get_file_info(path.c_str(), &width, &height)) return std::nullopt;
    if (!PixelBufferFits(width, height)) return std::nullopt;
    GError* error = nullptr;
    GdkPixbuf* pixbuf = nullptr;
    int keepW = width, keepH = height;
    if (use.kind == PictureUse::Kind::FitWithin && use.width > 0 && use.height > 0 &&
        (width > use.width || height > use.height)) {
        // The decoder scales while it reads: a 4K photo never lies in memory
        // at its full size.
        pixbuf = gdk_pixbuf_new_from_file_at_scale(path.c_str(), use.width, use.height, TRUE, &error);
    } else {
        pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
        if (use.kind == PictureUse::Kind::TopLeft) {
            keepW = std::max(use.width, 0);
            keepH = std::max(use.height, 0);
        }
    }
    if (error) g_error_free(error);
    if (!pixbuf) return std::nullopt;
    Picture picture = ToBitmap(pixbuf, keepW, keepH);
    g_object_unref(pixbuf);
    if (!picture || picture->Empty()) return std::nullopt;
    return picture;
}

Picture LoadArt(std::string_view name) {
    static std::map<std::string, Picture, std::less<>> cache;
    if (name.empty()) return nullptr;
    if (auto it = cache.find(name); it != cache.end()) return it->second;
    Picture picture;
    const std::string path = "/quorvel/art/" + std::string(name) + ".png";
    if (GBytes* bytes =
            g_resource_lookup_data(quorvel_art_get_resource(), path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr)) {
        gsize size = 0;
        const auto* data = static_cast<const uint8_t*>(g_bytes_get_data(bytes, &size));
        if (auto own = png::Decode({data, size})) picture = std::make_shared<const Bitmap>(std::move(*own));
        g_bytes_unref(bytes);
    }
    cache.emplace(std::string(name), picture);
    return picture;
}

void PaintStretched(cairo_t* cr, const Bitmap& picture, double x, double y, double width, double height) {
    if (picture.Empty() || width <= 0 || height <= 0) return;
    cairo_surface_t* source = SurfaceOf(picture);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, width / picture.width, height / picture.height);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(source);
}

void PaintUnscaled(cairo_t* cr, const Bitmap& picture, double x, double y) {
    if (picture.Empty()) return;
    cairo_surface_t* source = SurfaceOf(picture);
    cairo_set_source_surface(cr, source, x, y);
    cairo_rectangle(cr, x, y, picture.width, picture.height);
    cairo_fill(cr);
    cairo_surface_destroy(source);
}

}  // namespace quorvel::gtk
