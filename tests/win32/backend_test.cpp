// The Win32 backend of the toolkit contract, on real windows under Wine.
#include <windows.h>

#include <commctrl.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/png.h"
#include "keys.h"
#include "lock/keyboard_filter.h"
#include "platform/win32/form_window.h"
#include "platform/win32/pictures.h"
#include "platform/win32/scoped.h"
#include "platform/win32/win32_toolkit.h"
#include "pump.h"

namespace quorvel::win32 {
namespace {

using layouts::ControlKind;
using layouts::ControlSpec;
using layouts::FormSpec;

constexpr ControlSpec kControls[] = {
    {.name = "Front",
     .kind = ControlKind::TextBox,
     .left = 150,
     .top = 150,
     .width = 1500,
     .height = 375,
     .tabIndex = 1},
    {.name = "Middle",
     .kind = ControlKind::TextBox,
     .left = 150,
     .top = 150,
     .width = 1500,
     .height = 375,
     .tabIndex = 2},
    {.name = "Back", .kind = ControlKind::Panel, .left = 150, .top = 150, .width = 1500, .height = 375},
    {.name = "Caption",
     .kind = ControlKind::Label,
     .left = 150,
     .top = 900,
     .width = 1500,
     .height = 255,
     .text = u"标签"},
    {.name = "Tick", .kind = ControlKind::Timer, .interval = 10},
};
const FormSpec kTestForm{.name = "TestForm",
                         .caption = u"测试窗口",
                         .clientWidth = 3000,
                         .clientHeight = 2250,
                         .controls = kControls};
constexpr ControlSpec kNoControls[] = {{.name = "Timer", .kind = ControlKind::Timer, .interval = 50}};
const FormSpec kOtherForm{.name = "Other",
                          .caption = u"另一个",
                          .clientWidth = 1500,
                          .clientHeight = 1500,
                          .controls = kNoControls};

class Backend : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
};

TEST_F(Backend, ATextBoxRaisesChangeForEveryChangedAssignmentAndNestsAssignmentsInItsHandler) {
    auto form = toolkit.CreateForm(kTestForm);
    TextBox& box = form->TextBoxNamed("Front");
    std::vector<std::u16string> seen;
    int depth = 0, maxDepth = 0;
    box.Change = [&] {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        seen.push_back(box.Text());
        if (box.Text() == u"300") box.SetText(u"255");  // corrected inside its own handler
        --depth;
    };
    box.SetText(u"中文");
    box.SetText(u"中文");  // the identical text is no change
    box.SetText(u"300");
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"中文", u"300", u"255"}));
    EXPECT_EQ(maxDepth, 2);
    EXPECT_EQ(box.Text(), u"255");
    box.SetText(u"");
    EXPECT_EQ(seen.back(), u"");
}

TEST_F(Backend, CtrlASelectsTheWholeTextOfATextBox) {
    auto form = toolkit.CreateForm(kTestForm);
    form->Show();
    TextBox& box = form->TextBoxNamed("Front");
    box.SetText(u"密码abc");
    HWND edit = ChildWindowOf(box);
    SetForegroundWindow(reinterpret_cast<HWND>(form->Handle()));
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 2, 2);
    Pump(100);
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_CONTROL, 'A', 'A', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof(INPUT));
    Pump(300);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
    EXPECT_EQ(box.Text(), u"密码abc");  // nothing typed
}

TEST_F(Backend, TypingIntoATextBoxRaisesChangeAndTheLimitHoldsForTyping) {
    static constexpr ControlSpec kLimited[] = {
        {.name = "Field", .kind = ControlKind::TextBox, .width = 1500, .height = 375, .maxLength = 3}};
    const FormSpec row{.name = "F", .caption = u"F", .clientWidth = 3000, .clientHeight = 1500, .controls = kLimited};
    auto form = toolkit.CreateForm(row);
    TextBox& box = form->TextBoxNamed("Field");
    int changes = 0;
    box.Change = [&] { ++changes; };
    form->Show();  // typing reaches only a field on the screen
    HWND edit = ChildWindowOf(box);
    for (wchar_t c : std::wstring(L"12345")) SendMessageW(edit, WM_CHAR, c, 1);
    EXPECT_EQ(box.Text(), u"123");
    EXPECT_EQ(changes, 3);
}

