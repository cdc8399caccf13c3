#include "platform/win32/pictures.h"

#include <wincodec.h>

#include <algorithm>
#include <exception>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "base/jpeg.h"
#include "base/png.h"
#include "platform/own_jpeg.h"
#include "platform/win32/ole.h"
#include "platform/win32/scoped.h"

namespace quorvel::win32 {
namespace {

IWICImagingFactory* Factory() {
    static IWICImagingFactory* factory = [] {
        UseOle();
        IWICImagingFactory* f = nullptr;
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         reinterpret_cast<void**>(&f));
        return f;
    }();
    return factory;
}

// The class object of one of WIC's decoders, fetched once.
IClassFactory* DecoderClass(const CLSID& clsid) {
    static std::vector<std::pair<CLSID, IClassFactory*>> known;
    for (const auto& [id, classes] : known)
        if (IsEqualCLSID(id, clsid)) return classes;
    IClassFactory* classes = nullptr;
    if (FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&classes))))
        classes = nullptr;
    known.emplace_back(clsid, classes);
    return classes;
}

// The decoder of a stream. When its first bytes are those of the formats the
// program meets (its PNG art, JPEG and BMP pictures) that decoder is made
// directly: asking every installed decoder in turn whether it knows the data
// reads the registry for each, hundreds of round trips a picture under Wine.
// Anything else, or data that decoder refuses, goes the general way.
HRESULT CreateDecoder(IWICImagingFactory* factory, IWICStream* stream, ComPtr<IWICBitmapDecoder>& decoder) {
    static constexpr BYTE kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    BYTE head[sizeof kPng] = {};
    ULONG got = 0;
    const CLSID* known = nullptr;
    if (SUCCEEDED(stream->Read(head, sizeof head, &got))) {
        if (got >= sizeof kPng && std::equal(std::begin(kPng), std::end(kPng), head))
            known = &CLSID_WICPngDecoder;
        else if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
            known = &CLSID_WICJpegDecoder;
        else if (got >= 2 && head[0] == 'B' && head[1] == 'M')
            known = &CLSID_WICBmpDecoder;
    }
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) return E_FAIL;
    IClassFactory* classes = known ? DecoderClass(*known) : nullptr;
    if (classes &&
        SUCCEEDED(classes->CreateInstance(nullptr, IID_IWICBitmapDecoder, reinterpret_cast<void**>(decoder.Put())))) {
        if (SUCCEEDED(decoder->Initialize(stream, WICDecodeMetadataCacheOnDemand))) return S_OK;
        decoder.Reset();
        if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) return E_FAIL;
    }
    return factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put());
}

