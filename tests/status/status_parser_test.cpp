// StatusParser: the engine's status blocks become label texts and a bar position, whatever the
// chunking, with the gate, the field order and the front deletions as the parser defines them.
#include "status/status_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "status/status_texts.h"
#include "tests/gbk.h"
#include "tests/status/recording_sink.h"
#include "tests/status/test_parser.h"

namespace {
using Lines = std::vector<std::string>;

const Lines kFirstBlock = {
    "\r\n",
    "saving: disc (1).iso (700.0 MB)\r\n",
    "percent done: 12.3\r\n",
    "time left: 320 sec\r\n",
    "download rate: 35.2 kB/s\r\n",
    "(10.5 MB up / 86.1 MB down)\r\n",
    "seed status: 1 distributed copies\r\n",
};

const Lines kSecondBlock = {
    "\r\n",
    "saving: disc (1).iso (700.0 MB)\r\n",
    "percent done: 45.6\r\n",
    "time left: 95 sec\r\n",
    "download rate: 41.0 kB/s\r\n",
    "(30.2 MB up / 319.2 MB down)\r\n",
    "seed status: 2 distributed copies\r\n",
};

const Lines kFirstBlockFields = {
    Label(IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE "700.0 MB"),
    Bar(12),
    Label(IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT "320 sec"),
    Label(IDC_SPEED, SPROUT_TEXT_SPEED "35.2 kB/s"),
    Label(IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED "86.1 MB"),
};

std::string Join(const Lines& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line;
    return all;
}

void Feed(TestParser& parser, RecordingSink& sink, const std::string& text)
{
    parser.OnStdout(text.c_str(), sink);
}

// The log of what a fresh parser writes for `text` in one call.
Lines ParseAtOnce(const std::string& text)
{
    TestParser parser;
    RecordingSink sink;
    Feed(parser, sink, text);
    return sink.log;
}
}

TEST(StatusParserWorkedExample, OneLinePerChunkThenTheNextBlock)
{
    TestParser parser;
    RecordingSink sink;
    for (size_t i = 0; i + 1 < kFirstBlock.size(); ++i) {
        Feed(parser, sink, kFirstBlock[i]);
        EXPECT_TRUE(sink.log.empty()) << "line " << i + 1;
    }
    Feed(parser, sink, kFirstBlock.back());
    EXPECT_EQ(sink.log, kFirstBlockFields);
    EXPECT_EQ(parser.PendingOutput(), ("down)\r\n" + kFirstBlock.back()).c_str());

    // The leading "down)\r\n" stands in front of the new "saving:", so the file size stays;
    // the percent is taken at once and its deletion takes the old gate key with it.
    sink.log.clear();
    const Lines expectedPerLine[] = {
        {}, {}, {Bar(45)}, {}, {}, {},
        {Label(IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT "95 sec"),
         Label(IDC_SPEED, SPROUT_TEXT_SPEED "41.0 kB/s"),
         Label(IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED "319.2 MB")},
    };
    for (size_t i = 0; i < kSecondBlock.size(); ++i) {
        Feed(parser, sink, kSecondBlock[i]);
        EXPECT_EQ(sink.log, expectedPerLine[i]) << "line " << i + 1;
        sink.log.clear();
    }
    EXPECT_EQ(parser.PendingOutput(), ("down)\r\n" + kSecondBlock.back()).c_str());
    EXPECT_EQ(sink.labels[IDC_FILE_SIZE], SPROUT_TEXT_FILE_SIZE "700.0 MB");
    EXPECT_EQ(sink.bar, 45);
}

TEST(StatusParserChunks, AnySplitGivesTheSameResultAsOneChunk)
{
    UseGbk gbk;
    // Double-byte characters in the values, so that splits also fall between their two bytes.
    const std::string block =
        "\r\n"
        "saving: \xB9\xE2\xC5\xCC (1).iso (700.0 \xD5\xD7)\r\n"
        "percent done: 12.3\r\n"
        "time left: \xB9\xE2 320 sec\r\n"
        "download rate: 35.2 kB/s\r\n"
        "(10.5 MB up / 86.1 \xD5\xD7 down)\r\n"
        "seed status: \xB9\xE2\xC5\xCC\r\n";
    const Lines whole = ParseAtOnce(block);
    ASSERT_EQ(whole.size(), 5u);
    EXPECT_EQ(whole[0], Label(IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE "700.0 \xD5\xD7"));
    EXPECT_EQ(whole[4], Label(IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED "86.1 \xD5\xD7"));

    for (size_t i = 0; i <= block.size(); ++i) {
        for (size_t j = i; j <= block.size(); ++j) {
            TestParser parser;
            RecordingSink sink;
            Feed(parser, sink, block.substr(0, i));
            Feed(parser, sink, block.substr(i, j - i));
            Feed(parser, sink, block.substr(j));
            ASSERT_EQ(sink.log, whole) << "split at " << i << " and " << j;
            ASSERT_EQ(parser.PendingOutput(), "down)\r\nseed status: \xB9\xE2\xC5\xCC\r\n");
        }
    }
}

