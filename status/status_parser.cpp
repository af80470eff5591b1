// StatusParser: takes the oldest complete status fields from the engine's output, in a fixed
// order, and deletes from the front of the buffer what each one consumed.
#include "status/status_parser.h"

#include <cstring>
#include <initializer_list>

#include "res/resource.h"
#include "status/status_texts.h"

using namespace status_keys;

namespace {
const char* const kKeys[] = {kGateKey,     kSavingKey, kPercentKey,
                             kTimeLeftKey, kRateKey,   kDownloadedKey};

bool BeginsWithKey(const char* text)
{
    for (const char* key : kKeys) {
        if (std::strncmp(text, key, std::strlen(key)) == 0)
            return true;
    }
    return false;
}

// Empties a text kept for reuse and fills it again: its storage stays, so that the values and
// labels of a status block cost no allocation.
void Refill(Text& text, const char* bytes, int length)
{
    text.DeleteFront(text.Length());
    text.Append(bytes, length);
}

// A position after the text lost its first count bytes; -1 when it went with them.
void Shift(int& position, int count)
{
    position = position >= count ? position - count : -1;
}
}

void StatusParser::OnStdout(const char* chunk, StatusSink& sink)
{
    // A chunk that does not fit for lack of memory is dropped; the parsing still runs.
    m_pendingOutput.Append(chunk);
    // Decided once: the steps all run even when one of them deletes the gate key. A key at
    // index 0 counts as absent.
    if (m_gate.Find(m_pendingOutput.Data(), m_pendingOutput.Length()) > 0) {
        TakeFileSize(sink);
        TakePercent(sink);
        TakeTimeLeft(sink);
        TakeRate(sink);
        TakeDownloaded(sink);
        DropStaleBlocks();
    }
    if (m_pendingOutput.Length() > kPendingBound.limit)
        DropOldestText();
}

// The file size is the text behind the last "(" between "saving:" and the first ")\r\n" of the
// whole buffer, untrimmed; a ")\r\n" in front of the key leaves it alone.
void StatusParser::TakeFileSize(StatusSink& sink)
{
    const char* text = m_pendingOutput.Data();
    const int length = m_pendingOutput.Length();
    int s = m_saving.Find(text, length);
    if (s <= 0)
        return;
    int d = m_sizeEnd.Find(text, length);
    if (d <= s)
        return;
    if (m_parensFor != s) {
        m_parensFor = s;
        m_parensTo = s;
        m_behindParen = s;
    }
    // Neither s nor d moves until a deletion passes over both, so the walk goes on from where
    // it stopped.
    while (m_parensTo < d) {
        const char* paren = static_cast<const char*>(
            std::memchr(text + m_parensTo, '(', static_cast<size_t>(d - m_parensTo)));
        if (!paren) {
            m_parensTo = d;
            break;
        }
        int at = static_cast<int>(paren - text);
        if (BeginsCharacter(text, at))
            m_behindParen = at + 1;
        m_parensTo = at + 1;
    }
    int p = m_behindParen;
    if (p < d) {
        Refill(m_value, text + p, d - p);
        WriteLabel(sink, IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE, m_value.c_str());
        DeleteFront(d);
    }
}

void StatusParser::WriteLabel(StatusSink& sink, int controlId, const char* prefix,
                              const char* value)
{
    Refill(m_label, prefix, static_cast<int>(std::strlen(prefix)));
    m_label.Append(value);
    sink.SetLabelText(controlId, m_label.c_str());
}

// The trimmed value, into m_value, between the oldest key of the field and the terminator
// behind it. Returns the terminator's index, or 0 when the key is absent (or at index 0), the
// terminator has not arrived or the value is empty.
int StatusParser::FindValue(Field& field, int keyLength)
{
    const char* text = m_pendingOutput.Data();
    const int length = m_pendingOutput.Length();
    int k = field.key.Find(text, length);
    if (k <= 0)
        return 0;
    int v = k + keyLength;
    if (field.terminatorFor != k) {
        field.terminatorFor = k;
        field.terminator.Restart(v);
    }
    int e = field.terminator.Find(text, length);
    if (v >= e)
        return 0;
    Refill(m_value, text + v, e - v);
    m_value.Trim();
    return e;
}

void StatusParser::TakePercent(StatusSink& sink)
{
    int e = FindValue(m_percent, KeyLength(kPercentKey));
    if (e == 0)
        return;
    sink.SetProgressPosition(m_value.ToInt());
    DeleteFront(e);
}

void StatusParser::TakeTimeLeft(StatusSink& sink)
{
    int e = FindValue(m_timeLeft, KeyLength(kTimeLeftKey));
    if (e == 0)
        return;
    const char* shown = m_value.c_str();
    if (m_value.Contains(kTimeLeftDone))
        shown = SPROUT_TEXT_FINISHED;
    else if (!m_value.Contains(kSecondsUnit))
        shown = SPROUT_TEXT_UNKNOWN;
    WriteLabel(sink, IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT, shown);
    DeleteFront(e);
}

