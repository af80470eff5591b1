// A whole file read into memory: its bytes, an empty file, and why not for a missing one or
// one larger than asked for.
#include "framework/whole_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/driver/driver.h"

TEST(WholeFile, ReadsEveryByteOrSaysWhyNot)
{
    driver::TempDir folder("whole-file");
    const std::string bytes("torrent\0bytes", 13);
    ASSERT_TRUE(driver::WriteFile(folder.File("a.torrent"), bytes));
    ASSERT_TRUE(driver::WriteFile(folder.File("empty.torrent"), ""));
    std::unique_ptr<char[]> data;
    DWORD size = 1;
    auto read = [&](const char* name, DWORD most) {
        return ReadWholeFile(folder.File(name).c_str(), most, &data, &size);
    };
    ASSERT_EQ(read("a.torrent", 13), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(std::string(data.get(), size), bytes);
    ASSERT_EQ(read("empty.torrent", 13), DWORD(ERROR_SUCCESS));
    EXPECT_TRUE(data);
    EXPECT_EQ(size, 0u);

    EXPECT_EQ(read("a.torrent", 12), DWORD(ERROR_FILE_TOO_LARGE));
    EXPECT_FALSE(data);
    EXPECT_EQ(read("missing.torrent", 13), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(size, 0u);
}
