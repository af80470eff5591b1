// The program folder and its files.
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
