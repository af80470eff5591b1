// Fuzzes StatusParser with arbitrary chunk sequences. Each call is checked against the
// parsing rules applied literally to the same text, and the pending text against its bound,
// a small one linked in (small_pending_bound.cpp) so that the cut comes often.
//
// Input: one flag byte (bit 0: GBK code page), then records of a length byte L, a repeat byte
// R and L chunk bytes. R of 0xF0 and above repeats the bytes (R - 0xEF) * 4 times in one
// chunk, so that a short input can flood the parser.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "status/status_parser.h"
#include "status/status_texts.h"
#include "tests/gbk.h"
#include "tests/status/recording_sink.h"
#include "tests/status/test_parser.h"

namespace {
void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The parsing rules step by step, without a bound and without shortcuts.
class LiteralParser {
public:
    void OnStdout(const char* chunk, StatusSink& sink)
    {
        m_text.Append(chunk);
        if (m_text.Find("seed status:") <= 0)
            return;
        FileSize(sink);
        int e;
        Text value;
        if ((e = Value("percent done:", 13, "\r\n", value)) != 0) {
            sink.SetProgressPosition(value.ToInt());
            m_text.DeleteFront(e);
        }
        if ((e = Value("time left:", 10, "\r\n", value)) != 0) {
            Text shown = value.Contains("Succeeded") ? Text(SPROUT_TEXT_FINISHED)
                         : !value.Contains("sec") ? Text(SPROUT_TEXT_UNKNOWN) : value;
            Label(sink, IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT, shown);
            m_text.DeleteFront(e);
        }
        if ((e = Value("download rate:", 14, "\r\n", value)) != 0) {
            Label(sink, IDC_SPEED, SPROUT_TEXT_SPEED,
                  value.IsEmpty() ? Text(SPROUT_TEXT_NO_RATE) : value);
            m_text.DeleteFront(e);
        }
        if ((e = Value("up /", 4, "down)\r\n", value)) != 0) {
            Label(sink, IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED, value);
            m_text.DeleteFront(e);
        }
    }

    Text m_text;

private:
    void FileSize(StatusSink& sink)
    {
        int s = m_text.Find("saving:");
        if (s <= 0)
            return;
        int d = m_text.Find(")\r\n");
        int p = s;
        for (;;) {
            int f = m_text.Find("(", p) + 1;
            if (f <= p || f > d)
                break;
            p = f;
        }
        if (p < d) {
            Label(sink, IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE, m_text.Mid(p, d - p));
            m_text.DeleteFront(d);
        }
    }

    int Value(const char* key, int keyLength, const char* terminator, Text& value)
    {
        int v = m_text.Find(key) + keyLength;
        if (v <= keyLength)
            return 0;
        int e = m_text.Find(terminator, v);
        if (!(v < e))
            return 0;
        value = m_text.Mid(v, e - v);
        value.Trim();
        return e;
    }

    static void Label(StatusSink& sink, int controlId, const char* prefix, const Text& value)
    {
        Text label(prefix);
        label.Append(value.c_str());
        sink.SetLabelText(controlId, label.c_str());
    }
};

bool BeginsWith(const Text& text, const char* front)
{
    return std::strncmp(text.c_str(), front, std::strlen(front)) == 0;
}

bool EndsWith(const Text& text, const Text& tail)
{
    return tail.Length() <= text.Length()
        && std::memcmp(text.c_str() + text.Length() - tail.Length(), tail.c_str(),
                       static_cast<size_t>(tail.Length())) == 0;
}

bool BeginsWithKey(const Text& text)
{
    for (const char* key : {"seed status:", "saving:", "percent done:", "time left:",
                            "download rate:", "up /"}) {
        if (BeginsWith(text, key))
            return true;
    }
    return false;
}

int CountGateKeys(const Text& text)
{
    int count = 0;
    for (int g = text.Find("seed status:"); g >= 0; g = text.Find("seed status:", g + 12))
        ++count;
    return count;
}

// The literal search for "(" takes one search over the text per "(": when that would slow the
// run down, the literal parser skips the call and takes over the parser's text afterwards.
bool LiteralIsQuick(const Text& text, const std::string& chunk)
{
    size_t length = static_cast<size_t>(text.Length()) + chunk.size();
    size_t parens = 1;
    for (const char* p = text.c_str(); *p; ++p)
        parens += *p == '(';
    for (char c : chunk)
        parens += c == '(';
    return length * parens <= (size_t{1} << 18);
}

constexpr size_t kSearchBudget = size_t{1} << 14;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    SetLeadByteTest((data[0] & 1) ? GbkLeadByte : nullptr);
    const int limit = kPendingBound.limit;
    const int kept = kPendingBound.kept;
    TestParser parser;
    LiteralParser literal;
    // Every call searches the whole pending text; an input ends after a fixed amount of it so
    // that floods stay quick enough for many inputs a second.
    size_t searched = 0;
    size_t at = 1;
    while (at + 2 <= size && searched < kSearchBudget) {
        size_t length = data[at];
        unsigned repeat = data[at + 1] >= 0xF0 ? (data[at + 1] - 0xEFu) * 4u : 1u;
        at += 2;
        if (length > size - at)
            length = size - at;
        std::string bytes(reinterpret_cast<const char*>(data + at), length);
        at += length;
        std::string chunk;
        for (unsigned i = 0; i < repeat; ++i)
            chunk += bytes;

        searched += static_cast<size_t>(parser.PendingOutput().Length()) + chunk.size();
        bool shutForGood = BeginsWith(parser.PendingOutput(), "seed status:");
        bool compare = LiteralIsQuick(literal.m_text, chunk);
        RecordingSink sink;
        RecordingSink literalSink;
        parser.OnStdout(chunk.c_str(), sink);
        if (compare)
            literal.OnStdout(chunk.c_str(), literalSink);

        const Text& pending = parser.PendingOutput();
        Check(pending.Length() <= limit);
        Check(static_cast<int>(std::strlen(pending.c_str())) == pending.Length());
        if (shutForGood)
            Check(BeginsWith(pending, "seed status:") && sink.log.empty());
        // Every deletion and every cut leaves something other than a key in front.
        if (!sink.log.empty())
            Check(!BeginsWithKey(pending));
        if (compare) {
            Check(sink.log == literalSink.log);
            if (pending.Length() == literal.m_text.Length()) {
                Check(pending == literal.m_text.c_str());
            } else if (CountGateKeys(literal.m_text) >= 3 && CountGateKeys(pending) == 1
                       && BeginsWith(pending, "\r\n")) {
                // Stale blocks dropped: the newest complete block stays, behind a line end.
                Check(EndsWith(literal.m_text, pending));
            } else {
                // Cut: the newest text stays, behind a gate key that had shut the gate.
                bool shut = BeginsWith(literal.m_text, "seed status:");
                Text tail = shut ? pending.Mid(12, pending.Length()) : pending;
                Check(pending.Length() < literal.m_text.Length() && EndsWith(literal.m_text, tail));
                Check(tail.Length() >= kept - 1 && tail.Length() <= kept + 2);
                Check(shut ? BeginsWith(pending, "seed status:") : !BeginsWithKey(pending));
            }
        }
        literal.m_text = pending;
    }
    SetLeadByteTest(nullptr);
    return 0;
}
