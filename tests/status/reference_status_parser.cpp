// ReferenceStatusParser: takes the oldest complete status fields from the engine's output, in a
// fixed order, and deletes from the front of the buffer what each one consumed.
#include "tests/status/reference_status_parser.h"

#include <cstring>

#include "res/resource.h"
#include "status/status_texts.h"

namespace {
const char kGateKey[] = "seed status:";
const char kSavingKey[] = "saving:";
const char kPercentKey[] = "percent done:";
const char kTimeLeftKey[] = "time left:";
const char kRateKey[] = "download rate:";
const char kDownloadedKey[] = "up /";
const char* const kKeys[] = {kGateKey, kSavingKey, kPercentKey, kTimeLeftKey, kRateKey,
                             kDownloadedKey};

template <int N>
constexpr int KeyLength(const char (&)[N]) { return N - 1; }

bool BeginsWithKey(const char* text)
{
    for (const char* key : kKeys) {
        if (std::strncmp(text, key, std::strlen(key)) == 0)
            return true;
    }
    return false;
}

void WriteLabel(StatusSink& sink, int controlId, const char* prefix, const char* value)
{
    Text label(prefix);
    label.Append(value);
    sink.SetLabelText(controlId, label.c_str());
}
}

void ReferenceStatusParser::OnStdout(const char* chunk, StatusSink& sink)
{
    // A chunk that does not fit for lack of memory is dropped; the parsing still runs.
    m_pendingOutput.Append(chunk);
    // Decided once: the steps all run even when one of them deletes the gate key. A key at
    // index 0 counts as absent.
    if (m_pendingOutput.Find(kGateKey) > 0) {
        TakeFileSize(sink);
        TakePercent(sink);
        TakeTimeLeft(sink);
        TakeRate(sink);
        TakeDownloaded(sink);
        DropStaleBlocks();
    }
    if (m_pendingOutput.Length() > m_pendingLimit)
        DropOldestText();
}

// The file size is the text behind the last "(" between "saving:" and the first ")\r\n" of the
// whole buffer, untrimmed; a ")\r\n" in front of the key leaves it alone.
void ReferenceStatusParser::TakeFileSize(StatusSink& sink)
{
    int s = m_pendingOutput.Find(kSavingKey);
    if (s <= 0)
        return;
    int d = m_pendingOutput.Find(")\r\n");
    // One walk over the characters instead of one search per "(", so that a line full of them
    // stays linear.
    const char* text = m_pendingOutput.c_str();
    int p = s;
    for (const char* c = text + s; c - text < d; c = NextChar(c)) {
        if (*c == '(')
            p = static_cast<int>(c - text) + 1;
    }
    if (p < d) {
        WriteLabel(sink, IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE,
                   m_pendingOutput.Mid(p, d - p).c_str());
        m_pendingOutput.DeleteFront(d);
    }
}

// The trimmed value between the oldest `key` and the `terminator` behind it. Returns the
// terminator's index, or 0 when the key is absent (or at index 0), the terminator has not
// arrived or the value is empty.
int ReferenceStatusParser::FindValue(const char* key, int keyLength, const char* terminator,
                            Text& value) const
{
    int v = m_pendingOutput.Find(key) + keyLength;
    if (v <= keyLength)
        return 0;
    int e = m_pendingOutput.Find(terminator, v);
    if (v >= e)
        return 0;
    value = m_pendingOutput.Mid(v, e - v);
    value.Trim();
    return e;
}

void ReferenceStatusParser::TakePercent(StatusSink& sink)
{
    Text value;
    int e = FindValue(kPercentKey, KeyLength(kPercentKey), "\r\n", value);
    if (e == 0)
        return;
    sink.SetProgressPosition(value.ToInt());
    m_pendingOutput.DeleteFront(e);
}

void ReferenceStatusParser::TakeTimeLeft(StatusSink& sink)
{
    Text value;
    int e = FindValue(kTimeLeftKey, KeyLength(kTimeLeftKey), "\r\n", value);
    if (e == 0)
        return;
    const char* shown = value.c_str();
    if (value.Contains("Succeeded"))
        shown = SPROUT_TEXT_FINISHED;
    else if (!value.Contains("sec"))
        shown = SPROUT_TEXT_UNKNOWN;
    WriteLabel(sink, IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT, shown);
    m_pendingOutput.DeleteFront(e);
}

void ReferenceStatusParser::TakeRate(StatusSink& sink)
{
    Text value;
    int e = FindValue(kRateKey, KeyLength(kRateKey), "\r\n", value);
    if (e == 0)
        return;
    WriteLabel(sink, IDC_SPEED, SPROUT_TEXT_SPEED,
               value.IsEmpty() ? SPROUT_TEXT_NO_RATE : value.c_str());
    m_pendingOutput.DeleteFront(e);
}

void ReferenceStatusParser::TakeDownloaded(StatusSink& sink)
{
    Text value;
    int e = FindValue(kDownloadedKey, KeyLength(kDownloadedKey), "down)\r\n", value);
    if (e == 0)
        return;
    WriteLabel(sink, IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED, value.c_str());
    m_pendingOutput.DeleteFront(e);
}

// A burst of whole blocks (the engine catching up after a stall, a flood) leaves more blocks
// behind than one call takes, and as each later block comes in one read, the labels would
// stay that many blocks behind for good. Once three gate keys are left after a call, the text
// up to the line end behind the last but one goes: the newest complete block stays, behind a
// line end, and is taken by the next call as it would have been. With two blocks left the
// newer still waits for the next call, as the rules have it.
void ReferenceStatusParser::DropStaleBlocks()
{
    int count = 0;
    int lastButOne = -1;
    int last = -1;
    for (int g = m_pendingOutput.Find(kGateKey); g >= 0;
         g = m_pendingOutput.Find(kGateKey, g + KeyLength(kGateKey))) {
        lastButOne = last;
        last = g;
        ++count;
    }
    if (count < 3)
        return;
    int lineEnd = m_pendingOutput.Find("\r\n", lastButOne + KeyLength(kGateKey));
    if (lineEnd > 0 && lineEnd < last)
        m_pendingOutput.DeleteFront(lineEnd);
}

// Keeps the newest text, cut where the parse of what stays follows the same rules as the
// parse of the whole: on a character boundary, and never with a key at index 0 (where it
// would count as absent). A gate key at index 0 has shut the gate for good, so it stays and
// the text behind it goes. Older pending fields and an older gate key are lost with the rest,
// just as a deletion that passed over them would lose them.
void ReferenceStatusParser::DropOldestText()
{
    const char* text = m_pendingOutput.c_str();
    int front = std::strncmp(text, kGateKey, KeyLength(kGateKey)) == 0 ? KeyLength(kGateKey) : 0;
    int wanted = m_pendingOutput.Length() - m_pendingKept;
    const char* previous = text;
    const char* cut = text;
    while (cut - text < wanted) {
        previous = cut;
        cut = NextChar(cut);
    }
    // Keys are ASCII and no key runs on into the start of another, so the character in front
    // of a key never begins a key itself.
    if (BeginsWithKey(cut))
        cut = previous;
    m_pendingOutput.Delete(front, static_cast<int>(cut - text) - front);
}
