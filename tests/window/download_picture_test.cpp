// The window during a simulated download, seen on the screen: its size, the logo from the
// working folder, the bar filled in. Saved as window-during-download.bmp next to the test.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/driver/driver.h"
#include "status/status_texts.h"
#include "tests/driver/program_folder.h"
#include "tests/window/screen_capture.h"

using driver::SproutProcess;
using window_test::Picture;
using driver::ProgramFolder;
using driver::ScopedEnvironment;

namespace {

bool HasValue(const SproutProcess& sprout, int controlId, const std::string& prefix)
{
    std::string text = sprout.ControlText(controlId);
    return text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

// The logo is looked up relative to the working folder. (Wine's LoadImageA also looks beside
// the executable, so a logo in the program folder alone would show there too.)
TEST(DownloadPicture, LogoComesFromTheWorkingFolder)
{
    ProgramFolder folder("logo");
    driver::TempDir workingFolder("working");
    // Without its image the static paints nothing under Wine, so the screen keeps what was
    // there before: the run without a logo goes first.
    for (bool withLogo : {false, true}) {
        if (withLogo) {
            ASSERT_TRUE(driver::CopyFromBin("logo.bmp", workingFolder.File("logo.bmp")));
        }
        SproutProcess sprout;
        ASSERT_TRUE(sprout.Launch(folder.Exe(), "movie.torrent", workingFolder.Path()));
        HWND dialog = sprout.WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        Picture picture = window_test::CaptureSettled(dialog, sprout.Control(IDC_EXIT));
        RECT logo = window_test::ControlArea(dialog, sprout.Control(IDC_LOGO));
        InflateRect(&logo, -2, -2);  // inside the sunken edge
        EXPECT_EQ(!picture.Part(logo).IsUniform(), withLogo);
        sprout.Press(IDC_EXIT);
        DWORD code = 0;
        EXPECT_TRUE(sprout.WaitForExit(15000, &code));
    }
}

TEST(DownloadPicture, WindowDuringASimulatedDownload)
{
    ProgramFolder folder("picture");
    ASSERT_TRUE(folder.AddEngine());
    ASSERT_TRUE(folder.AddLogo());
    ASSERT_TRUE(folder.AddTorrent("movie.torrent", 32 * 1024 * 1024));
    ASSERT_TRUE(folder.SetSavedFolder("movie.torrent", folder.File("save\\")));
    ScopedEnvironment rate("SPROUT_BT_RATE", "2097152");

    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), "movie.torrent", folder.Path()));
    HWND dialog = sprout.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    sprout.Press(IDC_START_STOP);
    HWND progress = sprout.Control(IDC_PROGRESS);
    ASSERT_TRUE(driver::WaitUntil(
        [&] {
            return HasValue(sprout, IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE) &&
                   HasValue(sprout, IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED) &&
                   HasValue(sprout, IDC_SPEED, SPROUT_TEXT_SPEED) &&
                   HasValue(sprout, IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT) &&
                   SendMessageA(progress, PBM_GETPOS, 0, 0) >= 5;
        },
        20000));

    Picture picture = window_test::CaptureClient(dialog);
    picture.SaveBmp(driver::BinDir() + "window-during-download.bmp");

    // The whole client area (the layout test ties it to 370 x 293 dialog units), not blank.
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(picture.width, client.right);
    EXPECT_EQ(picture.height, client.bottom);
    EXPECT_GT(picture.width, 370);
    EXPECT_GT(picture.height, 293);
    EXPECT_GT(picture.DistinctColours(), 8);

    // The bar's left part is filled with a colour of its own, its right part is not.
    RECT bar = window_test::ControlArea(dialog, progress);
    int y = (bar.top + bar.bottom) / 2;
    DWORD filled = picture.pixels[static_cast<size_t>(y) * picture.width + bar.left + 4];
    DWORD empty = picture.pixels[static_cast<size_t>(y) * picture.width + bar.right - 4];
    EXPECT_NE(filled, empty);

    RECT logo = window_test::ControlArea(dialog, sprout.Control(IDC_LOGO));
    InflateRect(&logo, -2, -2);
    EXPECT_FALSE(picture.Part(logo).IsUniform());

    for (int id : {IDC_FILE_SIZE, IDC_DOWNLOADED, IDC_SPEED, IDC_TIME_LEFT})
        EXPECT_FALSE(picture.Part(window_test::ControlArea(dialog, sprout.Control(id))).IsUniform())
            << id;

    sprout.Press(IDC_EXIT);
    DWORD code = 0;
    EXPECT_TRUE(sprout.WaitForExit(20000, &code));
    EXPECT_EQ(code, 1005u);
}
