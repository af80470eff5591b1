// Bad input in the files the program reads: settings.ini read-only, a folder of that name,
// one with a thousand other torrents; info.pyd values longer than their buffers; a logo.bmp
// that is no bitmap; and a status stream whose GBK characters are cut between chunks.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "res/resource.h"
#include "tests/reliability/sprout_session.h"
#include "status/status_texts.h"

using namespace reliability;
using namespace texts;

namespace {

void ExpectAnswers(SproutSession& session, const std::string& when)
{
    EXPECT_LT(session.AnswerTime(), 1000u) << "the window did not answer within a second " << when;
}

// A start and a stop with the engine running, in the folder given.
void DownloadAndStop(SproutSession& session, const std::string& folder)
{
    ASSERT_TRUE(session.SetSaveFolderField(folder));
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusDownloading);
    EXPECT_EQ(session.EngineCount(), 1u);
    ExpectAnswers(session, "while downloading");
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusStopped);
    EXPECT_EQ(session.EngineCount(), 0u);
}

// The label's prefix followed by a value of the given form.
bool ShowsFigure(const std::string& text, const std::string& prefix, const std::regex& value)
{
    return text.compare(0, prefix.size(), prefix) == 0
           && std::regex_match(text.substr(prefix.size()), value);
}

std::string FileBytes(const std::string& path)
{
    std::string bytes;
    driver::ReadFile(path, &bytes);
    return bytes;
}

}  // namespace

// Whether this system refuses to write a read-only file (Wine run as root does not).
bool ReadOnlyRefusesWrites(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(file);
    return false;
}

TEST(BadFiles, SettingsThatCannotBeWrittenStayUntouched)
{
    SproutSession session("readonly");
    std::string settings = "[movie.torrent]\r\nPath=" + session.SaveFolder()
                           + "\r\n[other.torrent]\r\nPath=D:\\x\\\r\n";

    // Read-only.
    ASSERT_TRUE(driver::WriteFile(session.SettingsPath(), settings));
    ASSERT_TRUE(SetFileAttributesA(session.SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY));
    bool refuses = ReadOnlyRefusesWrites(session.SettingsPath());
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(session.Sprout().ControlText(IDC_SAVE_FOLDER), session.SaveFolder());
    DownloadAndStop(session, session.Folder().File("elsewhere"));
    ASSERT_TRUE(session.Exit());
    if (refuses)
        EXPECT_EQ(FileBytes(session.SettingsPath()), settings);
    else
        std::printf("  this system writes read-only files (Wine as root): content not compared\n");
    EXPECT_TRUE(GetFileAttributesA(session.SettingsPath().c_str()) & FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributesA(session.SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL));

    // Held open by another program that lets nobody write it.
    ASSERT_TRUE(driver::WriteFile(session.SettingsPath(), settings));
    HANDLE held = CreateFileA(session.SettingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(session.Sprout().ControlText(IDC_SAVE_FOLDER), session.SaveFolder());
    DownloadAndStop(session, session.Folder().File("elsewhere"));
    ASSERT_TRUE(session.Exit());
    CloseHandle(held);
    EXPECT_EQ(FileBytes(session.SettingsPath()), settings);
}

TEST(BadFiles, FolderNamedSettingsIni)
{
    SproutSession session("settingsdir");
    ASSERT_TRUE(DeleteFileA(session.SettingsPath().c_str()));
    ASSERT_TRUE(CreateDirectoryA(session.SettingsPath().c_str(), nullptr));
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(session.Sprout().ControlText(IDC_SAVE_FOLDER), "C:\\Downloads\\");
    DownloadAndStop(session, session.SaveFolder());
    ASSERT_TRUE(session.Exit());
    DWORD attributes = GetFileAttributesA(session.SettingsPath().c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((session.SettingsPath() + "\\*.*").c_str(), &found);
    int entries = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do
            ++entries;
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(entries, 2) << "only . and .. belong in it";
}

TEST(BadFiles, ThousandOtherTorrentsKeepTheirSections)
{
    SproutSession session("thousand");
    // In the form the INI functions write, so that a rewrite of the file changes nothing else.
    auto sections = [](int from, int to) {
        std::string text;
        for (int i = from; i < to; ++i) {
            char section[160];
            std::snprintf(section, sizeof(section),
                          "[%s %04d.torrent]\r\nPath=D:\\下载\\%d\\\r\nNote=第%d个 = ; x\r\n",
                          i % 3 == 0 ? "电影" : "other", i, i, i);
            text += section;
        }
        return text;
    };
    std::string before = sections(0, 500);
    std::string after = sections(500, 1000);
    std::string ours = "[movie.torrent]\r\nPath=";
    ASSERT_TRUE(driver::WriteFile(session.SettingsPath(),
                                  before + ours + session.SaveFolder() + "\r\n" + after));
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(session.Sprout().ControlText(IDC_SAVE_FOLDER), session.SaveFolder());
    std::string folder = session.Folder().File("new place");
    DownloadAndStop(session, folder);
    ASSERT_TRUE(session.Exit());
    std::string expected = before + ours + folder + "\r\n" + after;
    std::string written = FileBytes(session.SettingsPath());
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected) << "first difference at byte "
                                     << std::mismatch(written.begin(), written.end(),
                                                      expected.begin())
                                                .first
                                            - written.begin();
}

TEST(BadFiles, BrandingValuesLongerThanTheirBuffers)
{
    SproutSession session("longbranding");
    // The forum button opens "help": a program whose path is exactly 259 bytes, followed by
    // more text. Only when the value is cut at 259 bytes does the program open.
    std::string probeDir = session.Folder().Path();
    probeDir += std::string(259 - probeDir.size() - 1 - std::string("link_probe.exe").size(), 'p');
    probeDir += "\\";
    ASSERT_TRUE(CreateDirectoryA(probeDir.c_str(), nullptr));
    std::string probe = probeDir + "link_probe.exe";
    ASSERT_EQ(probe.size(), 259u);
    ASSERT_TRUE(driver::CopyFromBin("link_probe.exe", probe));

    std::string label;
    while (label.size() < 300)
        label += "链接";  // GBK, so the cut at 259 falls inside a character
    ASSERT_TRUE(driver::WriteFile(session.Folder().File("info.pyd"),
                                  "[INFO]\r\nhelp=" + probe + std::string(300, 'x') + "\r\nlabel="
                                      + label + "\r\ntip=" + std::string(400, 't')
                                      + "\r\nlink=http://example.invalid/" + std::string(500, 'l')
                                      + "\r\n"));
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, "Sprout.LinkProbe.Opened");
    ASSERT_TRUE(opened);
    ASSERT_TRUE(session.Open());
    ExpectAnswers(session, "with long branding values");
    // The label draws its cut text.
    HWND link = session.Sprout().Control(IDC_LINK);
    ASSERT_TRUE(link);
    RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ExpectAnswers(session, "after the label was drawn");

    ASSERT_NE(session.Click(IDC_FORUM), kNoAnswer);
    EXPECT_EQ(WaitForSingleObject(opened, 10000), WAIT_OBJECT_0)
        << "the forum button did not open the first 259 bytes of \"help\"";
    CloseHandle(opened);
    ExpectAnswers(session, "after the forum button");
    ASSERT_TRUE(session.Exit());
}

