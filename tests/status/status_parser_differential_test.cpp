// StatusParser against ReferenceStatusParser, the parser that searches everything from the
// start on every call: random engine output in random chunks, with and without GBK, must give
// the same writes and leave the same pending text after every call. Built twice: with the
// program's bound and with a small one (small_pending_bound.cpp).
#include "status/status_parser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/gbk.h"
#include "tests/status/recording_sink.h"
#include "tests/status/reference_status_parser.h"
#include "tests/status/status_stream.h"
#include "tests/status/test_parser.h"

TEST(StatusParserDifferential, RandomStreamsInRandomChunksMatchTheReference)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 160; ++round) {
        UseGbk gbk;
        if (round % 2)
            SetLeadByteTest(nullptr);
        TestParser parser;
        ReferenceStatusParser reference;
        RecordingSink sink;
        RecordingSink referenceSink;

        std::string stream;
        // Mostly whole pieces, or mostly fragments that join into keys by chance.
        const unsigned pieces = round % 4 == 3 ? 20 : 8;
        while (stream.size() < 6000)
            AppendStatusPiece(stream, random() % pieces + (random() % 5 == 0 ? 8 : 0), random());
        const size_t longest = round % 5 == 0 ? 2000 : 256;
        for (size_t at = 0; at < stream.size();) {
            std::string chunk = stream.substr(at, random() % longest + 1);
            at += chunk.size();
            parser.OnStdout(chunk.c_str(), sink);
            reference.OnStdout(chunk.c_str(), referenceSink);
            ASSERT_EQ(sink.log, referenceSink.log) << "round " << round << ", byte " << at;
            ASSERT_EQ(parser.PendingOutput(), reference.PendingOutput().c_str())
                << "round " << round << ", byte " << at;
        }
    }
}
