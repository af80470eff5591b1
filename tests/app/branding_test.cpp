// info.pyd read key by key: defaults for what is missing, empty values kept, long values cut.
#include "app/branding.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/driver/driver.h"
#include "tests/text_compare.h"

namespace {

bool Write(const driver::TempDir& dir, const char* key, const char* value)
{
    return WritePrivateProfileStringA("INFO", key, value, dir.File("info.pyd").c_str()) != 0;
}

}  // namespace

TEST(Branding, MissingFileGivesTheDefaults)
{
    driver::TempDir dir("branding");
    EXPECT_EQ(ReadBranding(dir.Path().c_str(), BrandingKey::Help), "http://www.example.com/");
    EXPECT_EQ(ReadBranding(dir.Path().c_str(), BrandingKey::Tip), "http://www.example.com/");
    EXPECT_EQ(ReadBranding(dir.Path().c_str(), BrandingKey::Link),
              "http://www.example.com/UCenter/reguser.asp");
    Text label = ReadBranding(dir.Path().c_str(), BrandingKey::Label);
    EXPECT_EQ(label, BrandingDefault(BrandingKey::Label));
    EXPECT_EQ(label.Length(), 46);  // one line of 23 GBK characters
    EXPECT_EQ(std::strchr(label.c_str(), '\n'), nullptr);
}

TEST(Branding, PresentKeysAreUsedAsTheyStandEmptyOnesIncluded)
{
    driver::TempDir dir("branding");
    ASSERT_TRUE(Write(dir, "help", "http://forum.example.org/"));
    ASSERT_TRUE(Write(dir, "label", ""));
    ASSERT_TRUE(Write(dir, "link", std::string(300, 'L').c_str()));
    EXPECT_EQ(ReadBranding(dir.Path().c_str(), BrandingKey::Help), "http://forum.example.org/");
    EXPECT_EQ(ReadBranding(dir.Path().c_str(), BrandingKey::Label), "");
    EXPECT_EQ(ReadBranding(dir.Path().c_str(), BrandingKey::Link), std::string(259, 'L').c_str());
    // Absent from a file that has the section: the default.
    EXPECT_EQ(ReadBranding(dir.Path().c_str(), BrandingKey::Tip), "http://www.example.com/");

    // Each read goes to the file: a change shows at the next read.
    ASSERT_TRUE(Write(dir, "help", "second.exe"));
    EXPECT_EQ(ReadBranding(dir.Path().c_str(), BrandingKey::Help), "second.exe");
}
