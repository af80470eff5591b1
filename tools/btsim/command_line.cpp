// The side jobs' command lines; the engine's own is the front-end's one form.
#include "tools/btsim/command_line.h"

#include <cstdlib>
#include <cstring>

const char kDefaultAnnounce[] = "http://127.0.0.1:6969/announce";

namespace {

bool Fail(std::string* error, const std::string& reason)
{
    *error = reason;
    return false;
}

// Seconds, with an optional fraction, as milliseconds.
bool ReadSeconds(const char* text, int* ms)
{
    char* end = nullptr;
    double seconds = std::strtod(text, &end);
    if (!(*text >= '0' && *text <= '9') || *end != '\0' || !(seconds <= 3600))
        return false;
    *ms = int(seconds * 1000.0 + 0.5);
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
        if (argc != 3 || !ReadSeconds(argv[2], &line->lingerMs))
            return Fail(error, "--linger takes a number of seconds");
        line->mode = CommandLine::Mode::Linger;
        return true;
    }
    return ParseEngineCommandLine(argc, argv, &line->engine, error);
}

std::string UsageText()
{
    return std::string(kEngineUsage)
           + "       bt.exe --make-torrent PAYLOAD OUTPUT.torrent [ANNOUNCE]\n"
             "       bt.exe --linger SECONDS   (the silent grandchild of SPROUT_BT_GRANDCHILD)\n"
             "       bt.exe --help\n"
             "\n"
             "Downloads the torrent's payload into the working directory, resuming from what is\n"
             "there, and prints a status block every SECONDS; once complete it goes on seeding\n"
             "until it is stopped. --make-torrent writes a torrent (SHA-1 piece hashes) for a\n"
             "file or a folder.\n"
             "Exit codes: 1 torrent or file trouble, 2 wrong command line, 3 bad test knob.\n";
}
