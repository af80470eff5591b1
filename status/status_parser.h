// StatusParser: turns the engine's standard output, chunk by chunk, into the texts of the
// four status labels and the position of the progress bar. Portable: no windows.h.
#pragma once

#include "framework/text.h"
#include "status/pending_text.h"
#include "status/resumable_search.h"

// Where the parser's results go; the main window writes them to its controls.
class StatusSink {
public:
    virtual void SetLabelText(int controlId, const char* text) = 0;
    virtual void SetProgressPosition(int position) = 0;

protected:
    ~StatusSink() = default;
};

// Each call takes the oldest complete fields, each searched from the start of the pending text,
// and deletes from the front what each one consumed. The searches remember where they stopped,
// so a call costs in proportion to its chunk, not to the text still pending.
class StatusParser {
public:
    // Output that never completes a field (or whose first bytes are the gate key) would pile up
    // for the life of the window. Once more than kPendingLimit bytes are left after a call, the
    // oldest text goes and about the newest kPendingKept bytes stay: several status blocks,
    // so a block is only cut when that much arrives while it is in progress. The cut falls on a
    // character boundary and never leaves a key at the front, and a gate key at the very front
    // stays there, so a gate shut for good stays shut.
    static constexpr int kPendingLimit = 8 * 1024;
    static constexpr int kPendingKept = 4 * 1024;

    StatusParser() = default;
    // Another bound (32 <= pendingKept < pendingLimit), so that a test can reach it quickly.
    StatusParser(int pendingLimit, int pendingKept)
        : m_pendingLimit(pendingLimit), m_pendingKept(pendingKept) {}

    // Appends one chunk (null appends nothing) and takes whatever complete fields it can.
    void OnStdout(const char* chunk, StatusSink& sink);

    // A copy of the text not yet consumed.
    Text PendingOutput() const { return Text(m_pendingOutput.Data(), m_pendingOutput.Length()); }

private:
    // A field whose value runs from its key to a terminator. The terminator is searched from
    // the value's beginning, and afresh whenever the oldest occurrence of the key changes.
    struct Field {
        Field(const char* key, const char* terminator) : key(key), terminator(terminator) {}
        ResumableSearch key;
        ResumableSearch terminator;
        int terminatorFor = -1;  // the key occurrence the terminator's search belongs to
    };

    void TakeFileSize(StatusSink& sink);
    int FindValue(Field& field, int keyLength);
    void WriteLabel(StatusSink& sink, int controlId, const char* prefix, const char* value);
    void TakePercent(StatusSink& sink);
    void TakeTimeLeft(StatusSink& sink);
    void TakeRate(StatusSink& sink);
    void TakeDownloaded(StatusSink& sink);
    void DropStaleBlocks();
    void DropOldestText();
    void DeleteFront(int count);
    void MoveSearches(int count);

    PendingText m_pendingOutput;
    int m_pendingLimit = kPendingLimit;
    int m_pendingKept = kPendingKept;
    // The value and the label text in the making, kept for their storage.
    Text m_value;
    Text m_label;

    // Every position below is an index into m_pendingOutput, -1 when there is none.
    ResumableSearch m_gate{"seed status:"};
    ResumableSearch m_saving{"saving:"};
    ResumableSearch m_sizeEnd{")\r\n"};
    // The walk for the last "(" behind the "saving:" at m_parensFor: done up to m_parensTo.
    int m_parensFor = -1;
    int m_parensTo = -1;
    int m_behindParen = -1;
    Field m_percent{"percent done:", "\r\n"};
    Field m_timeLeft{"time left:", "\r\n"};
    Field m_rate{"download rate:", "\r\n"};
    Field m_downloaded{"up /", "down)\r\n"};
    // Every gate key in turn, for the newest three; and the line end behind the last but one.
    ResumableSearch m_gates{"seed status:"};
    int m_newestGates[3] = {-1, -1, -1};
    ResumableSearch m_staleLineEnd{"\r\n"};
    int m_staleLineEndFor = -1;
};