TEST_F(Backend, ColoursAndMouseButtonsReachTheTextBox) {
    auto form = toolkit.CreateForm(kTestForm);
    TextBox& box = form->TextBoxNamed("Front");
    box.SetForeColor(0x0000FF);
    EXPECT_EQ(box.ForeColor(), 0x0000FFu);
    std::vector<MouseButton> presses;
    box.MouseDown = [&](MouseButton b) { presses.push_back(b); };
    HWND edit = ChildWindowOf(box);
    SendMessageW(edit, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
    SendMessageW(edit, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(2, 2));
    SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    Pump(50);
    EXPECT_EQ(presses, (std::vector<MouseButton>{MouseButton::Right, MouseButton::Middle, MouseButton::Left}));
}

std::vector<HWND> ChildrenFrontFirst(HWND parent) {
    std::vector<HWND> order;
    for (HWND h = GetTopWindow(parent); h; h = GetWindow(h, GW_HWNDNEXT)) order.push_back(h);
    return order;
}

TEST_F(Backend, ChildWindowsStartInTheDesignedOrderAndMoveToTheFrontOrBack) {
    auto form = toolkit.CreateForm(kTestForm);
    HWND front = ChildWindowOf(form->TextBoxNamed("Front"));
    HWND middle = ChildWindowOf(form->TextBoxNamed("Middle"));
    HWND back = ChildWindowOf(form->PanelNamed("Back"));
    const HWND parent = reinterpret_cast<HWND>(form->Handle());
    auto designed = ChildrenFrontFirst(parent);
    auto position = [&](HWND h) { return std::find(designed.begin(), designed.end(), h) - designed.begin(); };
    EXPECT_LT(position(front), position(middle));
    EXPECT_LT(position(middle), position(back));

    form->TextBoxNamed("Front").SendToBack();
    form->PanelNamed("Back").BringToFront();
    designed = ChildrenFrontFirst(parent);
    EXPECT_LT(position(back), position(middle));
    EXPECT_LT(position(middle), position(front));
}

TEST_F(Backend, ControlsKeepTheirTwipsAndSitAtTheNearestPixel) {
    auto form = toolkit.CreateForm(kTestForm);
    Panel& panel = form->PanelNamed("Back");
    panel.SetLeft(panel.Left() - 800);
    EXPECT_EQ(panel.Left(), -650);  // read back exactly, not from the pixels
    RECT r;
    HWND hwnd = ChildWindowOf(panel);
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(form->Handle()), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, -43);  // -43.33 px
    EXPECT_EQ(r.right - r.left, 100);
}

TEST_F(Backend, ShowRaisesResizeThenActivateAndActivateOnlyWhenTheProgramsActiveWindowChanges) {
    auto a = toolkit.CreateForm(kTestForm);
    auto b = toolkit.CreateForm(kOtherForm);
    std::vector<std::string> events;
    a->Resize = [&] { events.push_back("a.Resize"); };
    a->Activate = [&] { events.push_back("a.Activate"); };
    b->Resize = [&] { events.push_back("b.Resize"); };
    b->Activate = [&] { events.push_back("b.Activate"); };
    a->Show();
    Pump(100);
    EXPECT_EQ(events, (std::vector<std::string>{"a.Resize", "a.Activate"}));
    b->Show();
    Pump(100);
    EXPECT_EQ(events.back(), "b.Activate");
    events.clear();
    b->Show();  // showing the active window again activates nothing new
    Pump(50);
    EXPECT_TRUE(events.empty());
    const HWND ha = reinterpret_cast<HWND>(a->Handle());
    SetForegroundWindow(ha);
    Pump(100);
    EXPECT_EQ(events, std::vector<std::string>{"a.Activate"});
}