void StatusParser::TakeRate(StatusSink& sink)
{
    int e = FindValue(m_rate, KeyLength(kRateKey));
    if (e == 0)
        return;
    WriteLabel(sink, IDC_SPEED, SPROUT_TEXT_SPEED,
               m_value.IsEmpty() ? SPROUT_TEXT_NO_RATE : m_value.c_str());
    DeleteFront(e);
}

void StatusParser::TakeDownloaded(StatusSink& sink)
{
    int e = FindValue(m_downloaded, KeyLength(kDownloadedKey));
    if (e == 0)
        return;
    WriteLabel(sink, IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED, m_value.c_str());
    DeleteFront(e);
}

// A burst of whole blocks (the engine catching up after a stall, a flood) leaves more blocks
// behind than one call takes, and as each later block comes in one read, the labels would
// stay that many blocks behind for good. Once three gate keys are left after a call, the text
// up to the line end behind the last but one goes: the newest complete block stays, behind a
// line end, and is taken by the next call as it would have been. With two blocks left the
// newer still waits for the next call, as the rules have it. A difference kept on purpose:
// after such a drop the file size can be taken again, from that later block's "saving:" line.
void StatusParser::DropStaleBlocks()
{
    const char* text = m_pendingOutput.Data();
    for (int g; (g = m_gates.Find(text, m_pendingOutput.Length())) >= 0;) {
        m_newestGates[2] = m_newestGates[1];
        m_newestGates[1] = m_newestGates[0];
        m_newestGates[0] = g;
        m_gates.Restart(g + KeyLength(kGateKey));
    }
    // The oldest of the three went only with every gate key in front of it.
    if (m_newestGates[2] < 0)
        return;
    int lastButOne = m_newestGates[1];
    if (m_staleLineEndFor != lastButOne) {
        m_staleLineEndFor = lastButOne;
        m_staleLineEnd.Restart(lastButOne + KeyLength(kGateKey));
    }
    // Only a line end in front of the last gate key counts.
    int lineEnd = m_staleLineEnd.Find(text, m_newestGates[0]);
    if (lineEnd > 0)
        DeleteFront(lineEnd);
}

// Keeps the newest text, cut where the parse of what stays follows the same rules as the
// parse of the whole: on a character boundary, and never with a key at index 0 (where it
// would count as absent). A gate key at index 0 has shut the gate for good, so it stays and
// the text behind it goes. Older pending fields and an older gate key are lost with the rest,
// just as a deletion that passed over them would lose them.
void StatusParser::DropOldestText()
{
    const char* text = m_pendingOutput.Data();
    int front = std::strncmp(text, kGateKey, KeyLength(kGateKey)) == 0 ? KeyLength(kGateKey) : 0;
    // The first character boundary at or behind `wanted`, and the one before it.
    int wanted = m_pendingOutput.Length() - kPendingBound.kept;
    int cut = 0;
    int previous = 0;
    if (wanted > 0) {
        if (BeginsCharacter(text, wanted)) {
            cut = wanted;
            previous = BeginsCharacter(text, wanted - 1) ? wanted - 1 : wanted - 2;
        } else {
            cut = wanted + 1;
            previous = wanted - 1;
        }
    }
    // Keys are ASCII and no key runs on into the start of another, so the character in front
    // of a key never begins a key itself.
    if (BeginsWithKey(text + cut))
        cut = previous;
    if (front == 0) {
        DeleteFront(cut);
    } else {
        // Behind a gate key shut for good no search but the gate's runs again; all of them
        // start over from the front, as if everything had gone.
        m_pendingOutput.Delete(front, cut - front);
        MoveSearches(0x7FFFFFFF);
    }
}

void StatusParser::DeleteFront(int count)
{
    if (count <= 0)
        return;
    m_pendingOutput.DeleteFront(count);
    MoveSearches(count);
}

// The pending text has lost its first count bytes: so have the searches.
void StatusParser::MoveSearches(int count)
{
    for (ResumableSearch* search : {&m_gate, &m_saving, &m_sizeEnd, &m_percent.key,
                                    &m_percent.terminator, &m_timeLeft.key, &m_timeLeft.terminator,
                                    &m_rate.key, &m_rate.terminator, &m_downloaded.key,
                                    &m_downloaded.terminator, &m_gates, &m_staleLineEnd})
        search->DropFront(count);
    for (int* position : {&m_parensFor, &m_parensTo, &m_behindParen, &m_percent.terminatorFor,
                          &m_timeLeft.terminatorFor, &m_rate.terminatorFor,
                          &m_downloaded.terminatorFor, &m_newestGates[0], &m_newestGates[1],
                          &m_newestGates[2], &m_staleLineEndFor})
        Shift(*position, count);
}
