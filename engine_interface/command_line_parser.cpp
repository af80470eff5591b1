// The engine command line as the engines read it.
#include "engine_interface/command_line.h"

#include <cstdlib>
#include <cstring>

const char kEngineUsage[] =
    "usage: bt.exe --minport PORT --maxport PORT --display_interval SECONDS \"file.torrent\"\r\n";

namespace {

bool StartsWithDigit(const char* text) { return *text >= '0' && *text <= '9'; }

bool ReadPort(const char* text, int* port)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!StartsWithDigit(text) || *end != '\0' || value < 1 || value > 65535)
        return false;
    *port = int(value);
    return true;
}

// Seconds with a fraction.
bool ReadInterval(const char* text, int* milliseconds)
{
    char* end = nullptr;
    double value = std::strtod(text, &end);
    if (!StartsWithDigit(text) || *end != '\0' || !(value >= 0.05 && value <= 3600.0))
        return false;
    *milliseconds = int(value * 1000.0 + 0.5);
    return true;
}

}  // namespace

bool ParseEngineCommandLine(int argc, const char* const* argv, EngineOptions* options,
                            std::string* error)
{
    if (argc != 8) {
        *error = "expected three options and one torrent";
        return false;
    }
    const char* const names[] = {"--minport", "--maxport", "--display_interval"};
    for (int i = 0; i < 3; ++i) {
        if (std::strcmp(argv[1 + 2 * i], names[i]) != 0) {
            *error = std::string("expected ") + names[i] + " where " + argv[1 + 2 * i] + " stands";
            return false;
        }
    }
    if (!ReadPort(argv[2], &options->minPort) || !ReadPort(argv[4], &options->maxPort)
        || options->minPort > options->maxPort) {
        *error = "the ports must be 1 to 65535, the lower one first";
        return false;
    }
    if (!ReadInterval(argv[6], &options->displayIntervalMs)) {
        *error = "the display interval must be 0.05 to 3600 seconds";
        return false;
    }
    options->torrentPath = argv[7];
    if (options->torrentPath.empty()) {
        *error = "the torrent path is empty";
        return false;
    }
    return true;
}
