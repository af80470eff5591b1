// Status block formatting.
#include "tools/status_block/status_block.h"

#include <cstdio>

namespace {

std::string Printf(const char* format, double value, const char* unit)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, value, unit);
    return text;
}

// "1 seed, 2 peers connected".
std::string Connections(int seeds, int peers)
{
    return std::to_string(seeds) + (seeds == 1 ? " seed, " : " seeds, ") + std::to_string(peers)
           + (peers == 1 ? " peer" : " peers") + " connected";
}

}  // namespace

std::string FormatSize(int64_t bytes)
{
    const double kKilo = 1024.0;
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    if (bytes < 1024 * 1024)
        return Printf("%.1f %s", double(bytes) / kKilo, "kB");
    if (bytes < int64_t(1024) * 1024 * 1024)
        return Printf("%.1f %s", double(bytes) / (kKilo * kKilo), "MB");
    return Printf("%.2f %s", double(bytes) / (kKilo * kKilo * kKilo), "GB");
}

std::string FormatRate(int64_t bytesPerSecond)
{
    return Printf("%.1f %s", double(bytesPerSecond) / 1024.0, "kB/s");
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
        return "Download Succeeded!";
    if (bytesPerSecond <= 0)
        return "unknown";
    int64_t left = total - have;
    return std::to_string((left + bytesPerSecond - 1) / bytesPerSecond) + " sec";
}

std::string FormatStatusBlock(const StatusFigures& f)
{
    std::string block = "\r\n";
    block += "saving: " + f.name + " (" + FormatSize(f.total) + ")\r\n";
    block += "percent done: " + FormatPercent(f.have, f.total) + "\r\n";
    block += "time left: " + FormatTimeLeft(f.have, f.total, f.bytesPerSecond) + "\r\n";
    block += "download rate: " + FormatRate(f.bytesPerSecond) + "\r\n";
    block += "(" + FormatSize(f.uploaded) + " up / " + FormatSize(f.have) + " down)\r\n";
    block += "seed status: " + std::string(f.have >= f.total ? "seeding, " : "")
             + Connections(f.seeds, f.peers) + "\r\n";
    return block;
}
