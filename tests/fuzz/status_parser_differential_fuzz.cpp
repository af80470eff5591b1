// Fuzzes StatusParser against ReferenceStatusParser, the parser that searches everything from
// the start on every call: the same chunks must give the same writes and leave the same
// pending text after every call, under the small bound linked in (small_pending_bound.cpp).
//
// Input: one flag byte (bit 0: GBK code page; bit 3: chunks of up to 2048 bytes rather than
// 256), then operations, each a byte and its arguments:
//   0 piece P F    a piece of engine output (tests/status/status_stream.h) with figure F
//   1 bytes N ...  N % 32 bytes as they are (a NUL among them ends the chunk for both)
//   2 repeat R     the last piece or bytes again, R % 16 + 1 times: floods
//   3 cut          the chunk ends here
// A chunk also ends at its length limit. Operations wrap: 4 is 0 again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "status/status_parser.h"
#include "tests/gbk.h"
#include "tests/status/recording_sink.h"
#include "tests/status/reference_status_parser.h"
#include "tests/status/status_stream.h"
#include "tests/status/test_parser.h"

namespace {
// The reference searches its whole pending text for every key on every call: enough bytes
// for many inputs a second.
const size_t kStreamBudget = 32 * 1024;

class Differential {
public:
    void Feed(const std::string& chunk)
    {
        m_parser.OnStdout(chunk.c_str(), m_sink);
        m_reference.OnStdout(chunk.c_str(), m_referenceSink);
        if (m_sink.log != m_referenceSink.log
            || !(m_parser.PendingOutput() == m_reference.PendingOutput().c_str()))
            std::abort();
    }

private:
    TestParser m_parser;
    ReferenceStatusParser m_reference;
    RecordingSink m_sink;
    RecordingSink m_referenceSink;
};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    SetLeadByteTest((data[0] & 1) ? GbkLeadByte : nullptr);
    const size_t longest = (data[0] & 8) ? 2048 : 256;
    Differential differential;

    std::string chunk;
    std::string last;
    size_t streamed = 0;
    size_t at = 1;
    auto next = [&]() -> unsigned { return at < size ? data[at++] : 0; };
    while (at < size && streamed < kStreamBudget) {
        unsigned operation = next() % 4;
        if (operation == 0) {
            last.clear();
            unsigned piece = next();
            AppendStatusPiece(last, piece, next());
        } else if (operation == 1) {
            size_t count = next() % 32;
            last.assign(reinterpret_cast<const char*>(data + at), std::min(count, size - at));
            at += last.size();
        } else if (operation == 2) {
            std::string repeated;
            for (unsigned times = next() % 16 + 1; times > 0; --times)
                repeated += last;
            last = repeated;
        }
        if (operation == 3) {
            streamed += chunk.size();
            differential.Feed(chunk);
            chunk.clear();
            continue;
        }
        for (char byte : last) {
            chunk += byte;
            if (chunk.size() == longest) {
                streamed += chunk.size();
                differential.Feed(chunk);
                chunk.clear();
            }
        }
    }
    differential.Feed(chunk);
    SetLeadByteTest(nullptr);
    return 0;
}
