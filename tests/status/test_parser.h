// StatusParser with the pending text it works on, as the main window holds them.
#pragma once

#include "status/status_parser.h"

struct TestParser {
    void OnStdout(const char* chunk, StatusSink& sink) { parser.OnStdout(chunk, sink); }
    // A copy of the text not yet consumed.
    Text PendingOutput() const { return Text(pending.Data(), pending.Length()); }

    PendingText pending;
    StatusParser parser{pending};
};
