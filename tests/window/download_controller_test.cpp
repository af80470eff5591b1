// The Start/Stop button as a black box, with the simulated engine as bt.exe: where and how
// the engine runs, what settings.ini keeps, the texts of each state, and that no engine is
// left behind when the program ends.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/driver/driver.h"
#include "status/status_texts.h"
#include "tests/driver/program_folder.h"

using driver::SproutProcess;
using driver::EngineChildren;
using driver::ProgramFolder;
using driver::ScopedEnvironment;
using namespace texts;

namespace {

std::string EngineCommandLine(const ProgramFolder& folder, const std::string& torrent)
{
    return "\"" + folder.Path() + "bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 \"" +
           folder.Path() + torrent + "\"";
}

std::string WithoutTrailingBackslash(std::string path)
{
    if (path.size() > 3 && path.back() == '\\')
        path.pop_back();
    return path;
}

int Count(const std::string& text, const std::string& what)
{
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

std::string Record(const ProgramFolder& folder)
{
    std::string bytes;
    driver::ReadFile(folder.File("record.txt"), &bytes);
    return bytes;
}

bool SetControlText(const SproutProcess& sprout, int controlId, const std::string& text)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(sprout.Control(controlId), WM_SETTEXT, 0,
                               reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000,
                               &result) != 0;
}

bool HasValue(const SproutProcess& sprout, int controlId, const std::string& prefix)
{
    std::string text = sprout.ControlText(controlId);
    return text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

int ProgressPosition(const SproutProcess& sprout)
{
    return static_cast<int>(SendMessageA(sprout.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0));
}

// Another process's window text comes from the system without a message, so it can be read
// while the program's thread is busy.
std::string TextWithoutMessage(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

bool SendPress(HWND dialog)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDC_START_STOP, BN_CLICKED), 0,
                               SMTO_NORMAL, 20000, &result) != 0;
}

DWORD WINAPI SendPressThread(void* dialog)
{
    return SendPress(static_cast<HWND>(dialog)) ? 0 : 1;
}

void ExitWith1005(SproutProcess& sprout)
{
    sprout.Press(IDC_EXIT);
    DWORD code = 0;
    ASSERT_TRUE(sprout.WaitForExit(20000, &code));
    EXPECT_EQ(code, 1005u);
}

}  // namespace

TEST(DownloadController, StartRunsTheEngineInTheSaveFolderAndStopResetsSpeedAndTimeLeftOnly)
{
    ProgramFolder folder("start");
    const std::string torrent = "my movie.torrent";
    ASSERT_TRUE(folder.AddEngine());
    ASSERT_TRUE(folder.AddTorrent(torrent, 8 * 1024 * 1024));
    const std::string saveFolder = folder.File("save here\\");
    ASSERT_TRUE(folder.SetSavedFolder(torrent, saveFolder));
    ScopedEnvironment record("SPROUT_BT_RECORD", folder.File("record.txt"));
    ScopedEnvironment rate("SPROUT_BT_RATE", "262144");

    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), torrent, folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);
    EXPECT_EQ(sprout.ControlText(IDC_SAVE_FOLDER), saveFolder);

    sprout.Press(IDC_START_STOP);
    EXPECT_TRUE(sprout.WaitForText(IDC_STATUS_GROUP, kStatusDownloading));
    EXPECT_TRUE(sprout.WaitForText(IDC_START_STOP, kStopDownload));
    const std::string expected = "command line: " + EngineCommandLine(folder, torrent) +
                                 "\r\nworking directory: " +
                                 WithoutTrailingBackslash(saveFolder) + "\r\n";
    EXPECT_TRUE(driver::WaitUntil([&] { return Record(folder) == expected; }, 10000))
        << Record(folder);
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::FileExists(saveFolder + "data.bin"); },
                                  10000));
    EXPECT_EQ(folder.SavedFolder(torrent), saveFolder);
    EXPECT_EQ(EngineChildren(sprout.ProcessId()).size(), 1u);

    // The engine's status reaches all four labels and the bar.
    EXPECT_TRUE(driver::WaitUntil(
        [&] {
            return HasValue(sprout, IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE) &&
                   HasValue(sprout, IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED) &&
                   HasValue(sprout, IDC_SPEED, SPROUT_TEXT_SPEED) &&
                   HasValue(sprout, IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT) && ProgressPosition(sprout) > 0;
        },
        15000));

    // Another folder picked while it runs is stored by the stopping press.
    const std::string otherFolder = folder.File("second\\");
    ASSERT_TRUE(SetControlText(sprout, IDC_SAVE_FOLDER, otherFolder));
    SetControlText(sprout, IDC_SPEED, "-");
    SetControlText(sprout, IDC_TIME_LEFT, "-");
    sprout.Press(IDC_START_STOP);
    EXPECT_TRUE(sprout.WaitForText(IDC_SPEED, kSpeedReset));
    EXPECT_TRUE(sprout.WaitForText(IDC_TIME_LEFT, kTimeLeftReset));
    EXPECT_EQ(sprout.ControlText(IDC_STATUS_GROUP), kStatusStopped);
    EXPECT_EQ(sprout.ControlText(IDC_START_STOP), kStartDownload);
    EXPECT_TRUE(HasValue(sprout, IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE));
    EXPECT_TRUE(HasValue(sprout, IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED));
    EXPECT_GT(ProgressPosition(sprout), 0);
    EXPECT_EQ(folder.SavedFolder(torrent), otherFolder);
    EXPECT_TRUE(driver::FileExists(otherFolder));
    EXPECT_TRUE(EngineChildren(sprout.ProcessId()).empty());
    EXPECT_EQ(Count(Record(folder), "command line: "), 1);
    ExitWith1005(sprout);
}