TEST_F(Backend, WindowPlacementTopmostAndLayeredAlpha) {
    auto form = toolkit.CreateForm(kOtherForm);
    form->Show();
    Pump(50);
    form->SetWindowPos(InsertAfter::Topmost, PixelRect{10, 20, 100, 100});
    const HWND hwnd = reinterpret_cast<HWND>(form->Handle());
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(form->Left(), 150);
    EXPECT_EQ(form->Top(), 300);
    EXPECT_EQ(form->Width(), 1500);
    form->SetWindowPos(InsertAfter::NoTopmost, PixelRect{10, 20, 100, 100});
    EXPECT_FALSE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(form->Layered());
    form->SetLayered(true);
    EXPECT_TRUE(form->Layered());
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    for (uint8_t alpha : {0, 128, 255}) {
        form->SetOpacity(alpha);
        BYTE got = 1;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, nullptr, &got, &flags));
        EXPECT_EQ(got, alpha);
        EXPECT_EQ(flags & LWA_ALPHA, static_cast<DWORD>(LWA_ALPHA));
    }
}

TEST_F(Backend, TimersTickThroughTheMessageLoopAndEnablingARunningTimerChangesNothing) {
    auto form = toolkit.CreateForm(kTestForm);
    Timer& timer = form->TimerNamed("Tick");
    int ticks = 0;
    timer.Tick = [&] { ++ticks; };
    EXPECT_FALSE(timer.Enabled());
    timer.SetEnabled(true);
    timer.SetEnabled(true);
    Pump(200);
    EXPECT_GT(ticks, 3);
    timer.SetEnabled(false);
    const int stopped = ticks;
    Pump(100);
    EXPECT_EQ(ticks, stopped);
}

TEST_F(Backend, UnloadingTheLastWindowEndsTheMessageLoop) {
    auto form = toolkit.CreateForm(kOtherForm);
    bool unloaded = false;
    form->Unloaded = [&] { unloaded = true; };
    form->Show();
    PostMessageW(reinterpret_cast<HWND>(form->Handle()), WM_CLOSE, 0, 0);
    EXPECT_EQ(toolkit.Run(), 0);  // returns once the window is gone
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(form->Visible());
}

TEST_F(Backend, ARefusedCloseRequestKeepsTheWindow) {
    auto form = toolkit.CreateForm(kOtherForm);
    form->CloseRequest = [] { return false; };
    form->Show();
    SendMessageW(reinterpret_cast<HWND>(form->Handle()), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form->Visible());
}

class Store : public Backend {
protected:
    void SetUp() override { toolkit.storeRoot = L"Software\\QuorvelTest"; }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuorvelTest"); }
};

TEST_F(Store, TextRoundTripsUnchangedIncludingChineseBlanksAndTheEmptyString) {
    toolkit.StoreSave(u"text1", u"APP", u"TEXT", u" 密码 Pass\t ");
    EXPECT_EQ(toolkit.StoreLoad(u"text1", u"APP", u"TEXT", u"default"), u" 密码 Pass\t ");
    toolkit.StoreSave(u"text1", u"APP", u"TEXT", u"");
    EXPECT_EQ(toolkit.StoreLoad(u"text1", u"APP", u"TEXT", u"default"), u"");
    const std::u16string longText(32000, u'码');
    toolkit.StoreSave(u"text5", u"APP", u"TEXT", longText);
    EXPECT_EQ(toolkit.StoreLoad(u"text5", u"APP", u"TEXT", u""), longText);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\QuorvelTest\\text1\\APP", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"TEXT", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    RegCloseKey(key);
}

TEST_F(Store, AbsentEntriesOrLevelsAndValuesOfAnotherTypeGiveTheDefault) {
    EXPECT_EQ(toolkit.StoreLoad(u"text9", u"APP", u"TEXT", u"255"), u"255");
    toolkit.StoreSave(u"text3", u"APP", u"OTHER", u"x");
    EXPECT_EQ(toolkit.StoreLoad(u"text3", u"APP", u"TEXT", u"255"), u"255");
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QuorvelTest\\text4\\APP", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 7;
    RegSetValueExW(key, L"TEXT", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
    EXPECT_EQ(toolkit.StoreLoad(u"text4", u"APP", u"TEXT", u"keep"), u"keep");
}

std::filesystem::path TempFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::filesystem::path(dir) / name;
}

void WriteBmp(const std::filesystem::path& path, int w, int h) {
    const int stride = w * 3 + (4 - w * 3 % 4) % 4;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * h;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(stride, '\0');
    for (int x = 0; x < w; ++x) row[x * 3 + 2] = static_cast<char>(0xFF);  // red
    for (int y = 0; y < h; ++y) out.write(row.data(), stride);
}

