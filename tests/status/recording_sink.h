// A StatusSink that records every write, in order, and the state the controls would show.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "status/status_parser.h"

struct RecordingSink : StatusSink {
    void SetLabelText(int controlId, const char* text) override
    {
        log.push_back(std::to_string(controlId) + ":" + text);
        labels[controlId] = text;
    }
    void SetProgressPosition(int position) override
    {
        log.push_back("bar:" + std::to_string(position));
        bar = position;
        barSet = true;
    }

    std::vector<std::string> log;
    std::map<int, std::string> labels;
    int bar = 0;
    bool barSet = false;
};

inline std::string Label(int controlId, const std::string& text)
{
    return std::to_string(controlId) + ":" + text;
}

inline std::string Bar(int position) { return "bar:" + std::to_string(position); }
