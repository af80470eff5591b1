// The program folder, its files and the engine command line.
#include "app/program_paths.h"

#include <gtest/gtest.h>

#include "tests/gbk.h"

TEST(ProgramPaths, ProgramDirEndsAfterTheLastWholeBackslash)
{
    UseGbk gbk;
    const struct {
        const char* path;
        const char* dir;
    } cases[] = {
        {"C:\\App\\sprout.exe", "C:\\App\\"},
        {"C:\\sprout.exe", "C:\\"},
        {"\\\\server\\share\\x.exe", "\\\\server\\share\\"},
        {"sprout.exe", ""},
        {"", ""},
        {"C:\\App\\", "C:\\App\\"},
        // 表 is B1 ED and 砛 is ED 5C: their trail bytes are no separators.
        {"C:\\\xB1\xED\\sprout.exe", "C:\\\xB1\xED\\"},
        {"C:\\\xED\x5C" "sprout.exe", "C:\\"},
        {"C:\\dir\\\xED\x5C", "C:\\dir\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramDirFromModulePath(c.path), c.dir) << c.path;
    EXPECT_EQ(ProgramDirFromModulePath(nullptr), "");
}

TEST(ProgramPaths, FilesLieInTheProgramDir)
{
    EXPECT_EQ(SettingsFilePath("C:\\App\\"), "C:\\App\\settings.ini");
    EXPECT_EQ(BrandingFilePath("C:\\App\\"), "C:\\App\\info.pyd");
    EXPECT_EQ(SettingsFilePath(""), "settings.ini");
}

TEST(ProgramPaths, EngineCommandLineIsTheFixedConcatenation)
{
    UseGbk gbk;
    const struct {
        const char* dir;
        const char* torrent;
        const char* line;
    } cases[] = {
        {"C:\\App\\", "movie.torrent",
         "\"C:\\App\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\App\\movie.torrent\""},
        {"C:\\My App\\", "my movie.torrent",
         "\"C:\\My App\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\My App\\my movie.torrent\""},
        {"C:\\App\\", "\"q.torrent\"",
         "\"C:\\App\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\App\\\"q.torrent\"\""},
        {"C:\\App\\", "D:\\full\\path.torrent",
         "\"C:\\App\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\App\\D:\\full\\path.torrent\""},
        {"", "ab.TORRENT",
         "\"bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 \"ab.TORRENT\""},
        {"C:\\\xB5\xE7\xD3\xB0\\", "\xB5\xE7\xD3\xB0.torrent",
         "\"C:\\\xB5\xE7\xD3\xB0\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\\xB5\xE7\xD3\xB0\\\xB5\xE7\xD3\xB0.torrent\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EngineCommandLine(c.dir, c.torrent), c.line) << c.torrent;
}