// A baseline JPEG decoded by the program: without WIC (whose loading, with
// COM's, would come before the setup window's first paint for the logo, and
// which under Wine decodes every pixel of a 4K photo before scaling). WIC
// takes what this refuses.
std::optional<Picture> DecodeOwnJpeg(const std::wstring& file, PictureUse use) {
    const HANDLE opened =
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    const ScopedHandle handle(opened);
    const jpeg::ReadFn read = [&handle](uint8_t* buffer, size_t size) -> size_t {
        DWORD got = 0;
        if (!ReadFile(handle.Get(), buffer, static_cast<DWORD>(std::min<size_t>(size, 1 << 20)), &got, nullptr))
            return 0;
        return got;
    };
    return quorvel::DecodeOwnJpeg(
        read, [&handle] { return SetFilePointer(handle.Get(), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER; },
        use);
}

std::optional<Picture> Decode(IWICBitmapDecoder* decoder, PictureUse use) {
    IWICImagingFactory* factory = Factory();
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Put()))) return std::nullopt;
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0) return std::nullopt;
    // No real picture is wider or taller than this.
    if (width > static_cast<UINT>(std::numeric_limits<int>::max()) ||
        height > static_cast<UINT>(std::numeric_limits<int>::max()))
        return std::nullopt;

    IWICBitmapSource* source = frame.Get();
    ComPtr<IWICBitmapScaler> scaler;
    ComPtr<IWICBitmapClipper> clipper;
    if (const auto [w, h] = FitSize(static_cast<int>(width), static_cast<int>(height), use);
        static_cast<UINT>(w) != width || static_cast<UINT>(h) != height) {
        // Decoded straight to the size it is shown at: a 4K photo behind the
        // lock costs the screen's pixels, not its own.
        if (FAILED(factory->CreateBitmapScaler(scaler.Put())) ||
            FAILED(scaler->Initialize(frame.Get(), static_cast<UINT>(w), static_cast<UINT>(h),
                                      WICBitmapInterpolationModeFant)))
            return std::nullopt;
        source = scaler.Get();
        width = static_cast<UINT>(w);
        height = static_cast<UINT>(h);
    } else if (use.kind == PictureUse::Kind::TopLeft && use.width > 0 && use.height > 0 &&
               (width > static_cast<UINT>(use.width) || height > static_cast<UINT>(use.height))) {
        // An unscaled image shows only its top-left corner.
        const WICRect corner{0, 0, static_cast<INT>(std::min<UINT>(width, use.width)),
                             static_cast<INT>(std::min<UINT>(height, use.height))};
        if (FAILED(factory->CreateBitmapClipper(clipper.Put())) || FAILED(clipper->Initialize(frame.Get(), &corner)))
            return std::nullopt;
        source = clipper.Get();
        width = corner.Width;
        height = corner.Height;
    }
    // A size whose pixels could not be held at all is refused before
    // anything is allocated for it.
    if (!PixelBufferFits(width, height)) return std::nullopt;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.Put()))) return std::nullopt;
    if (FAILED(converter->Initialize(source, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return std::nullopt;
    try {
        auto bitmap = std::make_shared<Bitmap>(static_cast<int>(width), static_cast<int>(height));
        // A band of rows at a time: a scaler asked for the whole picture at
        // once gathers every source row it needs into a buffer of its own,
        // a second full copy of a large photo beside the decoder's.
        constexpr UINT kBandRows = 16;
        for (UINT top = 0; top < height; top += kBandRows) {
            const UINT rows = std::min(kBandRows, height - top);
            const WICRect band{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
            if (FAILED(converter->CopyPixels(&band, width * 4, width * rows * 4,
                                             reinterpret_cast<BYTE*>(bitmap->pixels.data() + size_t{top} * width))))
                return std::nullopt;
        }
        return Picture(std::move(bitmap));
    } catch (const std::exception&) {  // out of memory, or a size the library refuses
        return std::nullopt;
    }
}

}  // namespace

bool PixelBufferFits(uint64_t width, uint64_t height) {
    constexpr uint64_t kMaxSide = std::numeric_limits<int>::max();
    // At most 2^29 pixels (2 GiB of 32-bit pixels): beyond any screen and
    // below what a 64-bit size or a vector can hold.
    constexpr uint64_t kMaxPixels = uint64_t{1} << 29;
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

bool IsDevicePath(std::u16string_view path) {
    if (path.size() < 4) return false;
    const auto slash = [](char16_t c) { return c == u'\\' || c == u'/'; };
    return slash(path[0]) && slash(path[1]) && (path[2] == u'.' || path[2] == u'?') && slash(path[3]);
}

bool IsNetworkPath(std::u16string_view path) {
    const auto slash = [](char16_t c) { return c == u'\\' || c == u'/'; };
    if (path.size() >= 2 && slash(path[0]) && slash(path[1])) return true;
    if (path.size() >= 3 && path[1] == u':' && slash(path[2])) {
        const wchar_t root[] = {static_cast<wchar_t>(path[0]), L':', L'\\', L'\0'};
        return GetDriveTypeW(root) == DRIVE_REMOTE;
    }
    return false;
}

std::optional<Picture> DecodePictureFile(std::u16string_view path, PictureUse use) {
    if (IsDevicePath(path)) return std::nullopt;
    const std::wstring file = WStr(path);
    if (auto own = DecodeOwnJpeg(file, use)) return own;
    IWICImagingFactory* factory = Factory();
    if (!factory) return std::nullopt;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.Put())) ||
        FAILED(stream->InitializeFromFilename(file.c_str(), GENERIC_READ)))
        return std::nullopt;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(CreateDecoder(factory, stream.Get(), decoder))) return std::nullopt;
    return Decode(decoder.Get(), use);
}

std::optional<Picture> DecodePictureMemory(const void* data, size_t size) {
    IWICImagingFactory* factory = Factory();
    if (!factory) return std::nullopt;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.Put()))) return std::nullopt;
    if (FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), static_cast<DWORD>(size))))
        return std::nullopt;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(CreateDecoder(factory, stream.Get(), decoder))) return std::nullopt;
    return Decode(decoder.Get(), PictureUse{});
}

namespace {

// An embedded picture of the art as the program's own decoder reads it: none
// when the resource is missing or in a form it does not read.
struct ArtResource {
    const void* data = nullptr;
    size_t size = 0;
};

ArtResource FindArt(std::string_view name) {
    const std::wstring resource(name.begin(), name.end());
    HRSRC info = FindResourceW(nullptr, resource.c_str(), RT_RCDATA);
    HGLOBAL handle = info ? LoadResource(nullptr, info) : nullptr;
    const void* data = handle ? LockResource(handle) : nullptr;
    return data ? ArtResource{data, SizeofResource(nullptr, info)} : ArtResource{};
}

Picture DecodeOwn(const ArtResource& art) {
    if (!art.data) return nullptr;
    auto own = png::Decode({static_cast<const uint8_t*>(art.data), art.size});
    return own ? std::make_shared<const Bitmap>(std::move(*own)) : nullptr;
}

}  // namespace

Picture LoadArt(std::string_view name) {
    static std::map<std::string, Picture, std::less<>> cache;
    if (name.empty()) return nullptr;
    if (auto it = cache.find(name); it != cache.end()) return it->second;
    const ArtResource art = FindArt(name);
    Picture picture = DecodeOwn(art);
    if (!picture && art.data) picture = DecodePictureMemory(art.data, art.size).value_or(nullptr);
    cache.emplace(std::string(name), picture);
    return picture;
}

BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

void DrawPicture(HDC dc, const Bitmap& picture, const RECT& dest) {
    if (picture.Empty()) return;
    const BITMAPINFO info = TopDownInfo(picture.width, picture.height);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, 0, 0, picture.width,
                  picture.height, picture.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void DrawPictureClipped(HDC dc, const Bitmap& picture, int x, int y, const RECT& clip) {
    if (picture.Empty()) return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    const BITMAPINFO info = TopDownInfo(picture.width, picture.height);
    SetDIBitsToDevice(dc, x, y, picture.width, picture.height, 0, 0, 0, picture.height, picture.pixels.data(), &info,
                      DIB_RGB_COLORS);
    RestoreDC(dc, saved);
}

}  // namespace quorvel::win32