// Grey, or with gradient a picture whose blue grows across and green down.
bool WriteJpeg(const std::filesystem::path& path, int w, int h, bool gradient = false) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Put()))))
        return false;
    ComPtr<IWICStream> stream;
    factory->CreateStream(stream.Put());
    if (FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) return false;
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Put()))) return false;
    encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    encoder->CreateNewFrame(frame.Put(), options.Put());
    frame->Initialize(options.Get());
    frame->SetSize(w, h);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    frame->SetPixelFormat(&format);
    std::vector<BYTE> pixels(static_cast<size_t>(w) * h * 3, 0x80);
    for (int y = 0; gradient && y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            pixels[(static_cast<size_t>(y) * w + x) * 3] = static_cast<BYTE>(x * 255 / (w - 1));
            pixels[(static_cast<size_t>(y) * w + x) * 3 + 1] = static_cast<BYTE>(y * 255 / (h - 1));
        }
    }
    frame->WritePixels(h, w * 3, static_cast<UINT>(pixels.size()), pixels.data());
    frame->Commit();
    return SUCCEEDED(encoder->Commit());
}

TEST_F(Backend, APictureStillShownIsReadAgainOnlyWhenItsFileChanged) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto bmp = TempFile(L"quorvel-again.bmp");
    WriteBmp(bmp, 7, 5);
    const std::u16string path = U16(bmp.wstring());
    const auto use = PictureUse::FitWithin(100, 100);
    auto shown = toolkit.LoadPicture(path, use);
    ASSERT_TRUE(shown && *shown);
    // The same file for the same use, while the first is held: that picture.
    auto again = toolkit.LoadPicture(path, use);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->get(), shown->get());
    // Another use is another picture.
    auto corner = toolkit.LoadPicture(path, PictureUse::TopLeft(3, 3));
    ASSERT_TRUE(corner && *corner);
    EXPECT_EQ((*corner)->width, 3);
    again = toolkit.LoadPicture(path, use);
    ASSERT_TRUE(again && *again);
    EXPECT_EQ((*again)->width, 7);

    // A rewritten file is read anew, and a file that
    // no longer decodes fails although its old picture is still shown.
    WriteBmp(bmp, 5, 7);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t twoSecondsOn = ((uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime) + 20'000'000;
    const FILETIME later{static_cast<DWORD>(twoSecondsOn), static_cast<DWORD>(twoSecondsOn >> 32)};
    {
        ScopedHandle file(CreateFileW(bmp.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &later));
    }
    auto rewritten = toolkit.LoadPicture(path, use);
    ASSERT_TRUE(rewritten && *rewritten);
    EXPECT_EQ((*rewritten)->width, 5);
    EXPECT_EQ((*shown)->width, 7);
    std::ofstream(bmp, std::ios::binary | std::ios::trunc) << "not a picture at all";
    EXPECT_FALSE(toolkit.LoadPicture(path, use).has_value());
    std::filesystem::remove(bmp);
    EXPECT_FALSE(toolkit.LoadPicture(path, use).has_value());
}

TEST_F(Backend, ALargeJpegIsShownAtTheSizeAskedWithItsColours) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto jpeg = TempFile(L"quorvel-large.jpg");
    ASSERT_TRUE(WriteJpeg(jpeg, 640, 360, true));
    struct Case {
        int fitWidth, fitHeight, width, height;
    };
    // Reduced to 1/2 and 1/4 and scaled, or decoded whole when it fits.
    for (const Case& c : {Case{300, 300, 300, 169}, Case{160, 90, 160, 90}, Case{1000, 1000, 640, 360}}) {
        const auto picture = toolkit.LoadPicture(U16(jpeg.wstring()), PictureUse::FitWithin(c.fitWidth, c.fitHeight));
        ASSERT_TRUE(picture && *picture) << c.fitWidth;
        const Bitmap& shown = **picture;
        ASSERT_EQ(shown.width, c.width);
        ASSERT_EQ(shown.height, c.height);
        for (int y = 2; y < shown.height - 2; y += 7) {
            for (int x = 2; x < shown.width - 2; x += 7) {
                const uint32_t pixel = shown.At(x, y);
                const int blue = static_cast<int>(pixel & 255), green = static_cast<int>((pixel >> 8) & 255);
                EXPECT_NEAR(blue, (x + 0.5) * 255 / shown.width, 10) << c.fitWidth << " at " << x << "," << y;
                EXPECT_NEAR(green, (y + 0.5) * 255 / shown.height, 10) << c.fitWidth << " at " << x << "," << y;
            }
        }
    }
    std::filesystem::remove(jpeg);
}

