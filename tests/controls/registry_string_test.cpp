// ReadStringValue on real registry values: the 12-byte buffer of the link colours, types
// and termination.
#include "controls/registry_string.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/controls/registry_values.h"

namespace {

const char kScratchKey[] = "Software\\Sprout.Test.RegistryString";

struct Read {
    LONG status;
    DWORD size;
    std::string text;
};

Read ReadInto12Bytes(HKEY key, const char* name)
{
    char buffer[12] = {};
    DWORD size = sizeof(buffer);
    Read read;
    read.status = ReadStringValue(key, name, buffer, &size);
    read.size = size;
    if (read.status == ERROR_SUCCESS)
        read.text.assign(buffer);
    return read;
}

}  // namespace

TEST(ReadStringValue, ElevenCharactersAndTheNulFitTwelveBytesThirteenDoNot)
{
    RegistryValues values(kScratchKey, {"fits", "too long", "one over"});
    ASSERT_TRUE(values.SetString("fits", "255,255,255"));
    ASSERT_TRUE(values.SetString("too long", "255, 255, 255"));
    ASSERT_TRUE(values.SetString("one over", "255,255,2555"));

    Read fits = ReadInto12Bytes(values.Key(), "fits");
    EXPECT_EQ(fits.status, ERROR_SUCCESS);
    EXPECT_EQ(fits.size, 12u);
    EXPECT_EQ(fits.text, "255,255,255");

    for (const char* name : {"too long", "one over"}) {
        Read read = ReadInto12Bytes(values.Key(), name);
        EXPECT_EQ(read.status, ERROR_MORE_DATA) << name;
        EXPECT_EQ(read.size, 0u) << name;
    }
}

TEST(ReadStringValue, TakesOnlyCompleteStrings)
{
    RegistryValues values(kScratchKey, {"sz", "expand", "dword", "binary", "unterminated",
                                        "empty", "missing"});
    ASSERT_TRUE(values.SetString("sz", "0,0,255"));
    ASSERT_TRUE(values.Set("expand", REG_EXPAND_SZ, std::string("%TEMP%", 7)));
    ASSERT_TRUE(values.SetDword("dword", 0x00FF0000));
    ASSERT_TRUE(values.Set("binary", REG_BINARY, std::string("1,2,3", 6)));
    // Written directly: the registry adds a missing NUL when the byte after the data is one.
    const char unterminated[] = "1,2,3X";
    ASSERT_EQ(RegSetValueExA(values.Key(), "unterminated", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(unterminated), 5),
              ERROR_SUCCESS);
    ASSERT_TRUE(values.Set("empty", REG_SZ, ""));

    struct Case {
        const char* name;
        LONG status;
        DWORD size;
        const char* text;
    } cases[] = {
        {"sz", ERROR_SUCCESS, 8, "0,0,255"},
        {"expand", ERROR_SUCCESS, 7, "%TEMP%"},  // not expanded
        {"dword", ERROR_INVALID_DATA, 0, ""},
        {"binary", ERROR_INVALID_DATA, 0, ""},
        {"unterminated", ERROR_INVALID_DATA, 0, ""},
        {"empty", ERROR_INVALID_DATA, 0, ""},
        {"missing", ERROR_FILE_NOT_FOUND, 0, ""},
    };
    for (const Case& c : cases) {
        Read read = ReadInto12Bytes(values.Key(), c.name);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_EQ(read.size, c.size) << c.name;
        EXPECT_EQ(read.text, c.text) << c.name;
    }
}
