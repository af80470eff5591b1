// Sha1 against the FIPS 180 test vectors, whole and fed in uneven pieces.
#include "tools/btsim/sha1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

TEST(Sha1, KnownVectors)
{
    struct Case {
        std::string input;
        const char* digest;
    };
    const Case cases[] = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {"The quick brown fox jumps over the lazy dog", "2fd4e1c67a2d28fced849ee1bb76e7391b93eb12"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToHex(Sha1Digest(c.input)), c.digest) << c.input.size() << " bytes";
        Sha1 pieces;
        size_t step = 1;
        for (size_t at = 0; at < c.input.size(); at += step, step = step * 3 % 97 + 1)
            pieces.Update(c.input.data() + at, std::min(step, c.input.size() - at));
        EXPECT_EQ(ToHex(pieces.Finish()), c.digest) << c.input.size() << " bytes in pieces";
    }
}

TEST(Sha1, LengthsAroundTheBlockEnd)
{
    // 55, 56 and 64 bytes put the length in the same block, the next block, and a block of its own.
    EXPECT_EQ(ToHex(Sha1Digest(std::string(55, 'a'))), "c1c8bbdc22796e28c0e15163d20899b65621d65a");
    EXPECT_EQ(ToHex(Sha1Digest(std::string(56, 'a'))), "c2db330f6083854c99d4b5bfb6e8f29f201be699");
    EXPECT_EQ(ToHex(Sha1Digest(std::string(64, 'a'))), "0098ba824b5c16427bd7a1122a5a442a25ec644d");
}
