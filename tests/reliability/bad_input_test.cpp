// Bad input on the command line and in the save-folder field: very long torrent names, names
// with GBK characters, blanks and quotes, save folders longer than any path.
#include <gtest/gtest.h>

#include <cstdio>

#include "res/resource.h"
#include "tests/reliability/sprout_session.h"
#include "status/status_texts.h"

using namespace reliability;
using namespace texts;

namespace {

std::string EngineCommandLine(const SproutSession& session, const std::string& torrentName)
{
    return "\"" + session.Folder().File("bt.exe")
           + "\" --minport 8888 --maxport 9000 --display_interval 1.0 \""
           + session.Folder().File(torrentName) + "\"";
}

std::string StoredPath(const SproutSession& session, const std::string& section)
{
    char stored[1024] = {};
    GetPrivateProfileStringA(section.c_str(), "Path", "(none)", stored, sizeof(stored),
                             session.SettingsPath().c_str());
    return stored;
}

// The recorded lines of the engines that ran, each "command line: ..." and "working
// directory: ...".
std::string Recorded(const std::string& path)
{
    std::string bytes;
    driver::ReadFile(path, &bytes);
    return bytes;
}

void ExpectAnswers(SproutSession& session, const std::string& when)
{
    EXPECT_LT(session.AnswerTime(), 1000u) << "the window did not answer within a second " << when;
}

// Start, then the press that stops (or clears a failed start or an ended engine).
void StartThenStop(SproutSession& session, const std::string& when)
{
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer) << when;
    ExpectAnswers(session, "after start " + when);
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer) << when;
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusStopped) << when;
    EXPECT_EQ(session.Sprout().ControlText(IDC_START_STOP), kStartDownload) << when;
    EXPECT_EQ(session.EngineCount(), 0u) << when;
}

}  // namespace

TEST(BadInput, CommandLineOfOneKilobyte)
{
    SproutSession session("cmd1k");
    std::string record = session.Folder().File("record.txt");
    session.Knobs().Set("SPROUT_BT_RECORD", record);
    std::string name = std::string(1024 - 8, 'n') + ".torrent";
    ASSERT_TRUE(session.Open(name));
    EXPECT_EQ(session.Sprout().Title(), name.substr(0, 1016));
    ASSERT_TRUE(session.SetSaveFolderField(session.SaveFolder()));
    StartThenStop(session, "with a 1 KB name");
    // The engine got the name unchanged (it cannot open so long a path, and ends).
    EXPECT_EQ(Recorded(record), "command line: " + EngineCommandLine(session, name)
                                    + "\r\nworking directory: "
                                    + session.SaveFolder().substr(0, session.SaveFolder().size() - 1)
                                    + "\r\n");
    EXPECT_EQ(StoredPath(session, name), session.SaveFolder());
    ASSERT_TRUE(session.Exit());

    // The long section is found again at the next start.
    ASSERT_TRUE(session.Open(name));
    EXPECT_EQ(session.Sprout().ControlText(IDC_SAVE_FOLDER), session.SaveFolder());
    ASSERT_TRUE(session.Exit());
}

TEST(BadInput, CommandLineOfThirtyTwoKilobytes)
{
    SproutSession session("cmd32k");
    // As long as a command line can be: 32,767 characters with the program's own name.
    size_t room = 32767 - 1 - (session.Folder().File("sprout.exe").size() + 3);
    std::string name = std::string(room - 8, 'n') + ".torrent";
    ASSERT_TRUE(session.Open(name));
    std::string title = session.Sprout().Title();
    EXPECT_EQ(title, std::string(title.size(), 'n'));
    EXPECT_GT(title.size(), 1000u);
    // Too long for the engine's command line: the start fails and says so to the parser,
    // within its own buffer; the texts stay.
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusStopped);
    EXPECT_EQ(session.Sprout().ControlText(IDC_START_STOP), kStartShort);
    EXPECT_EQ(session.EngineCount(), 0u);
    ExpectAnswers(session, "after the failed start");
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_EQ(session.Sprout().ControlText(IDC_START_STOP), kStartDownload);
    ExpectAnswers(session, "after the stop");
    ASSERT_TRUE(session.Exit());
}