TEST(StatusParserChunks, AnySplitOfTheNextBlockGivesTheSameResultAsOneChunk)
{
    const std::string first = Join(kFirstBlock);
    const std::string second = Join(kSecondBlock);
    TestParser atOnce;
    RecordingSink atOnceSink;
    Feed(atOnce, atOnceSink, first);
    atOnceSink.log.clear();
    Feed(atOnce, atOnceSink, second);

    for (size_t i = 0; i <= second.size(); ++i) {
        TestParser parser;
        RecordingSink sink;
        Feed(parser, sink, first);
        sink.log.clear();
        Feed(parser, sink, second.substr(0, i));
        Feed(parser, sink, second.substr(i));
        ASSERT_EQ(sink.log, atOnceSink.log) << "split at " << i;
        ASSERT_EQ(parser.PendingOutput(), atOnce.PendingOutput().c_str());
    }
}

TEST(StatusParserGate, KeyAtIndexZeroShutsTheGateForGood)
{
    TestParser parser;
    RecordingSink sink;
    std::string received = "seed status: 0 distributed copies\r\n";
    Feed(parser, sink, received);
    // Blocks keep coming, also from a later engine run after Stop and Start.
    for (int run = 0; run < 2; ++run) {
        for (const Lines* block : {&kFirstBlock, &kSecondBlock}) {
            for (const std::string& line : *block) {
                Feed(parser, sink, line);
                received += line;
            }
        }
    }
    EXPECT_TRUE(sink.log.empty());
    EXPECT_EQ(parser.PendingOutput(), received.c_str());
}

TEST(StatusParserGate, NoKeyNoParsing)
{
    TestParser parser;
    RecordingSink sink;
    std::string text = Join(kFirstBlock);
    text.erase(text.find("seed status:"));
    Feed(parser, sink, text);
    EXPECT_TRUE(sink.log.empty());
    EXPECT_EQ(parser.PendingOutput(), text.c_str());
}

TEST(StatusParserGate, FailedStartTextJoinsTheBufferAndIsPassedOver)
{
    TestParser parser;
    RecordingSink sink;
    Feed(parser, sink, "Unable to start C:\\dl\\bt.exe --minport 8888 x.torrent\n");
    EXPECT_TRUE(sink.log.empty());
    for (const std::string& line : kFirstBlock)
        Feed(parser, sink, line);
    EXPECT_EQ(sink.log, kFirstBlockFields);
    EXPECT_EQ(parser.PendingOutput(), ("down)\r\n" + kFirstBlock.back()).c_str());
}

TEST(StatusParserGate, OldKeyLeftFromTheLastRunKeepsTheGateOpen)
{
    TestParser parser;
    RecordingSink sink;
    Feed(parser, sink, Join(kFirstBlock));
    // The engine was stopped in the middle of a line; the next run's first line end finishes it.
    Feed(parser, sink, "percent done: 4");
    sink.log.clear();
    Feed(parser, sink, "\r\n");
    EXPECT_EQ(sink.log, Lines{Bar(4)});
    Feed(parser, sink, "percent done: 5\r\n");
    EXPECT_EQ(sink.log, Lines{Bar(4)});  // the old gate key went with that deletion
}

struct FileSizeCase {
    const char* name;
    const char* text;
    const char* shown;  // null: label not written
    const char* left;
};

