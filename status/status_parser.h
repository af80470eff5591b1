// StatusParser: turns the engine's standard output, chunk by chunk, into the texts of the
// four status labels and the position of the progress bar. Portable: no windows.h.
#pragma once

#include "engine_interface/status_keys.h"
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

// Output that never completes a field (or whose first bytes are the gate key) would pile up
// for the life of the window. Once more than `limit` bytes are left after a call, the oldest
// text goes and about the newest `kept` bytes stay: several status blocks, so a block is only
// cut when that much arrives while it is in progress. The cut falls on a character boundary
// and never leaves a key at the front, and a gate key at the very front stays there, so a gate
// shut for good stays shut. In a file of its own (pending_bound.cpp), so that a test can link
// a smaller bound (32 <= kept < limit) and reach it quickly.
struct PendingBound {
    int limit;
    int kept;
};
extern const PendingBound kPendingBound;

// Each call takes the oldest complete fields, each searched from the start of the pending text,
// and deletes from the front what each one consumed. The searches remember where they stopped,
// so a call costs in proportion to its chunk, not to the text still pending.
class StatusParser {
public:
    // The engine output not yet consumed goes into `pending`, which only the parser changes
    // and which must outlive it.
    explicit StatusParser(PendingText& pending) : m_pendingOutput(pending) {}
    StatusParser(const StatusParser&) = delete;
    StatusParser& operator=(const StatusParser&) = delete;

    // Appends one chunk (null appends nothing) and takes whatever complete fields it can.
    void OnStdout(const char* chunk, StatusSink& sink);

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

    PendingText& m_pendingOutput;
    // The value and the label text in the making, kept for their storage.
    Text m_value;
    Text m_label;

    // Every position below is an index into m_pendingOutput, -1 when there is none.
    ResumableSearch m_gate{status_keys::kGateKey};
    ResumableSearch m_saving{status_keys::kSavingKey};
    ResumableSearch m_sizeEnd{status_keys::kSizeEnd};
    // The walk for the last "(" behind the "saving:" at m_parensFor: done up to m_parensTo.
    int m_parensFor = -1;
    int m_parensTo = -1;
    int m_behindParen = -1;
    Field m_percent{status_keys::kPercentKey, status_keys::kLineEnd};
    Field m_timeLeft{status_keys::kTimeLeftKey, status_keys::kLineEnd};
    Field m_rate{status_keys::kRateKey, status_keys::kLineEnd};
    Field m_downloaded{status_keys::kDownloadedKey, status_keys::kDownloadedEnd};
    // Every gate key in turn, for the newest three; and the line end behind the last but one.
    ResumableSearch m_gates{status_keys::kGateKey};
    int m_newestGates[3] = {-1, -1, -1};
    ResumableSearch m_staleLineEnd{status_keys::kLineEnd};
    int m_staleLineEndFor = -1;
};