TEST(DownloadController, EngineEndingByItselfTakesOnePressToStopAndAnotherToStart)
{
    ProgramFolder folder("ended");
    ASSERT_TRUE(folder.AddEngine());
    ASSERT_TRUE(folder.AddTorrent("movie.torrent"));
    ASSERT_TRUE(folder.SetSavedFolder("movie.torrent", folder.File("save\\")));
    ScopedEnvironment record("SPROUT_BT_RECORD", folder.File("record.txt"));
    ScopedEnvironment exitAfter("SPROUT_BT_EXIT_AFTER", "1");

    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), "movie.torrent", folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);

    sprout.Press(IDC_START_STOP);
    EXPECT_TRUE(driver::WaitUntil([&] { return Count(Record(folder), "command line: ") == 1; },
                                  10000));
    // Only the engine's end puts the long start text there before any stop.
    EXPECT_TRUE(sprout.WaitForText(IDC_START_STOP, kStartDownload));
    EXPECT_TRUE(sprout.WaitForText(IDC_STATUS_GROUP, kStatusStopped));
    EXPECT_TRUE(driver::WaitUntil([&] { return EngineChildren(sprout.ProcessId()).empty(); },
                                  10000));

    // First press: the stop of the ended run, nothing started.
    SetControlText(sprout, IDC_SPEED, "-");
    sprout.Press(IDC_START_STOP);
    EXPECT_TRUE(sprout.WaitForText(IDC_SPEED, kSpeedReset));
    EXPECT_EQ(sprout.ControlText(IDC_TIME_LEFT), kTimeLeftReset);
    EXPECT_EQ(sprout.ControlText(IDC_STATUS_GROUP), kStatusStopped);
    EXPECT_EQ(sprout.ControlText(IDC_START_STOP), kStartDownload);
    EXPECT_EQ(Count(Record(folder), "command line: "), 1);

    // Second press: a new run.
    sprout.Press(IDC_START_STOP);
    EXPECT_TRUE(driver::WaitUntil([&] { return Count(Record(folder), "command line: ") == 2; },
                                  10000));
    ExitWith1005(sprout);
}

TEST(DownloadController, FailedStartKeepsTheTextsAndTheFieldIsReadIntoItsBufferOnly)
{
    ProgramFolder folder("failed");  // no bt.exe
    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), "movie.torrent", folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);

    // 600 bytes in the field; the press reads 511 of them.
    ASSERT_TRUE(SetControlText(sprout, IDC_SAVE_FOLDER, std::string(600, 'f')));
    sprout.Press(IDC_START_STOP);
    EXPECT_TRUE(driver::WaitUntil(
        [&] { return folder.SavedFolder("movie.torrent") == std::string(511, 'f'); }, 10000));
    EXPECT_EQ(sprout.ControlText(IDC_START_STOP), texts::kStartShort);
    EXPECT_EQ(sprout.ControlText(IDC_STATUS_GROUP), kStatusStopped);

    // The failed run counts as running: the next press stops.
    ASSERT_TRUE(SetControlText(sprout, IDC_SAVE_FOLDER, ""));
    sprout.Press(IDC_START_STOP);
    EXPECT_TRUE(sprout.WaitForText(IDC_START_STOP, kStartDownload));
    EXPECT_TRUE(sprout.WaitForText(IDC_SPEED, kSpeedReset));
    EXPECT_EQ(folder.SavedFolder("movie.torrent"), "");
    ExitWith1005(sprout);
}