// The art is decoded by the program; WIC, which decoded it before, agrees on
// every pixel of every picture.
TEST_F(Backend, TheArtDecodesAsWicDecodesIt) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::vector<std::wstring> names;
    EnumResourceNamesW(
        nullptr, RT_RCDATA,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
            if (!IS_INTRESOURCE(name)) reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(name);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&names));
    ASSERT_GE(names.size(), 15u);
    for (const std::wstring& name : names) {
        const HRSRC info = FindResourceW(nullptr, name.c_str(), RT_RCDATA);
        const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, info)));
        const size_t size = SizeofResource(nullptr, info);
        const auto own = png::Decode({data, size});
        const auto wic = DecodePictureMemory(data, size);
        ASSERT_TRUE(own && wic && *wic) << std::string(name.begin(), name.end());
        EXPECT_EQ(own->width, (*wic)->width);
        EXPECT_EQ(own->height, (*wic)->height);
        EXPECT_TRUE(own->pixels == (*wic)->pixels) << std::string(name.begin(), name.end());
    }
}

TEST_F(Backend, DevicesAreNeverPicturesAndSizesBeyondAnyBufferAreRefused) {
    for (const char16_t* device : {u"\\\\.\\PhysicalDrive0", u"\\\\?\\C:\\a.jpg", u"//./CON"}) {
        EXPECT_FALSE(toolkit.LoadPicture(device).has_value());
        EXPECT_TRUE(IsDevicePath(device));
    }
    EXPECT_FALSE(IsDevicePath(u"C:\\a.jpg"));
    EXPECT_TRUE(IsNetworkPath(u"\\\\server\\share\\a.jpg"));
    EXPECT_FALSE(IsNetworkPath(u"C:\\a.jpg"));
    struct Size {
        uint64_t width, height;
        bool fits;
    };
    for (const Size& s :
         {Size{3840, 2160, true}, Size{1, 1, true}, Size{0, 10, false}, Size{uint64_t{1} << 31, 1, false},
          Size{65536, 65536, false}, Size{UINT32_MAX, UINT32_MAX, false}})
        EXPECT_EQ(PixelBufferFits(s.width, s.height), s.fits) << s.width << " x " << s.height;
}

TEST_F(Backend, PicturesDecodeFromBmpAndJpegAndEveryFailureIsReported) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto bmp = TempFile(L"quorvel 图片 test.bmp");
    WriteBmp(bmp, 7, 5);
    auto picture = toolkit.LoadPicture(U16(bmp.wstring()));
    ASSERT_TRUE(picture.has_value());
    ASSERT_TRUE(*picture);
    EXPECT_EQ((*picture)->width, 7);
    EXPECT_EQ((*picture)->height, 5);
    EXPECT_EQ((*picture)->At(3, 2) & 0xFFFFFF, 0xFF0000u);

    const auto jpg = TempFile(L"quorvel-test.jpg");
    ASSERT_TRUE(WriteJpeg(jpg, 64, 48));
    picture = toolkit.LoadPicture(U16(jpg.wstring()));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ((*picture)->width, 64);

    // Only as much is decoded as the image can show.
    picture = toolkit.LoadPicture(U16(jpg.wstring()), PictureUse::FitWithin(32, 32));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ((*picture)->width, 32);
    EXPECT_EQ((*picture)->height, 24);
    picture = toolkit.LoadPicture(U16(jpg.wstring()), PictureUse::TopLeft(10, 100));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ((*picture)->width, 10);
    EXPECT_EQ((*picture)->height, 48);

    // The empty path is an empty picture; missing, corrupt and truncated files fail.
    picture = toolkit.LoadPicture(u"");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(*picture, nullptr);
    EXPECT_FALSE(toolkit.LoadPicture(u"C:\\no\\such\\picture.jpg").has_value());
    const auto corrupt = TempFile(L"quorvel-corrupt.jpg");
    std::ofstream(corrupt, std::ios::binary) << "not a picture at all";
    EXPECT_FALSE(toolkit.LoadPicture(U16(corrupt.wstring())).has_value());
    std::filesystem::resize_file(jpg, 40);
    EXPECT_FALSE(toolkit.LoadPicture(U16(jpg.wstring())).has_value());
    std::filesystem::remove(bmp);
    std::filesystem::remove(jpg);
    std::filesystem::remove(corrupt);
}

