// The torrent name and the window title made from the command line.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include "tests/gbk.h"

TEST(CommandLine, TrimsAndRefusesShortNames)
{
    UseGbk gbk;
    const struct {
        const char* raw;
        const char* name;
        bool accepted;
    } cases[] = {
        {"", "", false},
        {"a.torr", "a.torr", false},
        {"   a.torr \t", "a.torr", false},
        {"abcdefg", "abcdefg", false},
        {"abcdefgh", "abcdefgh", true},
        {"  movie.torrent  ", "movie.torrent", true},
        {"\r\nmovie.torrent\r\n", "movie.torrent", true},
        {"\"my movie.torrent\"", "\"my movie.torrent\"", true},
        {" \xB5\xE7\xD3\xB0.torrent ", "\xB5\xE7\xD3\xB0.torrent", true},
        {"\xA1\xA1\xA1\xA1", "\xA1\xA1\xA1\xA1", false},  // 4 bytes of full-width blanks stay
    };
    for (const auto& c : cases) {
        Text name = TorrentNameFromCommandLine(c.raw);
        EXPECT_EQ(name, c.name) << '[' << c.raw << ']';
        EXPECT_EQ(IsAcceptableTorrentName(name), c.accepted) << '[' << c.raw << ']';
    }
}

TEST(CommandLine, RawCommandLineFollowsTheProgramNameAndItsBlanks)
{
    const struct {
        const char* full;
        const char* raw;
    } cases[] = {
        {"\"C:\\App\\sprout.exe\"   movie.torrent ", "movie.torrent "},
        {"C:\\App\\sprout.exe movie.torrent", "movie.torrent"},
        {"sprout.exe", ""},
        {"\"C:\\My App\\sprout.exe\"\t\"a b.torrent\"", "\"a b.torrent\""},
        {"\"C:\\My App\\\"sprout.exe x.torrent", "x.torrent"},
        // GBK bytes are above 0x7F: neither the name's end nor blanks.
        {"\"C:\\App\\sprout.exe\"  \xB5\xE7\xD3\xB0 \xBA\xCF.torrent",
         "\xB5\xE7\xD3\xB0 \xBA\xCF.torrent"},
        {"C:\\\xB5\xE7\\sprout.exe \xB5\xE7.torrent", "\xB5\xE7.torrent"},
        {"sprout.exe\x01\x1F x", "x"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(RawCommandLine(c.full), c.raw) << '[' << c.full << ']';
}

TEST(CommandLine, TitleIsTheNameBeforeDotTorrent)
{
    UseGbk gbk;
    const struct {
        const char* name;
        const char* title;
    } cases[] = {
        {"movie.torrent", "movie"},
        {"ab.TORRENT", ""},
        {"x.torrent.old", "x"},
        {".torrent", ""},
        {".torrentmovie.torrent", ""},
        {"no extension here", ""},
        {"a.torrent.torrent", "a"},
        {"\"my movie.torrent\"", "\"my movie"},
        {"\xD3\xB0.torrent", "\xD3\xB0"},
        // 0x81 swallows the '.' as its trail byte, so ".torrent" begins nowhere here.
        {"ab\x81.torrent", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowTitleForTorrent(Text(c.name)), c.title) << c.name;
}