TEST(StatusParserFileSize, ValueBehindTheLastParenthesisBeforeTheFirstTerminator)
{
    const FileSizeCase cases[] = {
        {"worked line", "\r\nsaving: disc (1).iso (700.0 MB)\r\nseed status: x\r\n", "700.0 MB",
         ")\r\nseed status: x\r\n"},
        {"blanks inside stay", "\r\nsaving: a (b) ( 700 MB )\r\nseed status: x\r\n", " 700 MB ",
         ")\r\nseed status: x\r\n"},
        {"no parenthesis: from the key", "\r\nsaving: disc.iso 700 MB)\r\nseed status: x\r\n",
         "saving: disc.iso 700 MB", ")\r\nseed status: x\r\n"},
        {"parenthesis only after the terminator", "\r\nsaving: a)\r\n(b)\r\nseed status: x\r\n",
         "saving: a", ")\r\n(b)\r\nseed status: x\r\n"},
        {"terminator in front of the key", "\r\nerror (x)\r\nsaving: a (1 MB)\r\nseed status: x\r\n",
         nullptr, "\r\nerror (x)\r\nsaving: a (1 MB)\r\nseed status: x\r\n"},
        {"key at index 0", "saving: a (1 MB)\r\nseed status: x\r\n", nullptr,
         "saving: a (1 MB)\r\nseed status: x\r\n"},
        {"empty value", "\r\nsaving: a ()\r\nseed status: x\r\n", nullptr,
         "\r\nsaving: a ()\r\nseed status: x\r\n"},
        {"terminator not yet arrived", "\r\nseed status: x\r\nsaving: a (1 MB", nullptr,
         "\r\nseed status: x\r\nsaving: a (1 MB"},
        {"the deletion takes other fields along",
         "\r\nsaving: disc.iso\r\npercent done: 50\r\n700 MB)\r\nseed status: x\r\n",
         "saving: disc.iso\r\npercent done: 50\r\n700 MB", ")\r\nseed status: x\r\n"},
    };
    for (const FileSizeCase& c : cases) {
        TestParser parser;
        RecordingSink sink;
        parser.OnStdout(c.text, sink);
        Lines expected;
        if (c.shown)
            expected.push_back(Label(IDC_FILE_SIZE, std::string(SPROUT_TEXT_FILE_SIZE) + c.shown));
        EXPECT_EQ(sink.log, expected) << c.name;
        EXPECT_EQ(parser.PendingOutput(), c.left) << c.name;
    }
}

TEST(StatusParserFileSize, KeyAtIndexZeroStillLetsTheOtherFieldsRun)
{
    TestParser parser;
    RecordingSink sink;
    Feed(parser, sink, "saving: a (1 MB)\r\npercent done: 7\r\nseed status: x\r\n");
    EXPECT_EQ(sink.log, Lines{Bar(7)});
    EXPECT_EQ(parser.PendingOutput(), "\r\nseed status: x\r\n");
}

TEST(StatusParserBlocks, OfTwoCompleteBlocksOnlyTheOlderIsTaken)
{
    TestParser parser;
    RecordingSink sink;
    Feed(parser, sink, Join(kFirstBlock) + Join(kSecondBlock));
    EXPECT_EQ(sink.log, kFirstBlockFields);
    EXPECT_EQ(parser.PendingOutput(), ("down)\r\n" + kFirstBlock.back() + Join(kSecondBlock)).c_str());

    // A later call, even with nothing to append, takes the newer block but its file size.
    sink.log.clear();
    parser.OnStdout(nullptr, sink);
    EXPECT_EQ(sink.log, (Lines{Bar(45), Label(IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT "95 sec"),
                               Label(IDC_SPEED, SPROUT_TEXT_SPEED "41.0 kB/s"),
                               Label(IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED "319.2 MB")}));
    EXPECT_EQ(parser.PendingOutput(), ("down)\r\n" + kSecondBlock.back()).c_str());
}

TEST(StatusParserBlocks, FieldsAreTakenInFixedOrderWhateverTheLineOrder)
{
    TestParser parser;
    RecordingSink sink;
    // The downloaded line comes first; the percent deletion passes over it.
    Feed(parser, sink, "\r\n(1 MB up / 2 MB down)\r\npercent done: 3\r\nseed status: x\r\n");
    EXPECT_EQ(sink.log, Lines{Bar(3)});
    EXPECT_EQ(parser.PendingOutput(), "\r\nseed status: x\r\n");
}

TEST(StatusParserBlocks, NulByteEndsTheChunk)
{
    TestParser parser;
    RecordingSink sink;
    const char chunk[] = "\r\npercent done: 5\0\r\nseed status: x\r\n";
    parser.OnStdout(chunk, sink);
    EXPECT_TRUE(sink.log.empty());
    EXPECT_EQ(parser.PendingOutput(), "\r\npercent done: 5");
}