TEST_F(Backend, FilesDirectoriesAndCommands) {
    const auto dir = toolkit.ProgramDirectory();
    ASSERT_TRUE(dir.has_value());
    EXPECT_TRUE(toolkit.FileExists(*dir + u"\\win32_tests.exe"));
    EXPECT_FALSE(toolkit.FileExists(*dir + u"\\no-such-file.txt"));
    EXPECT_FALSE(toolkit.FileExists(*dir));  // a directory is no file
    EXPECT_FALSE(toolkit.RunCommand(u"no-such-program-quorvel.exe /x", ShowStyle::MinimizedFocus));
    EXPECT_EQ(toolkit.TwipsPerPixelX(), 15.0f);
    EXPECT_EQ(toolkit.TwipsPerPixelY(), 15.0f);
}

TEST_F(Backend, TheClipboardIsEmptied) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 8);
    memcpy(GlobalLock(text), L"abc", 8);
    GlobalUnlock(text);
    SetClipboardData(CF_UNICODETEXT, text);
    CloseClipboard();
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    toolkit.ClearClipboard();
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST_F(Backend, OnlyAKeyGoingDownOrUpIsAnEventForTheKeyboardFilter) {
    const KBDLLHOOKSTRUCT record{VK_LCONTROL, 0x1D, LLKHF_INJECTED, 1234, 0};
    struct Case {
        int nCode;
        WPARAM message;
        bool event, down;
    };
    for (const Case& c : {Case{HC_ACTION, WM_KEYDOWN, true, true}, Case{HC_ACTION, WM_KEYUP, true, false},
                          Case{HC_ACTION, WM_SYSKEYDOWN, true, true}, Case{HC_ACTION, WM_SYSKEYUP, true, false},
                          Case{HC_ACTION, WM_CHAR, false, false}, Case{1, WM_KEYDOWN, false, false},
                          Case{-1, WM_KEYDOWN, false, false}}) {
        const auto event = DecodeKeyEvent(c.nCode, c.message, reinterpret_cast<LPARAM>(&record));
        ASSERT_EQ(event.has_value(), c.event) << c.nCode << " " << c.message;
        if (!event) continue;
        EXPECT_EQ(event->keyCode, static_cast<uint32_t>(VK_LCONTROL));
        EXPECT_EQ(event->down, c.down);
        EXPECT_TRUE(event->injected);
    }
    // The record may lie at any address.
    alignas(8) unsigned char buffer[sizeof record + 1] = {};
    std::memcpy(buffer + 1, &record, sizeof record);
    const auto unaligned = DecodeKeyEvent(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(buffer + 1));
    ASSERT_TRUE(unaligned.has_value());
    EXPECT_EQ(unaligned->keyCode, static_cast<uint32_t>(VK_LCONTROL));
}

TEST_F(Backend, TheKeyboardFilterSwallowsItsKeysUntilItIsRemoved) {
    auto form = toolkit.CreateForm(kOtherForm);
    form->Show();
    HHOOK earlier = SetWindowsHookExW(WH_KEYBOARD_LL, &EarlierHook, GetModuleHandleW(nullptr), 0);
    ASSERT_NE(earlier, nullptr);
    KeyboardFilter filter(toolkit);
    filter.Install();
    ASSERT_NE(filter.Handle(), 0);
    g_seenByEarlierHook.clear();
    for (int vk : {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_SHIFT, VK_MENU, int('A')}) Press(static_cast<WORD>(vk));
    Pump(300);
    EXPECT_EQ(g_seenByEarlierHook, (std::vector<DWORD>{VK_RCONTROL, 'A'}));

    filter.Remove();
    EXPECT_FALSE(toolkit.RemoveKeyboardFilter(filter.Handle()));  // a second removal fails quietly
    g_seenByEarlierHook.clear();
    Press(VK_LCONTROL);
    Pump(300);
    EXPECT_EQ(g_seenByEarlierHook, std::vector<DWORD>{VK_LCONTROL});
    UnhookWindowsHookEx(earlier);
}

