// Test knobs: environment variables that make the simulated engine misbehave on purpose.
// Their meaning is in KnobsHelp(), which bt.exe --help prints. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FloodMode { Text, Blocks, Stderr };

struct Knobs {
    int64_t bytesPerSecond = 4 * 1024 * 1024;
    int exitAfter = -1;  // blocks; -1: never
    int exitCode = 0;
    int crashAfter = -1;  // blocks; -1: never
    bool hang = false;
    int floodMs = 0;
    FloodMode floodMode = FloodMode::Text;
    int grandchildMs = 0;  // 0: no grandchild
    std::string recordPath;
    bool readStdin = false;
    std::string stderrText;
    int splitSize = 0;            // 0: a block goes in one write
    std::vector<int> splitAt;     // offsets in a block where a write ends
    int splitPauseMs = 0;
    int nulAt = -1;               // offset in a block where a NUL byte goes in; -1: none
};

// Looks up one variable; null when it is not set.
using KnobLookup = const char* (*)(const char* name);

// Reads every knob; a set knob with a bad value gives false and names it in *error.
bool ReadKnobs(KnobLookup lookup, Knobs* knobs, std::string* error);

const char* KnobsHelp();

// A block cut into the writes the knobs ask for, with the NUL byte put in.
std::vector<std::string> SplitForWriting(const std::string& block, const Knobs& knobs);
