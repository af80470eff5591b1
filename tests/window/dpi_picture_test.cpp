// The window at 96 and 144 DPI (the prefix's LogPixels, set for the programs this test
// starts): it grows with the DPI against the logo, which keeps its size, and the file list
// and the link label are drawn. Each picture is saved beside the test as
// screenshot-<dpi>dpi.bmp. Runs alone: the setting holds for every program the prefix starts
// meanwhile.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "res/resource.h"
#include "tests/driver/driver.h"
#include "tests/driver/program_folder.h"
#include "tests/window/screen_capture.h"

using driver::SproutProcess;
using window_test::Picture;
using driver::ProgramFolder;

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";

// LogPixels for the programs started from now on; the old value comes back afterwards.
class ScopedLogPixels {
public:
    explicit ScopedLogPixels(DWORD dpi)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &m_key, nullptr);
        DWORD size = sizeof(m_old);
        m_hadOld = RegQueryValueExA(m_key, "LogPixels", nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(&m_old), &size) == ERROR_SUCCESS;
        RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof(dpi));
    }
    ~ScopedLogPixels()
    {
        if (m_hadOld)
            RegSetValueExA(m_key, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&m_old),
                           sizeof(m_old));
        else
            RegDeleteValueA(m_key, "LogPixels");
        RegCloseKey(m_key);
    }

private:
    HKEY m_key = nullptr;
    DWORD m_old = 0;
    bool m_hadOld = false;
};

struct Shot {
    Picture client;
    RECT list = {};
    RECT label = {};
    SIZE logo = {};
};

Shot TakeShot(ProgramFolder& folder, DWORD dpi)
{
    ScopedLogPixels logPixels(dpi);
    Shot shot;
    SproutProcess sprout;
    EXPECT_TRUE(sprout.Launch(folder.Exe(), "album.torrent", folder.Path()));
    HWND dialog = sprout.WaitForDialog();
    EXPECT_NE(dialog, nullptr);
    if (!dialog)
        return shot;
    HWND list = sprout.Control(IDC_FILE_LIST);
    EXPECT_NE(list, nullptr);
    shot.list = window_test::ControlArea(dialog, list);
    shot.label = window_test::ControlArea(dialog, sprout.Control(IDC_LINK));
    RECT logo = window_test::ControlArea(dialog, sprout.Control(IDC_LOGO));
    shot.logo = {logo.right - logo.left, logo.bottom - logo.top};
    shot.client = window_test::CaptureSettled(dialog, sprout.Control(IDC_EXIT));
    shot.client.SaveBmp(driver::BinDir() + "screenshot-" + std::to_string(dpi) + "dpi.bmp");
    sprout.Press(IDC_EXIT);
    DWORD code = 0;
    EXPECT_TRUE(sprout.WaitForExit(15000, &code));
    return shot;
}

std::string S(const std::string& text) { return std::to_string(text.size()) + ":" + text; }

std::string AlbumTorrent()
{
    std::string files;
    const char* names[] = {"01 晨光.flac", "02 Rain on the Roof.flac", "03 夜曲.flac", "cover.jpg"};
    long long length = 31457280;
    for (const char* name : names) {
        files += "d6:lengthi" + std::to_string(length) + "e4:pathl" + S(name) + "ee";
        length /= 3;
    }
    return "d8:encoding3:GBK4:infod5:filesl" + files + "e4:name" + S("示例专辑")
         + "12:piece lengthi262144eee";
}

}  // namespace

TEST(DpiPicture, WindowScalesWithTheSystemDpiAndTheLogoKeepsItsSize)
{
    ProgramFolder folder("dpi");
    ASSERT_TRUE(driver::WriteFile(folder.File("album.torrent"), AlbumTorrent()));
    ASSERT_TRUE(folder.AddLogo());
    ASSERT_TRUE(folder.SetBranding("label", "欢迎使用 Sprout！点击这里注册"));

    Shot normal = TakeShot(folder, 96);
    Shot large = TakeShot(folder, 144);
    ASSERT_GT(normal.client.width, 0);
    ASSERT_GT(large.client.width, 0);
    std::printf("  client area %dx%d at 96 DPI, %dx%d at 144 DPI\n", normal.client.width,
                normal.client.height, large.client.width, large.client.height);
    // The dialog's units follow its font, whose pixel size rounds, while the logo keeps its
    // size: against the logo the window grows about one and a half times. Measured against
    // the logo, this holds both where the display has the system DPI (Windows; Wine before
    // version 10), the window then shown one and a half times larger and the logo as before,
    // and where the display stays at 96 DPI (Wine from version 10 takes LogPixels as the
    // system DPI only), a system-aware window then shown scaled to the display, logo and all.
    ASSERT_GT(normal.logo.cx, 0);
    ASSERT_GT(large.logo.cx, 0);
    double wider = (double(large.client.width) / large.logo.cx)
                 / (double(normal.client.width) / normal.logo.cx);
    double taller = (double(large.client.height) / large.logo.cy)
                  / (double(normal.client.height) / normal.logo.cy);
    std::printf("  logo %ldx%ld at 96 DPI, %ldx%ld at 144 DPI\n", normal.logo.cx, normal.logo.cy,
                large.logo.cx, large.logo.cy);
    EXPECT_GT(wider, 1.35);
    EXPECT_LT(wider, 1.65);
    EXPECT_GT(taller, 1.35);
    EXPECT_LT(taller, 1.65);
    for (const Shot* shot : {&normal, &large}) {
        EXPECT_FALSE(shot->client.Part(shot->list).IsUniform());
        EXPECT_FALSE(shot->client.Part(shot->label).IsUniform());
    }
}