TEST(BadInput, TorrentNameWithGbkCharactersBlanksAndQuotes)
{
    SproutSession session("gbkname");
    std::string record = session.Folder().File("record.txt");
    session.Knobs().Set("SPROUT_BT_RECORD", record);

    // A name the engine can open: it downloads under it.
    std::string plain = "电影 合集 (导演版).torrent";
    ASSERT_TRUE(session.AddTorrent(plain));
    ASSERT_TRUE(session.Open("  " + plain + "  "));
    EXPECT_EQ(session.Sprout().Title(), "电影 合集 (导演版)");
    ASSERT_TRUE(session.SetSaveFolderField(session.SaveFolder()));
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusDownloading);
    EXPECT_EQ(session.EngineCount(), 1u);
    EXPECT_TRUE(session.Sprout().WaitForText(IDC_FILE_SIZE, std::string(SPROUT_TEXT_FILE_SIZE) + "256.0 kB",
                                             5000))
        << session.Sprout().ControlText(IDC_FILE_SIZE);
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_EQ(session.EngineCount(), 0u);
    EXPECT_EQ(StoredPath(session, plain), session.SaveFolder());
    ASSERT_TRUE(session.Exit());

    // Quotes stay in the name, the section and the engine's command line (which the
    // simulated engine refuses, so it ends at once).
    std::string quoted = "\"片名 \"A B\" 第1部.torrent\"";
    ASSERT_TRUE(session.Open(quoted));
    EXPECT_EQ(session.Sprout().Title(), "\"片名 \"A B\" 第1部");
    ASSERT_TRUE(session.SetSaveFolderField(session.SaveFolder()));
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_TRUE(session.Sprout().WaitForText(IDC_START_STOP, kStartDownload, 5000));
    ExpectAnswers(session, "after the engine refused the name");
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_EQ(session.EngineCount(), 0u);
    EXPECT_EQ(StoredPath(session, quoted), session.SaveFolder());
    ASSERT_TRUE(session.Exit());

    EXPECT_EQ(Recorded(record),
              "command line: " + EngineCommandLine(session, plain) + "\r\nworking directory: "
                  + session.SaveFolder().substr(0, session.SaveFolder().size() - 1) + "\r\n");
}

TEST(BadInput, SaveFoldersLongerThanAnyPath)
{
    SproutSession session("longfolder");
    std::string record = session.Folder().File("record.txt");
    session.Knobs().Set("SPROUT_BT_RECORD", record);
    std::string programDir = session.Folder().Path();
    std::string startDir = programDir.substr(0, programDir.size() - 1);
    for (size_t length : {300u, 600u}) {
        std::string folder = programDir + std::string(length - programDir.size(), 'f');
        ASSERT_TRUE(session.Open());
        ASSERT_TRUE(session.SetSaveFolderField(folder));
        ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer) << length;
        // No such folder can be made; the engine runs where the program was started.
        EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusDownloading) << length;
        EXPECT_EQ(session.EngineCount(), 1u) << length;
        ExpectAnswers(session, "with a long folder");
        ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer) << length;
        EXPECT_EQ(session.EngineCount(), 0u) << length;
        // The field is read into 512 bytes.
        EXPECT_EQ(StoredPath(session, "movie.torrent"), folder.substr(0, 511)) << length;
        ASSERT_TRUE(session.Exit()) << length;

        // And read back into 260.
        ASSERT_TRUE(session.Open());
        EXPECT_EQ(session.Sprout().ControlText(IDC_SAVE_FOLDER), folder.substr(0, 259)) << length;
        ASSERT_TRUE(session.Exit()) << length;
    }
    std::string run = "command line: " + EngineCommandLine(session, "movie.torrent")
                      + "\r\nworking directory: " + startDir + "\r\n";
    EXPECT_EQ(Recorded(record), run + run);
}