TEST(DownloadController, EmptyFolderStartsTheEngineWhereTheProgramWasStarted)
{
    ProgramFolder folder("empty");
    ASSERT_TRUE(folder.AddEngine());
    ASSERT_TRUE(folder.AddTorrent("movie.torrent"));
    ASSERT_TRUE(folder.SetSavedFolder("movie.torrent", ""));
    ScopedEnvironment record("SPROUT_BT_RECORD", folder.File("record.txt"));
    driver::TempDir startedIn("startdir");

    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), "movie.torrent", startedIn.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);
    EXPECT_EQ(sprout.ControlText(IDC_SAVE_FOLDER), "");
    sprout.Press(IDC_START_STOP);
    const std::string workingDirectory =
        "working directory: " + WithoutTrailingBackslash(startedIn.Path()) + "\r\n";
    EXPECT_TRUE(driver::WaitUntil(
        [&] { return Record(folder).find(workingDirectory) != std::string::npos; }, 10000))
        << Record(folder);
    EXPECT_EQ(folder.SavedFolder("movie.torrent"), "");
    ExitWith1005(sprout);
}

TEST(DownloadController, ExitWhileTheEngineFloodsLeavesNoEngineBehind)
{
    for (const char* mode : {"blocks", "text"}) {
        ProgramFolder folder("flood");
        ASSERT_TRUE(folder.AddEngine());
        ASSERT_TRUE(folder.AddTorrent("movie.torrent"));
        ASSERT_TRUE(folder.SetSavedFolder("movie.torrent", folder.File("save\\")));
        ScopedEnvironment flood("SPROUT_BT_FLOOD", "120");
        ScopedEnvironment floodMode("SPROUT_BT_FLOOD_MODE", mode);

        SproutProcess sprout;
        ASSERT_TRUE(sprout.Launch(folder.Exe(), "movie.torrent", folder.Path()));
        ASSERT_NE(sprout.WaitForDialog(), nullptr);
        sprout.Press(IDC_START_STOP);
        ASSERT_TRUE(sprout.WaitForText(IDC_START_STOP, kStopDownload)) << mode;
        std::vector<DWORD> engines;
        ASSERT_TRUE(driver::WaitUntil(
            [&] { return !(engines = EngineChildren(sprout.ProcessId())).empty(); }, 10000));

        // Exit posts the quit; the teardown stops the engine while its output pours in.
        ExitWith1005(sprout);
        for (DWORD engine : engines)
            EXPECT_TRUE(driver::WaitUntil([&] { return driver::ProcessEnded(engine); }, 10000))
                << mode;
    }
}

TEST(DownloadController, APressSentWhileAStopIsUnderWayRunsAfterItNotInsideIt)
{
    ProgramFolder folder("nested");
    ASSERT_TRUE(folder.AddEngine());
    ASSERT_TRUE(folder.AddTorrent("movie.torrent", 8 * 1024 * 1024));
    ScopedEnvironment rate("SPROUT_BT_RATE", "262144");
    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), "movie.torrent", folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);
    sprout.Press(IDC_START_STOP);
    ASSERT_TRUE(sprout.WaitForText(IDC_STATUS_GROUP, kStatusDownloading));

    // One thread presses Stop; once Stop is under way this one sends the next press.
    HANDLE stopper = CreateThread(nullptr, 0, SendPressThread, sprout.Dialog(), 0, nullptr);
    ASSERT_NE(stopper, nullptr);
    EXPECT_TRUE(driver::WaitUntil(
        [&] { return TextWithoutMessage(sprout.Control(IDC_STATUS_GROUP)) == kStatusStopping; }, 10000));
    EXPECT_TRUE(SendPress(sprout.Dialog()));
    EXPECT_EQ(WaitForSingleObject(stopper, 20000), WAIT_OBJECT_0);
    CloseHandle(stopper);

    // The second press started one engine after the first had stopped the other, and the
    // window says so; the press after that stops it.
    EXPECT_TRUE(sprout.WaitForText(IDC_STATUS_GROUP, kStatusDownloading));
    EXPECT_TRUE(sprout.WaitForText(IDC_START_STOP, kStopDownload));
    EXPECT_EQ(EngineChildren(sprout.ProcessId()).size(), 1u);
    sprout.Press(IDC_START_STOP);
    EXPECT_TRUE(sprout.WaitForText(IDC_STATUS_GROUP, kStatusStopped));
    EXPECT_TRUE(driver::WaitUntil([&] { return EngineChildren(sprout.ProcessId()).empty(); },
                                  10000));
    ExitWith1005(sprout);
}
