// ReferenceStatusParser: the status parser as first written, which searches the whole pending
// text from its start for every key on every call. Slow but plain; the tests hold the real
// parser to the same label writes and the same pending text, for every input.
#pragma once

#include "framework/text.h"
#include "status/status_parser.h"

class ReferenceStatusParser {
public:
    // The same bound as StatusParser's, which the real parser keeps too.
    ReferenceStatusParser() = default;
    // Another bound (32 <= pendingKept < pendingLimit), so that a test can reach it quickly.
    ReferenceStatusParser(int pendingLimit, int pendingKept)
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
    int m_pendingLimit = kPendingBound.limit;
    int m_pendingKept = kPendingBound.kept;
};
