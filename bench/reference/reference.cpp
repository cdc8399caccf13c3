// The reference program of the benchmarks: the least a window like the setup
// window can be under the same build and the same Wine. A frameless 380 x 290
// window, centred, that paints one embedded 380 x 290 picture (decoded by WIC
// from a PNG resource, as the program decodes its art) and holds one EDIT
// control. Idle, it does nothing: no timers, no hooks.
//
// "QuorvelReference.exe --timer N" adds one timer of N milliseconds whose
// ticks do nothing: the floor of what a periodic tick costs under Wine.
// "QuorvelReference.exe --curtain" makes, after its first paint, a hidden
// topmost layered curtain of the lock window's green over the whole virtual
// screen, and shows it when a click on the window is released: the least time
// a lock can take to cover every monitor.
#include <windows.h>

#include <wincodec.h>

#include <cstdlib>
#include <cwchar>

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 290;
constexpr wchar_t kClass[] = L"QuorvelReference";

constexpr wchar_t kCurtainClass[] = L"QuorvelReferenceCurtain";
constexpr COLORREF kCurtainColour = RGB(0x6D, 0xBD, 0x00);

HBITMAP g_picture = nullptr;
HWND g_curtain = nullptr;

// The embedded PNG, decoded to a 32-bit top-down DIB section.
HBITMAP DecodeBackground(HINSTANCE instance) {
    HRSRC found = FindResourceW(instance, L"BACKGROUND", MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(instance, found);
    const DWORD size = SizeofResource(instance, found);
    const auto* bytes = static_cast<const BYTE*>(LockResource(loaded));
    if (!bytes || size == 0) return nullptr;

    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
        return nullptr;
    HBITMAP result = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT width = 0, height = 0;
    if (SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), size)) &&
        SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                        WICBitmapPaletteTypeCustom))) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = static_cast<LONG>(width);
        info.bmiHeader.biHeight = -static_cast<LONG>(height);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap &&
            SUCCEEDED(converter->CopyPixels(nullptr, width * 4, width * height * 4, static_cast<BYTE*>(bits))))
            result = bitmap;
        else if (bitmap)
            DeleteObject(bitmap);
    }
    if (converter) converter->Release();
    if (frame) frame->Release();
    if (decoder) decoder->Release();
    if (stream) stream->Release();
    factory->Release();
    return result;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (g_picture) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(memory, g_picture);
        BitBlt(dc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: Paint(hwnd); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_TIMER: return 0;
        case WM_LBUTTONUP:
            if (g_curtain) SetWindowPos(g_curtain, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_picture = DecodeBackground(instance);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);

    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    HWND hwnd = CreateWindowExW(WS_EX_APPWINDOW, kClass, L"Quorvel reference", WS_POPUP | WS_CLIPCHILDREN, x, y, kWidth,
                                kHeight, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 210, 130, 150, 20,
                                hwnd, nullptr, instance, nullptr);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ShowWindow(hwnd, show == SW_HIDE ? SW_SHOW : show);
    if (const wchar_t* timer = wcsstr(commandLine, L"--timer ")) SetTimer(hwnd, 1, _wtoi(timer + 8), nullptr);
    UpdateWindow(hwnd);
    if (wcsstr(commandLine, L"--curtain")) {
        WNDCLASSEXW curtain{};
        curtain.cbSize = sizeof curtain;
        curtain.lpfnWndProc = &DefWindowProcW;
        curtain.hInstance = instance;
        curtain.hbrBackground = CreateSolidBrush(kCurtainColour);
        curtain.lpszClassName = kCurtainClass;
        RegisterClassExW(&curtain);
        g_curtain = CreateWindowExW(WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TOOLWINDOW, kCurtainClass, L"", WS_POPUP,
                                    GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                    GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), hwnd,
                                    nullptr, instance, nullptr);
        if (g_curtain) SetLayeredWindowAttributes(g_curtain, 0, 200, LWA_ALPHA);
    }

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (g_picture) DeleteObject(g_picture);
    CoUninitialize();
    return static_cast<int>(msg.wParam);
}
