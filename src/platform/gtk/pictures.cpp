#include "platform/gtk/pictures.h"

#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <future>
#include <map>
#include <vector>

#include "base/png.h"
#include "platform/own_jpeg.h"

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

namespace {

// A file as it was when it was decoded: the same path, device, file, size and
// time of change mean the same pixels.
struct FileState {
    std::string path;
    dev_t device;
    ino_t inode;
    off_t size;
    timespec changed;
    friend bool operator==(const FileState& a, const FileState& b) {
        return a.path == b.path && a.device == b.device && a.inode == b.inode && a.size == b.size &&
               a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
    }
};

// Pictures decoded lately and still shown. The lock window reads its
// background again each time it comes back; the one it shows is kept, and a
// second copy would double the memory a 4K photo costs.
struct Decoded {
    FileState file;
    PictureUse use;
    std::weak_ptr<const Bitmap> picture;
};
std::vector<Decoded> g_decoded;

std::optional<Picture> Decode(const std::string& path, PictureUse use) {
    int width = 0, height = 0;
    if (!gdk_pixbuf_get_file_info(path.c_str(), &width, &height)) return std::nullopt;
    if (!PixelBufferFits(width, height)) return std::nullopt;
    // A JPEG larger than it is shown is read a band at a time at a reduced
    // size, and never lies in memory at its full size.
    if (const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC); file >= 0) {
        const jpeg::ReadFn reader = [file](uint8_t* buffer, size_t size) -> size_t {
            const ssize_t got = ::read(file, buffer, std::min<size_t>(size, 1 << 20));
            return got > 0 ? static_cast<size_t>(got) : 0;
        };
        std::optional<Picture> own = DecodeOwnJpeg(
            reader, [file] { return lseek(file, 0, SEEK_SET) == 0; }, use);
        close(file);
        if (own) return own;
    }
    GError* error = nullptr;
    GdkPixbuf* pixbuf = nullptr;
    int keepW = width, keepH = height;
    if (use.kind == PictureUse::Kind::FitWithin && use.width > 0 && use.height > 0 &&
        (width > use.width || height > use.height)) {
        // The decoder scales while it reads.
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

}  // namespace

std::optional<Picture> DecodePictureFile(const std::string& path, PictureUse use) {
    // Only a plain file: a device or a pipe may never end.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    const FileState file{path, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    std::erase_if(g_decoded, [](const Decoded& d) { return d.picture.expired(); });
    for (const Decoded& d : g_decoded)
        if (d.file == file && d.use == use)
            if (Picture picture = d.picture.lock()) return picture;
    std::optional<Picture> picture = Decode(path, use);
    if (picture) g_decoded.push_back({file, use, *picture});
    return picture;
}

namespace {

Picture DecodeArt(GResource* art, const std::string& name) {
    Picture picture;
    const std::string path = "/quorvel/art/" + name + ".png";
    if (GBytes* bytes = g_resource_lookup_data(art, path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr)) {
        gsize size = 0;
        const auto* data = static_cast<const uint8_t*>(g_bytes_get_data(bytes, &size));
        if (auto own = png::Decode({data, size})) picture = std::make_shared<const Bitmap>(std::move(*own));
        g_bytes_unref(bytes);
    }
    return picture;
}

using ArtMap = std::map<std::string, Picture, std::less<>>;
std::future<ArtMap> g_artAhead;

}  // namespace

void DecodeArtAhead() {
    GResource* art = quorvel_art_get_resource();
    g_artAhead = std::async(std::launch::async, [art] {
        // Fontconfig's set-up too (its settings and caches), which the first
        // text laid out would otherwise wait for.
        FcInit();
        ArtMap decoded;
        char** names = g_resource_enumerate_children(art, "/quorvel/art", G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
        for (char** at = names; at && *at; ++at) {
            std::string name(*at);
            if (!name.ends_with(".png")) continue;
            name.resize(name.size() - 4);
            decoded.emplace(name, DecodeArt(art, name));
        }
        g_strfreev(names);
        return decoded;
    });
}

Picture LoadArt(std::string_view name) {
    static ArtMap cache;
    if (g_artAhead.valid()) {
        try {
            cache.merge(g_artAhead.get());
        } catch (const std::exception&) {  // out of memory: each is decoded when asked for
        }
    }
    if (name.empty()) return nullptr;
    if (auto it = cache.find(name); it != cache.end()) return it->second;
    Picture picture = DecodeArt(quorvel_art_get_resource(), std::string(name));
    cache.emplace(std::string(name), picture);
    return picture;
}

namespace {

// Pictures already in the X server, each kept while its picture lives.
struct ServerCopy {
    std::weak_ptr<const Bitmap> picture;
    cairo_surface_t* surface;
};
std::vector<ServerCopy> g_serverCopies;

void FreePixmap(void* data) {
    auto* copy = static_cast<std::pair<Display*, Pixmap>*>(data);
    XFreePixmap(copy->first, copy->second);
    delete copy;
}

const cairo_user_data_key_t kPixmapKey{};

// The picture as a pixmap of the X server that cr paints on, sent once with
// a plain PutImage. A client image would travel again at every paint, and
// cairo sends large ones through a shared-memory pool that the program then
// keeps: for a screen-sized picture, more memory than the picture itself.
// nullptr when cr does not paint on an X server of the usual 24-bit kind.
cairo_surface_t* ServerSurface(cairo_t* cr, const Picture& picture) {
    std::erase_if(g_serverCopies, [](const ServerCopy& copy) {
        if (!copy.picture.expired()) return false;
        cairo_surface_destroy(copy.surface);
        return true;
    });
    for (const ServerCopy& copy : g_serverCopies)
        if (copy.picture.lock() == picture) return copy.surface;
    cairo_surface_t* target = cairo_get_target(cr);
    if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_XLIB) return nullptr;
    Display* x = cairo_xlib_surface_get_display(target);
    Screen* screen = cairo_xlib_surface_get_screen(target);
    Visual* visual = DefaultVisualOfScreen(screen);
    if (DefaultDepthOfScreen(screen) != 24 || visual->c_class != TrueColor || visual->red_mask != 0xFF0000 ||
        visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF)
        return nullptr;
    XImage* image = XCreateImage(
        x, visual, 24, ZPixmap, 0, reinterpret_cast<char*>(const_cast<uint32_t*>(picture->pixels.data())),
        static_cast<unsigned>(picture->width), static_cast<unsigned>(picture->height), 32, picture->width * 4);
    if (!image) return nullptr;
    if (image->bits_per_pixel != 32) {
        image->data = nullptr;
        XDestroyImage(image);
        return nullptr;
    }
    // The pixels as they lie in memory here; Xlib swaps them for a server of
    // the other byte order.
    image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    const ::Window root = RootWindowOfScreen(screen);
    const Pixmap pixmap =
        XCreatePixmap(x, root, static_cast<unsigned>(picture->width), static_cast<unsigned>(picture->height), 24);
    GC gc = XCreateGC(x, pixmap, 0, nullptr);
    XPutImage(x, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(picture->width),
              static_cast<unsigned>(picture->height));
    XFreeGC(x, gc);
    image->data = nullptr;
    XDestroyImage(image);
    cairo_surface_t* surface = cairo_xlib_surface_create(x, pixmap, visual, picture->width, picture->height);
    cairo_surface_set_user_data(surface, &kPixmapKey, new std::pair<Display*, Pixmap>(x, pixmap), &FreePixmap);
    g_serverCopies.push_back({picture, surface});
    return surface;
}

// The surface a paint takes the picture from, and whether it is to be
// destroyed after the paint.
std::pair<cairo_surface_t*, bool> SourceOf(cairo_t* cr, const Picture& picture) {
    if (cairo_surface_t* server = ServerSurface(cr, picture)) return {server, false};
    return {SurfaceOf(*picture), true};
}

}  // namespace

void PaintStretched(cairo_t* cr, const Picture& picture, double x, double y, double width, double height) {
    if (!picture || picture->Empty() || width <= 0 || height <= 0) return;
    const auto [source, own] = SourceOf(cr, picture);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, width / picture->width, height / picture->height);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
    if (own) cairo_surface_destroy(source);
}

void PaintUnscaled(cairo_t* cr, const Picture& picture, double x, double y) {
    if (!picture || picture->Empty()) return;
    const auto [source, own] = SourceOf(cr, picture);
    cairo_set_source_surface(cr, source, x, y);
    cairo_rectangle(cr, x, y, picture->width, picture->height);
    cairo_fill(cr);
    if (own) cairo_surface_destroy(source);
}

}  // namespace quorvel::gtk
