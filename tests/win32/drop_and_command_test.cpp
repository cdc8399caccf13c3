// A real OLE drop on a text box, and commands started with a show state.
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "drag.h"
#include "platform/win32/form_window.h"
#include "platform/win32/win32_toolkit.h"
#include "pump.h"

namespace quorvel::win32 {
namespace {

using layouts::ControlKind;
using layouts::ControlSpec;

constexpr ControlSpec kDropControls[] = {{.name = "Text5",
                                          .kind = ControlKind::TextBox,
                                          .left = 300,
                                          .top = 300,
                                          .width = 3000,
                                          .height = 375,
                                          .dropTarget = true}};
const layouts::FormSpec kDropForm{.name = "Drop",
                                  .caption = u"拖放",
                                  .clientWidth = 4500,
                                  .clientHeight = 1500,
                                  .controls = kDropControls};

class Drop : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    void SetUp() override {
        form = toolkit.CreateForm(kDropForm);
        form->Show();
        Pump(100);
        box = &form->TextBoxNamed("Text5");
        box->FileDrop = [this](const DroppedFiles& files) { drops.push_back(files); };
        RECT r;
        GetWindowRect(ChildWindowOf(*box), &r);
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        Pump(50);
    }
    Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
    std::unique_ptr<Window> form;
    TextBox* box = nullptr;
    std::vector<DroppedFiles> drops;
};

TEST_F(Drop, AFileListArrivesInOrderWithItsFullPaths) {
    Drag(CF_HDROP, FileList({L"C:\\图片\\my photo.jpg", L"C:\\b.bmp"}));
    ASSERT_EQ(drops.size(), 1u);
    ASSERT_TRUE(drops[0].has_value());
    EXPECT_EQ(*drops[0], (std::vector<std::u16string>{u"C:\\图片\\my photo.jpg", u"C:\\b.bmp"}));
}

TEST_F(Drop, NarrowListsAreReadAndMalformedListsGiveOnlyWhatLiesWithinTheBlock) {
    Drag(CF_HDROP, RawFileList(sizeof(DROPFILES), FALSE, std::string("C:\\a.jpg\0D:\\b c.png\0\0", 22)));
    // Without the closing zeros the last path ends with the block.
    Drag(CF_HDROP, RawFileList(sizeof(DROPFILES), FALSE, "C:\\x.jpg"));
    // The paths said to start beyond the block, or inside the header.
    Drag(CF_HDROP, RawFileList(4096, TRUE, std::string(8, 'A')));
    Drag(CF_HDROP, RawFileList(2, TRUE, std::string(8, 'A')));
    // An empty list.
    Drag(CF_HDROP, RawFileList(sizeof(DROPFILES), TRUE, std::string(2, '\0')));
    ASSERT_EQ(drops.size(), 5u);
    using Paths = std::vector<std::u16string>;
    EXPECT_EQ(drops[0], Paths({u"C:\\a.jpg", u"D:\\b c.png"}));
    EXPECT_EQ(drops[1], Paths({u"C:\\x.jpg"}));
    EXPECT_EQ(drops[2], Paths{});
    EXPECT_EQ(drops[3], Paths{});
    EXPECT_EQ(drops[4], Paths{});
}

TEST_F(Drop, PlainTextArrivesAsADropWithNoList) {
    Drag(CF_UNICODETEXT, PlainText(L"just some text"));
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_FALSE(drops[0].has_value());
}

HWND WaitForWindow(const wchar_t* caption) {
    for (int i = 0; i < 300; ++i) {
        HWND h = FindWindowW(nullptr, caption);
        if (h && IsWindowVisible(h)) return h;
        Pump(50);
    }
    return nullptr;
}

// The power page's requests are the system's shutdown command; a log-off
// without -f lets running programs ask to save their work.
TEST(Commands, EachPowerRequestIsItsShutdownCommandAndProgramFilesLieBesideTheProgram) {
    EXPECT_EQ(PowerCommandLine(PowerRequest::Shutdown), u"Cmd.exe /c shutdown -s -f ");
    EXPECT_EQ(PowerCommandLine(PowerRequest::Restart), u"Cmd.exe /c shutdown -r -f ");
    EXPECT_EQ(PowerCommandLine(PowerRequest::LogOff), u"Cmd.exe /c shutdown -l ");
    Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
    ASSERT_TRUE(toolkit.ProgramDirectory());
    EXPECT_EQ(toolkit.ProgramFile(u"NS码.txt"), *toolkit.ProgramDirectory() + u"\\NS码.txt");
}

TEST(Commands, RunCommandStartsWithTheRequestedShowStateWithoutWaiting) {
    Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
    for (ShowStyle style : {ShowStyle::MinimizedFocus, ShowStyle::NormalFocus}) {
        const DWORD before = GetTickCount();
        ASSERT_TRUE(toolkit.RunCommand(u"notepad.exe", style));
        EXPECT_LT(GetTickCount() - before, 5000u);  // it does not wait for the program
        HWND notepad = WaitForWindow(L"Untitled - Notepad");
        ASSERT_NE(notepad, nullptr);
        EXPECT_EQ(IsIconic(notepad) != FALSE, style == ShowStyle::MinimizedFocus);
        PostMessageW(notepad, WM_CLOSE, 0, 0);
        for (int i = 0; i < 100 && IsWindow(notepad); ++i) Pump(50);
    }
}

// A folder of someone else's holding a shutdown.bat and a notepad.exe, made
// the current folder: a bare command name never runs what it holds.
TEST(Commands, BareNamesRunFromTheSystemFolderNeverFromThePlantedOnes) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring planted = std::wstring(temp) + L"quorvel-planted";
    CreateDirectoryW(planted.c_str(), nullptr);
    const std::wstring marker = planted + L"\\ran.txt";
    DeleteFileW(marker.c_str());
    const std::string script = "@echo planted> \"" + std::string(marker.begin(), marker.end()) + "\"\r\n";
    HANDLE bat =
        CreateFileW((planted + L"\\shutdown.bat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(bat, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(bat, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    CloseHandle(bat);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    CopyFileW((std::wstring(system) + L"\\hostname.exe").c_str(), (planted + L"\\notepad.exe").c_str(), FALSE);
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    SetCurrentDirectoryW(planted.c_str());

    const auto notepad = ResolveCommand(L"notepad.exe C:\\a.txt");
    ASSERT_TRUE(notepad.has_value());
    EXPECT_EQ(_wcsicmp(notepad->program.c_str(), (std::wstring(system) + L"\\notepad.exe").c_str()), 0);
    EXPECT_EQ(_wcsicmp(notepad->folder.c_str(), system), 0);
    EXPECT_FALSE(ResolveCommand(L"no-such-program-quorvel.exe").has_value());

    Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
    ASSERT_TRUE(toolkit.RunCommand(u"Cmd.exe /c shutdown -?", ShowStyle::MinimizedFocus));
    Pump(3000);
    EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted shutdown.bat ran";

    SetCurrentDirectoryW(before);
    for (const wchar_t* name : {L"\\shutdown.bat", L"\\notepad.exe", L"\\ran.txt"})
        DeleteFileW((planted + name).c_str());
    RemoveDirectoryW(planted.c_str());
}

}  // namespace
}  // namespace quorvel::win32
