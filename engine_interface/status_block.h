// The status block both engines print each display interval, and the figures it is made of.
// Portable.
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

// The texts of size_text.h, for the engines.
std::string FormatSize(int64_t bytes);
std::string FormatRate(int64_t bytesPerSecond);
// One decimal, rounded down, so that 100.0 stands only for a complete payload.
std::string FormatPercent(int64_t have, int64_t total);
// "320 sec", rounded up; "Download Succeeded!" when complete; "unknown" without a rate.
std::string FormatTimeLeft(int64_t have, int64_t total, int64_t bytesPerSecond);

// Seven lines, each ending in CR LF: an empty line, saving, percent done, time left,
// download rate, the up/down amounts and seed status with the connections. The rate is shown
// as given, also on the block that completes the download.
std::string FormatStatusBlock(const StatusFigures& figures);
