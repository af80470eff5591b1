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
    // Appends one chunk (null appends nothing) and takes whatever complete fields it can.
    void OnStdout(const char* chunk, StatusSink& sink);

    const Text& PendingOutput() const { return m_pendingOutput; }

private:
    Text m_pendingOutput;
};
