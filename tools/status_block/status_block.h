// The status block every engine prints each display interval, and the figures it is made of:
// the simulated engine and the real one print the same lines. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>

struct StatusFigures {
    std::string name;
    int64_t total = 0;
    int64_t have = 0;
    int64_t uploaded = 0;
    int64_t bytesPerSecond = 0;  // received over the time the last display interval ran
    int seeds = 0;               // connected peers that have the whole payload
    int peers = 0;               // the other connected peers
};

// "512 B", "12.5 kB", "700.0 MB", "4.38 GB": binary units, as the engine's users read them.
std::string FormatSize(int64_t bytes);
// "35.2 kB/s".
std::string FormatRate(int64_t bytesPerSecond);
// One decimal, rounded down, so that 100.0 stands only for a complete payload.
std::string FormatPercent(int64_t have, int64_t total);
// "320 sec", rounded up; "Download Succeeded!" when complete; "unknown" without a rate.
std::string FormatTimeLeft(int64_t have, int64_t total, int64_t bytesPerSecond);

// Seven lines, each ending in CR LF: an empty line, saving, percent done, time left,
// download rate, the up/down amounts and seed status with the connections. The rate is shown
// as given, also on the block that completes the download.
std::string FormatStatusBlock(const StatusFigures& figures);
