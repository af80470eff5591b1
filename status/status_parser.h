// StatusParser: turns the engine's standard output, chunk by chunk, into the texts of the
// four status labels and the position of the progress bar. Portable: no windows.h.
#pragma once

#include "framework/text.h"

// Where the parser's results go; the main window writes them to its controls.
class StatusSink {
public:
    virtual void SetLabelText(int controlId, const char* text) = 0;
    virtual void SetProgressPosition(int position) = 0;

protected:
    ~StatusSink() = default;
};

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

    const Text& PendingOutput() const { return m_pendingOutput; }

private:
    void TakeFileSize(StatusSink& sink);
    int FindValue(const char* key, int keyLength, const char* terminator, Text& value) const;
    void TakePercent(StatusSink& sink);
    void TakeTimeLeft(StatusSink& sink);
    void TakeRate(StatusSink& sink);
    void TakeDownloaded(StatusSink& sink);
    void DropStaleBlocks();
    void DropOldestText();

    Text m_pendingOutput;
    int m_pendingLimit = kPendingLimit;
    int m_pendingKept = kPendingKept;
};
