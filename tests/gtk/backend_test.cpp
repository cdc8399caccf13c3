// The GTK backend's own edges: pictures that are not pictures, a settings
// store that cannot be written or holds garbage, and the keys the lock's
// filter sees.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "layouts/forms.h"
#include "lock/keyboard_filter.h"
#include "platform/gtk/form_window.h"
#include "platform/gtk/gtk_toolkit.h"
#include "platform/gtk/pictures.h"

// Xlib last: its macros (None, Status) would clash with GoogleTest's names.
#include <gdk/gdkx.h>

namespace quorvel::gtk {
namespace {

namespace fs = std::filesystem;

class Folder {
public:
    Folder() : path_(fs::temp_directory_path() / ("quorvel-gtk-" + std::to_string(getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Folder() {
        std::error_code unused;
        fs::permissions(path_, fs::perms::owner_all, unused);
        fs::remove_all(path_, unused);
    }
    fs::path operator/(const char* name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A PNG whose header claims the given size and holds nothing else.
std::string PngHeaderOnly(uint32_t width, uint32_t height) {
    std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>((v >> shift) & 0xFF);
    png += std::string("\x08\x02\0\0\0", 5);
    png += std::string(4, '\0');  // a wrong checksum, as a broken file has
    return png;
}

TEST(GtkPictures, WhatIsNoPictureIsRefusedWithoutWaitingAndAPictureComesAtItsUse) {
    Folder folder;
    Write(folder / "text.jpg", "not a picture at all");
    Write(folder / "huge.png", PngHeaderOnly(65535, 65535));
    Write(folder / "cut.png", PngHeaderOnly(4, 4).substr(0, 20));
    ASSERT_EQ(mkfifo((folder / "pipe.png").c_str(), 0600), 0);  // reading it would never end
    for (const fs::path& bad : {folder / "missing.png", folder.path(), fs::path("/dev/zero"), folder / "text.jpg",
                                folder / "huge.png", folder / "cut.png", folder / "pipe.png"})
        EXPECT_FALSE(DecodePictureFile(bad.string())) << bad;

    // A JPEG shown at a half or less is the program's own decoding, a band at
    // a time; the desktop's decoder takes the rest.
    const auto save = [&folder](const char* name, uint32_t colour) {
        GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 400, 200);
        gdk_pixbuf_fill(pixbuf, colour);
        const char* type = fs::path(name).extension() == ".png" ? "png" : "jpeg";
        EXPECT_TRUE(gdk_pixbuf_save(pixbuf, (folder / name).c_str(), type, nullptr, nullptr));
        g_object_unref(pixbuf);
    };
    save("wide.png", 0x3366CCFF);
    save("wide.jpg", 0x3366CCFF);
    const auto near = [](uint32_t a, uint32_t b) {
        for (int shift : {0, 8, 16, 24})
            if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > 3) return false;
        return true;
    };
    struct Case {
        const char* file;
        PictureUse use;
        int width, height;
    };
    for (const Case& c : {Case{"wide.png", {}, 400, 200}, Case{"wide.png", PictureUse::FitWithin(100, 100), 100, 50},
                          Case{"wide.png", PictureUse::FitWithin(800, 800), 400, 200},
                          Case{"wide.png", PictureUse::TopLeft(50, 60), 50, 60}, Case{"wide.jpg", {}, 400, 200},
                          Case{"wide.jpg", PictureUse::FitWithin(100, 100), 100, 50},
                          Case{"wide.jpg", PictureUse::FitWithin(300, 300), 300, 150},
                          Case{"wide.jpg", PictureUse::TopLeft(50, 60), 50, 60}}) {
        const auto picture = DecodePictureFile((folder / c.file).string(), c.use);
        ASSERT_TRUE(picture && *picture) << c.file;
        EXPECT_EQ((*picture)->width, c.width) << c.file;
        EXPECT_EQ((*picture)->height, c.height) << c.file;
        EXPECT_PRED2(near, (*picture)->At(c.width - 1, c.height - 1), 0xFF3366CCu) << c.file;
    }

    // The picture still shown is given again while its file is unchanged; a
    // changed file is read anew.
    const PictureUse screen = PictureUse::FitWithin(100, 100);
    const auto shown = DecodePictureFile((folder / "wide.jpg").string(), screen);
    ASSERT_TRUE(shown && *shown);
    EXPECT_EQ(*DecodePictureFile((folder / "wide.jpg").string(), screen), *shown);
    save("wide.jpg", 0xCC3300FF);
    const auto changed = DecodePictureFile((folder / "wide.jpg").string(), screen);
    ASSERT_TRUE(changed && *changed);
    EXPECT_PRED2(near, (*changed)->At(0, 0), 0xFFCC3300u);
}

TEST(GtkStore, KeepsAnyTextAndAGarbledFileOrABlockedFolderLosesOrBreaksNothing) {
    Folder folder;
    GtkToolkit toolkit;
    toolkit.storeFolder = folder / "store";
    for (const std::u16string& text :
         {std::u16string(u"  密码 with ; # = [x]\n\tend  "), std::u16string(100000, u'x'), std::u16string()}) {
        toolkit.StoreSave(u"text1", u"APP", u"TEXT", text);
        EXPECT_EQ(toolkit.StoreLoad(u"text1", u"APP", u"TEXT", u"fallback"), text);
    }
    // A name is never a path: it stays in the store's folder.
    toolkit.StoreSave(u"../escape", u"APP", u"TEXT", u"inside");
    EXPECT_FALSE(fs::exists(folder / "escape.ini"));
    EXPECT_EQ(toolkit.StoreLoad(u"../escape", u"APP", u"TEXT", u""), u"inside");

    // Garbage where a key file should be: the default, and the next save
    // writes a good file over it.
    Write(folder / "store" / "text2.ini", std::string("\0\xff\xfe[[[\n=\n", 10));
    EXPECT_EQ(toolkit.StoreLoad(u"text2", u"APP", u"TEXT", u"fallback"), u"fallback");
    toolkit.StoreSave(u"text2", u"APP", u"TEXT", u"mended");
    EXPECT_EQ(toolkit.StoreLoad(u"text2", u"APP", u"TEXT", u"fallback"), u"mended");

    // A plain file where the folder should be: a save is lost without a
    // word, a load gives the default.
    Write(folder / "blocked", "a file");
    toolkit.storeFolder = folder / "blocked" / "store";
    toolkit.StoreSave(u"text2", u"APP", u"TEXT", u"lost");
    EXPECT_EQ(toolkit.StoreLoad(u"text2", u"APP", u"TEXT", u"fallback"), u"fallback");
}

TEST(GtkStore, AReadOnlyStoreKeepsWhatItHolds) {
    Folder folder;
    GtkToolkit toolkit;
    toolkit.storeFolder = folder / "store";
    toolkit.StoreSave(u"text2", u"APP", u"TEXT", u"kept");
    fs::permissions(folder / "store", fs::perms::owner_read | fs::perms::owner_exec);
    fs::permissions(folder / "store" / "text2.ini", fs::perms::owner_read);
    if (access((folder / "store").c_str(), W_OK) == 0) GTEST_SKIP() << "this user writes even read-only files";
    toolkit.StoreSave(u"text2", u"APP", u"TEXT", u"lost");
    EXPECT_EQ(toolkit.StoreLoad(u"text2", u"APP", u"TEXT", u"fallback"), u"kept");
}

void Pass(int ms) {
    const gint64 end = g_get_monotonic_time() + gint64{ms} * 1000;
    while (g_get_monotonic_time() < end) {
        while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
}

uint32_t RootPixel(int x, int y) {
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, 1, 1);
    const guint8* p = gdk_pixbuf_read_pixels(shot);
    const uint32_t rgb = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    g_object_unref(shot);
    return rgb;
}

// The screen is covered in the lock window's colour from the moment the
// desktop is held, and the cover never outlives the event that locked: the
// lock window takes it away as it shows, and without one it goes at the next
// turn of the main loop.
TEST(GtkLock, TheCoverComesWithTheGrabAndGoesWithTheLockWindowOrAtTheNextTurn) {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
    const uint32_t colour = layouts::kForm2.backColor & 0xFFFFFF;
    const uint32_t lockColour = (colour & 0xFF) << 16 | (colour & 0xFF00) | colour >> 16;  // 0xBBGGRR
    for (const bool lockWindowShows : {true, false}) {
        Folder folder;
        GtkToolkit toolkit;
        toolkit.storeFolder = folder / "store";
        toolkit.MakeAhead(layouts::kForm2);
        auto setup = toolkit.CreateForm(layouts::kForm1);
        setup->Show();
        Pass(300);  // the first frame, then what is made ahead
        ASSERT_NE(RootPixel(2, 2), lockColour);
        ASSERT_TRUE(toolkit.BeginLock());
        EXPECT_TRUE(toolkit.CoverShown());
        gdk_display_sync(gdk_display_get_default());
        EXPECT_EQ(RootPixel(2, 2), lockColour) << lockWindowShows;
        if (lockWindowShows) {
            auto lock = toolkit.CreateForm(layouts::kForm2);
            lock->Show();
            EXPECT_FALSE(toolkit.CoverShown());
            Pass(50);
            EXPECT_EQ(RootPixel(2, 2), lockColour);  // the lock window's own
        } else {
            Pass(50);
            EXPECT_FALSE(toolkit.CoverShown());
            EXPECT_NE(RootPixel(2, 2), lockColour);
        }
    }
}

// A timer whose ticks change nothing ticks a few times a second after a
// second of them, and is back at its pace at the next event from the X
// server; one whose ticks send requests keeps its pace.
TEST(GtkTimers, IdleTicksSlowDownUntilAnythingHappens) {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
    const layouts::ControlSpec row{.name = "Ticker", .kind = layouts::ControlKind::Timer, .interval = 5};
    FormTimer idle(row), busy(row);
    int ticks = 0;
    idle.Tick = [&ticks] { ++ticks; };
    busy.Tick = [] { XNoOp(GDK_DISPLAY_XDISPLAY(gdk_display_get_default())); };
    idle.SetEnabled(true);
    busy.SetEnabled(true);
    Pass(1300);
    EXPECT_TRUE(idle.Slowed());
    EXPECT_FALSE(busy.Slowed());
    ticks = 0;
    Pass(1000);
    EXPECT_LE(ticks, 1000 / kIdleTickMs + 1);
    busy.SetEnabled(false);
    Pass(1300);
    ASSERT_TRUE(idle.Slowed());
    GtkWidget* window = gtk_window_new(GTK_WINDOW_POPUP);  // its map and exposure are events
    gtk_widget_show(window);
    Pass(30);
    EXPECT_FALSE(idle.Slowed());
    ticks = 0;
    Pass(300);
    EXPECT_GE(ticks, 300 / kShortestTickMs / 2);
    gtk_widget_destroy(window);
}

// The help file opens in the desktop's viewer for text, which gets the
// environment the program was started with (the program itself runs without
// OpenGL).
TEST(GtkHelp, TheHelpFileOpensInTheViewerForTextWithTheEnvironmentAsItWas) {
    Folder folder;
    fs::create_directories(folder / "data/applications");
    fs::create_directories(folder / "config");
    const fs::path seen = folder / "seen.txt";
    Write(folder / "viewer.sh", "#!/bin/sh\nenv > '" + seen.string() + ".part'; echo \"FILE=$1\" >> '" + seen.string() +
                                    ".part'; mv '" + seen.string() + ".part' '" + seen.string() + "'\n");
    fs::permissions(folder / "viewer.sh", fs::perms::owner_all);
    Write(folder / "data/applications/quorvel-viewer.desktop",
          "[Desktop Entry]\nType=Application\nName=Viewer\nMimeType=text/plain;\nExec=" +
              (folder / "viewer.sh").string() + " %f\n");
    Write(folder / "config/mimeapps.list", "[Default Applications]\ntext/plain=quorvel-viewer.desktop\n");
    const fs::path help = folder / "NS码.txt";
    Write(help, "NS码\n");
    setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    unsetenv("GDK_GL");
    LeaveOutGl();
    ASSERT_STREQ(g_getenv("GDK_GL"), "disable");
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
    GtkToolkit toolkit;
    toolkit.storeFolder = folder / "store";
    ASSERT_TRUE(toolkit.OpenTextFile(U16(help.c_str())));
    for (int i = 0; i < 100 && !fs::exists(seen); ++i) g_usleep(50'000);
    std::ifstream in(seen);
    const std::string env((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(env.find("FILE=" + help.string()), std::string::npos) << env;
    EXPECT_EQ(env.find("GDK_GL="), std::string::npos);
}

// The lock's filter sees the keys as the Windows hook does, left and right
// apart: of the modifiers only the left Ctrl is one of its four codes.
TEST(GtkKeys, TheFilterDiscardsTheLeftCtrlAndPassesEveryOtherKey) {
    struct Case {
        guint keyval;
        uint32_t code;
        bool discarded;
    };
    for (const Case& c : {Case{GDK_KEY_Control_L, 162, true}, Case{GDK_KEY_Control_R, 163, false},
                          Case{GDK_KEY_Shift_L, 160, false}, Case{GDK_KEY_Alt_L, 164, false},
                          Case{GDK_KEY_Tab, 9, false}, Case{GDK_KEY_a, 'A', false}, Case{GDK_KEY_F4, 115, false}}) {
        EXPECT_EQ(VirtualKeyOf(c.keyval), c.code) << c.keyval;
        EXPECT_EQ(FilterKeyEvent({VirtualKeyOf(c.keyval), true, false}), c.discarded) << c.keyval;
    }
}

}  // namespace
}  // namespace quorvel::gtk
