// Command line parsing: each engine option exactly once, with its value, then one torrent.
#include "tools/btsim/command_line.h"

#include <cstdlib>
#include <cstring>

const char kDefaultAnnounce[] = "http://127.0.0.1:6969/announce";

namespace {

bool ReadPort(const char* text, int* port)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!(*text >= '0' && *text <= '9') || *end != '\0' || value < 1 || value > 65535)
        return false;
    *port = int(value);
    return true;
}

// Seconds, positive, with an optional fraction ("1.0", "0.25"), as milliseconds.
bool ReadInterval(const char* text, int* ms)
{
    char* end = nullptr;
    double seconds = std::strtod(text, &end);
    if (!(*text >= '0' && *text <= '9') || *end != '\0' || !(seconds >= 0.01 && seconds <= 3600))
        return false;
    *ms = int(seconds * 1000.0 + 0.5);
    return true;
}

bool Fail(std::string* error, const std::string& reason)
{
    *error = reason;
    return false;
}

bool ParseEngine(int argc, const char* const* argv, CommandLine* line, std::string* error)
{
    bool seenMin = false, seenMax = false, seenInterval = false;
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        const char* option = argv[i];
        const char* value = argv[i + 1];
        bool ok;
        bool* seen;
        if (std::strcmp(option, "--minport") == 0) {
            ok = ReadPort(value, &line->minPort);
            seen = &seenMin;
        } else if (std::strcmp(option, "--maxport") == 0) {
            ok = ReadPort(value, &line->maxPort);
            seen = &seenMax;
        } else if (std::strcmp(option, "--display_interval") == 0) {
            ok = ReadInterval(value, &line->displayIntervalMs);
            seen = &seenInterval;
        } else {
            return Fail(error, std::string("unknown option ") + option);
        }
        if (*seen)
            return Fail(error, std::string("option given twice: ") + option);
        if (!ok)
            return Fail(error, std::string("bad value for ") + option + ": " + value);
        *seen = true;
    }
    if (!seenMin || !seenMax || !seenInterval)
        return Fail(error, "--minport, --maxport and --display_interval are all required");
    if (line->minPort > line->maxPort)
        return Fail(error, "--minport is above --maxport");
    if (i + 1 != argc)
        return Fail(error, i == argc ? "no torrent file given" : "more than one torrent file given");
    if (argv[i][0] == '\0' || std::strncmp(argv[i], "--", 2) == 0)
        return Fail(error, std::string("not a torrent file: ") + argv[i]);
    line->mode = CommandLine::Mode::Engine;
    line->torrentPath = argv[i];
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, CommandLine* line, std::string* error)
{
    *line = CommandLine();
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "/?") == 0)) {
        line->mode = CommandLine::Mode::Help;
        return true;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--make-torrent") == 0) {
        if (argc != 4 && argc != 5)
            return Fail(error, "--make-torrent takes a payload, an output file and an optional announce address");
        line->mode = CommandLine::Mode::MakeTorrent;
        line->payloadPath = argv[2];
        line->outputPath = argv[3];
        line->announce = argc == 5 ? argv[4] : kDefaultAnnounce;
        return true;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--linger") == 0) {
        if (argc != 3 || !ReadInterval(argv[2], &line->lingerMs))
            return Fail(error, "--linger takes a number of seconds");
        line->mode = CommandLine::Mode::Linger;
        return true;
    }
    return ParseEngine(argc, argv, line, error);
}

const char* UsageText()
{
    return "usage: bt.exe --minport PORT --maxport PORT --display_interval SECONDS TORRENT\n"
           "       bt.exe --make-torrent PAYLOAD OUTPUT.torrent [ANNOUNCE]\n"
           "       bt.exe --linger SECONDS   (the silent grandchild of SPROUT_BT_GRANDCHILD)\n"
           "       bt.exe --help\n"
           "\n"
           "Downloads the torrent's payload into the working directory, resuming from what is\n"
           "there, and prints a status block every SECONDS; once complete it goes on seeding\n"
           "until it is stopped. --make-torrent writes a torrent (SHA-1 piece hashes) for a\n"
           "file or a folder.\n"
           "Exit codes: 1 torrent or file trouble, 2 wrong command line, 3 bad test knob.\n";
}
