// Status block formatting.
#include "engine_interface/status_block.h"

#include "engine_interface/size_text.h"
#include "engine_interface/status_keys.h"

using namespace status_keys;

namespace {

// "1 seed, 2 peers connected".
std::string Connections(int seeds, int peers)
{
    return std::to_string(seeds) + (seeds == 1 ? " seed, " : " seeds, ") + std::to_string(peers)
           + (peers == 1 ? " peer" : " peers") + " connected";
}

// "saving: ", "percent done: " ...
std::string Key(const char* key) { return std::string(key) + " "; }

}  // namespace

std::string FormatSize(int64_t bytes)
{
    char text[32];
    FormatSize(bytes, text, sizeof(text));
    return text;
}

std::string FormatRate(int64_t bytesPerSecond)
{
    char text[32];
    FormatRate(bytesPerSecond, text, sizeof(text));
    return text;
}

std::string FormatPercent(int64_t have, int64_t total)
{
    int64_t tenths = total > 0 ? int64_t(double(have) / double(total) * 1000.0) : 1000;
    if (tenths >= 1000 && have < total)
        tenths = 999;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string FormatTimeLeft(int64_t have, int64_t total, int64_t bytesPerSecond)
{
    if (have >= total)
        return std::string("Download ") + kTimeLeftDone + "!";
    if (bytesPerSecond <= 0)
        return "unknown";
    int64_t left = total - have;
    return std::to_string((left + bytesPerSecond - 1) / bytesPerSecond) + " " + kSecondsUnit;
}

std::string FormatStatusBlock(const StatusFigures& f)
{
    std::string block = kLineEnd;
    block += Key(kSavingKey) + f.name + " (" + FormatSize(f.total) + kSizeEnd;
    block += Key(kPercentKey) + FormatPercent(f.have, f.total) + kLineEnd;
    block += Key(kTimeLeftKey) + FormatTimeLeft(f.have, f.total, f.bytesPerSecond) + kLineEnd;
    block += Key(kRateKey) + FormatRate(f.bytesPerSecond) + kLineEnd;
    block += "(" + FormatSize(f.uploaded) + " " + Key(kDownloadedKey) + FormatSize(f.have) + " "
             + kDownloadedEnd;
    block += Key(kGateKey) + (f.have >= f.total ? "seeding, " : "") + Connections(f.seeds, f.peers)
             + kLineEnd;
    return block;
}