TEST(StatusParserPercent, IntegerValueSentUnchecked)
{
    const struct {
        const char* value;
        int position;
    } cases[] = {
        {" 12.3", 12}, {"   ", 0}, {" 150", 150}, {" -5", -5}, {" +7 ", 7}, {" n/a", 0},
        {" 99.9%", 99},
    };
    for (const auto& c : cases) {
        Lines log = ParseAtOnce(std::string("\r\npercent done:") + c.value + "\r\nseed status: x\r\n");
        EXPECT_EQ(log, Lines{Bar(c.position)}) << '"' << c.value << '"';
    }
}

TEST(StatusParserPercent, EmptyValueIsSkippedAndStays)
{
    TestParser parser;
    RecordingSink sink;
    Feed(parser, sink, "\r\npercent done:\r\nseed status: x\r\n");
    EXPECT_TRUE(sink.log.empty());
    EXPECT_EQ(parser.PendingOutput(), "\r\npercent done:\r\nseed status: x\r\n");
}

TEST(StatusParserTimeLeft, FinishedUnknownOrTheValue)
{
    UseGbk gbk;
    const struct {
        const char* value;
        const char* shown;
    } cases[] = {
        {" 320 sec", "320 sec"},
        {"  12 sec  ", "12 sec"},
        {" 1 hour 5 min 3 sec", "1 hour 5 min 3 sec"},
        {" Download Succeeded!", SPROUT_TEXT_FINISHED},
        {" Succeeded after 0 sec", SPROUT_TEXT_FINISHED},
        {" 5 min", SPROUT_TEXT_UNKNOWN},
        {" 320 SEC", SPROUT_TEXT_UNKNOWN},
        {" <unknown>", SPROUT_TEXT_UNKNOWN},
        {"   ", SPROUT_TEXT_UNKNOWN},
        {" \xB9\xE2 9 sec", "\xB9\xE2 9 sec"},
        // "s" is the trail byte of a double-byte character here, so there is no "sec".
        {" 9 \x81" "sec", SPROUT_TEXT_UNKNOWN},
    };
    for (const auto& c : cases) {
        Lines log = ParseAtOnce(std::string("\r\ntime left:") + c.value + "\r\nseed status: x\r\n");
        EXPECT_EQ(log, Lines{Label(IDC_TIME_LEFT, std::string(SPROUT_TEXT_TIME_LEFT) + c.shown)})
            << '"' << c.value << '"';
    }
}

TEST(StatusParserRate, BlankValueShowsNoRate)
{
    EXPECT_EQ(ParseAtOnce("\r\ndownload rate: 35.2 kB/s \r\nseed status: x\r\n"),
              Lines{Label(IDC_SPEED, SPROUT_TEXT_SPEED "35.2 kB/s")});
    EXPECT_EQ(ParseAtOnce("\r\ndownload rate: \t \r\nseed status: x\r\n"),
              Lines{Label(IDC_SPEED, SPROUT_TEXT_SPEED SPROUT_TEXT_NO_RATE)});
}

TEST(StatusParserRate, EmptyValueBlocksLaterRatesUntilADeletionPassesOverIt)
{
    TestParser parser;
    RecordingSink sink;
    Feed(parser, sink, "\r\ndownload rate:\r\nseed status: x\r\n");
    Feed(parser, sink, "download rate: 5 kB/s\r\n");
    EXPECT_TRUE(sink.log.empty());
    EXPECT_EQ(parser.PendingOutput(),
              "\r\ndownload rate:\r\nseed status: x\r\ndownload rate: 5 kB/s\r\n");

    Feed(parser, sink, "percent done: 1\r\n");
    EXPECT_EQ(sink.log, Lines{Bar(1)});
    EXPECT_EQ(parser.PendingOutput(), "\r\n");
    Feed(parser, sink, "download rate: 6 kB/s\r\nseed status: y\r\n");
    EXPECT_EQ(sink.log, (Lines{Bar(1), Label(IDC_SPEED, SPROUT_TEXT_SPEED "6 kB/s")}));
}

TEST(StatusParserDownloaded, TrimmedValueUpToDown)
{
    EXPECT_EQ(ParseAtOnce("\r\n(1 MB up /  2 MB  down)\r\nseed status: x\r\n"),
              Lines{Label(IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED "2 MB")});
    EXPECT_EQ(ParseAtOnce("\r\n(1 MB up /down)\r\nseed status: x\r\n"), Lines{});
    EXPECT_EQ(ParseAtOnce("\r\n(1 MB up / 2 MB)\r\nseed status: x\r\n"), Lines{});
}