TEST(BadFiles, LogoThatIsNoBitmap)
{
    std::string bitmapHeaderOnly("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18);
    std::string hugeBitmap = bitmapHeaderOnly;
    // width and height 0x7FFFFFFF, one plane, 24 bits, no compression, nothing behind
    hugeBitmap += std::string("\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x7F\x01\0\x18\0", 12);
    hugeBitmap += std::string(24, '\0');
    const struct {
        const char* what;
        std::string bytes;
    } logos[] = {
        {"text", "this is not a bitmap at all\r\n"},
        {"empty", ""},
        {"header only", bitmapHeaderOnly},
        {"huge dimensions and no pixels", hugeBitmap},
    };
    SproutSession session("badlogo");
    // logo.bmp is looked up where the program starts, which is not its own folder here.
    std::string startDir = session.Folder().File("start");
    ASSERT_TRUE(CreateDirectoryA(startDir.c_str(), nullptr));
    for (const auto& logo : logos) {
        ASSERT_TRUE(driver::WriteFile(startDir + "\\logo.bmp", logo.bytes)) << logo.what;
        ASSERT_TRUE(session.Open("movie.torrent", startDir)) << logo.what;
        DWORD_PTR image = 1;
        EXPECT_TRUE(SendMessageTimeoutA(session.Sprout().Control(IDC_LOGO), STM_GETIMAGE,
                                        IMAGE_BITMAP, 0, SMTO_NORMAL, 1000, &image));
        EXPECT_EQ(image, 0u) << logo.what;
        ExpectAnswers(session, logo.what);
        ASSERT_TRUE(session.Exit()) << logo.what;
    }
}

TEST(BadFiles, StatusStreamWithGbkCharactersCutBetweenChunks)
{
    SproutSession session("split");
    // The block names the torrent's file; cut byte by byte, every GBK character of the name
    // arrives in two reads.
    std::string name = "电影合集(导演版)第1部.torrent";
    ASSERT_TRUE(session.AddTorrent(name));
    session.Knobs().Set("SPROUT_BT_SPLIT", "1");
    ASSERT_TRUE(session.Open(name));
    ASSERT_TRUE(session.SetSaveFolderField(session.SaveFolder()));
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    driver::SproutProcess& sprout = session.Sprout();
    EXPECT_TRUE(sprout.WaitForText(IDC_FILE_SIZE, std::string(SPROUT_TEXT_FILE_SIZE) + "256.0 kB", 5000))
        << sprout.ControlText(IDC_FILE_SIZE);
    // The amount grows by 512 bytes a second; whatever moment is shown, each label holds a
    // whole figure.
    const std::regex amount("[0-9]+ B|[0-9]+\\.[0-9] kB");
    EXPECT_TRUE(driver::WaitUntil(
        [&] {
            return ShowsFigure(sprout.ControlText(IDC_DOWNLOADED), SPROUT_TEXT_DOWNLOADED, amount)
                   && sprout.ControlText(IDC_DOWNLOADED) != std::string(SPROUT_TEXT_DOWNLOADED) + "0 B";
        },
        5000))
        << sprout.ControlText(IDC_DOWNLOADED);
    for (int sample = 0; sample < 20; ++sample) {
        std::string shown = sprout.ControlText(IDC_DOWNLOADED);
        EXPECT_TRUE(ShowsFigure(shown, SPROUT_TEXT_DOWNLOADED, amount)) << shown;
        shown = sprout.ControlText(IDC_SPEED);
        EXPECT_TRUE(ShowsFigure(shown, SPROUT_TEXT_SPEED, std::regex("[0-9]+\\.[0-9] kB/s"))) << shown;
        shown = sprout.ControlText(IDC_TIME_LEFT);
        EXPECT_TRUE(ShowsFigure(shown, SPROUT_TEXT_TIME_LEFT, std::regex("[0-9]+ sec"))) << shown;
        EXPECT_EQ(sprout.ControlText(IDC_FILE_SIZE), std::string(SPROUT_TEXT_FILE_SIZE) + "256.0 kB");
        Sleep(100);  // samples spread over two seconds of the stream
    }
    ExpectAnswers(session, "while the stream comes byte by byte");
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    ASSERT_TRUE(session.Exit());
}
