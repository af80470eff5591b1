// sprout.exe as a black box: its command-line check, its title and how it ends.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/driver/driver.h"

using driver::SproutProcess;
using driver::TempDir;

namespace {

// A program folder of the test's own, so that settings.ini lands there.
struct ProgramFolder {
    TempDir dir{"startup"};
    std::string exe = dir.File("sprout.exe");
    ProgramFolder() { EXPECT_TRUE(driver::CopyFromBin("sprout.exe", exe)); }
};

}  // namespace

TEST(Startup, ShortCommandLinesEndWithMinusOneAndNoWindow)
{
    ProgramFolder folder;
    for (const char* arguments : {"", "a.torr", "   a.torr   "}) {
        SproutProcess sprout;
        ASSERT_TRUE(sprout.Launch(folder.exe, arguments, folder.dir.Path()));
        DWORD code = 0;
        ASSERT_TRUE(sprout.WaitForExit(10000, &code)) << '[' << arguments << ']';
        EXPECT_EQ(code, static_cast<DWORD>(-1)) << '[' << arguments << ']';
        EXPECT_EQ(sprout.WaitForDialog(0), nullptr);
    }
}

TEST(Startup, TitleComesFromTheTrimmedNameAndOnlyExitEndsTheProgram)
{
    ProgramFolder folder;
    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.exe, "  movie.torrent  ", folder.dir.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);
    EXPECT_EQ(sprout.Title(), "movie");

    // Esc, the close box and Alt+F4 all come down to these; none may close the window.
    EXPECT_TRUE(sprout.SendToDialog(WM_COMMAND, IDCANCEL, 0));
    EXPECT_TRUE(sprout.SendToDialog(WM_COMMAND, IDOK, 0));
    EXPECT_TRUE(sprout.SendToDialog(WM_CLOSE, 0, 0));
    EXPECT_TRUE(sprout.SendToDialog(WM_SYSCOMMAND, SC_CLOSE, 0));
    EXPECT_TRUE(IsWindow(sprout.Dialog()));
    EXPECT_TRUE(sprout.IsRunning());

    sprout.Press(IDC_EXIT);
    DWORD code = 0;
    ASSERT_TRUE(sprout.WaitForExit(15000, &code));
    EXPECT_EQ(code, 1005u);
}

TEST(Startup, TitleRulesForOtherNames)
{
    ProgramFolder folder;
    const struct {
        const char* arguments;
        const char* title;
    } cases[] = {
        {"ab.TORRENT", ""},
        {"x.torrent.old", "x"},
        {"not a torrent name", ""},
        {"\"quoted name.torrent\"", "\"quoted name"},
    };
    for (const auto& c : cases) {
        SproutProcess sprout;
        ASSERT_TRUE(sprout.Launch(folder.exe, c.arguments, folder.dir.Path()));
        ASSERT_NE(sprout.WaitForDialog(), nullptr) << c.arguments;
        EXPECT_EQ(sprout.Title(), c.title) << c.arguments;
        sprout.Press(IDC_EXIT);
        DWORD code = 0;
        EXPECT_TRUE(sprout.WaitForExit(15000, &code));
        EXPECT_EQ(code, 1005u);
    }
}