// The visible tool tip of this thread, if one shows.
HWND ShownToolTip() {
    HWND shown = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM found) {
            wchar_t name[64] = {};
            GetClassNameW(h, name, 64);
            if (wcscmp(name, TOOLTIPS_CLASSW) != 0 || !IsWindowVisible(h)) return TRUE;
            *reinterpret_cast<HWND*>(found) = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

TEST_F(Backend, ToolTipsShowForWindowedAndDrawnControlsWhileThePointerRestsOnThem) {
    static constexpr ControlSpec kTipped[] = {{.name = "Field",
                                               .kind = ControlKind::TextBox,
                                               .left = 150,
                                               .top = 150,
                                               .width = 1500,
                                               .height = 375,
                                               .toolTip = u"输入框提示"},
                                              {.name = "Caption",
                                               .kind = ControlKind::Label,
                                               .left = 150,
                                               .top = 900,
                                               .width = 1500,
                                               .height = 300,
                                               .text = u"标签",
                                               .toolTip = u"标签提示"},
                                              {.name = "Quiet",
                                               .kind = ControlKind::Label,
                                               .left = 150,
                                               .top = 1500,
                                               .width = 1500,
                                               .height = 300,
                                               .text = u"无提示"}};
    const FormSpec row{.name = "T", .caption = u"T", .clientWidth = 3000, .clientHeight = 2250, .controls = kTipped};
    auto form = toolkit.CreateForm(row);
    form->Show();
    Pump(100);
    const HWND window = reinterpret_cast<HWND>(form->Handle());
    const HWND edit = ChildWindowOf(form->TextBoxNamed("Field"));
    // Rests the pointer on a point of a window, as the mouse would, and
    // waits up to two seconds for a tip; returns its text.
    auto restOn = [&](HWND target, POINT client) -> std::wstring {
        POINT screen = client;
        ClientToScreen(target, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageW(target, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
        for (int i = 0; i < 40; ++i) {
            Pump(50);
            if (HWND tip = ShownToolTip()) {
                wchar_t text[80] = {};
                TTTOOLINFOW info{};
                info.cbSize = sizeof info;
                info.lpszText = text;
                SendMessageW(tip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&info));
                SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
                return text;
            }
        }
        return L"";
    };
    EXPECT_EQ(restOn(edit, {20, 10}), L"输入框提示");
    SetCursorPos(0, 0);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 110));  // a press hides a tip
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(15, 110));
    Pump(600);
    EXPECT_EQ(restOn(window, {30, 65}), L"标签提示");
    SetCursorPos(0, 0);
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 140));
    Pump(600);
    EXPECT_EQ(restOn(window, {30, 105}), L"");  // a label without a tip shows none
}

TEST_F(Backend, AHiddenWindowPlacedInTheTopmostBandIsActivatedOnlyWhenShownAndAtItsShownSize) {
    const FormSpec row{.name = "Max",
                       .caption = u"最大",
                       .clientWidth = 3000,
                       .clientHeight = 1500,
                       .maximized = true,
                       .controls = kNoControls};
    auto form = toolkit.CreateForm(row);
    std::vector<Twips> widths;
    form->Activate = [&] { widths.push_back(form->ScaleWidth()); };
    form->SetWindowPos(InsertAfter::Topmost, PixelRect{10, 10, 200, 100});
    Pump(100);
    EXPECT_TRUE(widths.empty());
    form->Show();
    Pump(100);
    ASSERT_EQ(widths.size(), 1u);
    EXPECT_EQ(widths[0], GetSystemMetrics(SM_CXSCREEN) * toolkit.TwipsPerPixelX());
}

}  // namespace
}  // namespace quorvel::win32
