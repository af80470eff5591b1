// Knob parsing and the writes a block is cut into.
#include "tools/btsim/knobs.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool ReadInteger(const char* text, int64_t low, int64_t high, int64_t* value)
{
    if (!text || !*text)
        return false;
    errno = 0;
    char* end = nullptr;
    long long number = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || number < low || number > high)
        return false;
    *value = number;
    return true;
}

// Seconds with an optional fraction, as milliseconds.
bool ReadSeconds(const char* text, int* ms)
{
    if (!text || !*text || !(*text >= '0' && *text <= '9'))
        return false;
    char* end = nullptr;
    double seconds = std::strtod(text, &end);
    if (*end != '\0' || seconds < 0 || seconds > 24 * 3600)
        return false;
    *ms = int(seconds * 1000.0 + 0.5);
    return true;
}

class KnobReader {
public:
    KnobReader(KnobLookup lookup, std::string* error) : m_lookup(lookup), m_error(error) {}

    bool Integer(const char* name, int64_t low, int64_t high, int64_t* value)
    {
        const char* text = m_lookup(name);
        return !text || ReadInteger(text, low, high, value) || Bad(name, text);
    }

    bool Int(const char* name, int low, int high, int* value)
    {
        int64_t wide = *value;
        if (!Integer(name, low, high, &wide))
            return false;
        *value = int(wide);
        return true;
    }

    bool Seconds(const char* name, int* ms)
    {
        const char* text = m_lookup(name);
        return !text || ReadSeconds(text, ms) || Bad(name, text);
    }

    bool Flag(const char* name, bool* value)
    {
        const char* text = m_lookup(name);
        if (!text)
            return true;
        if (std::strcmp(text, "1") == 0 || std::strcmp(text, "0") == 0) {
            *value = text[0] == '1';
            return true;
        }
        return Bad(name, text);
    }

    bool Offsets(const char* name, std::vector<int>* offsets)
    {
        const char* text = m_lookup(name);
        if (!text)
            return true;
        std::string list = text;
        size_t from = 0;
        for (;;) {
            size_t comma = list.find(',', from);
            std::string item = list.substr(from, comma == std::string::npos ? comma : comma - from);
            int64_t offset = 0;
            if (!ReadInteger(item.c_str(), 1, 1 << 20, &offset))
                return Bad(name, text);
            offsets->push_back(int(offset));
            if (comma == std::string::npos)
                return true;
            from = comma + 1;
        }
    }

    const char* Text(const char* name) { return m_lookup(name); }

    bool Bad(const char* name, const char* text)
    {
        *m_error = std::string("bad value for ") + name + ": \"" + text + "\"";
        return false;
    }

private:
    KnobLookup m_lookup;
    std::string* m_error;
};

}  // namespace

bool ReadKnobs(KnobLookup lookup, Knobs* knobs, std::string* error)
{
    KnobReader r(lookup, error);
    const int kMany = 1 << 30;
    if (!r.Integer("SPROUT_BT_RATE", 0, int64_t(1) << 40, &knobs->bytesPerSecond)
        || !r.Int("SPROUT_BT_EXIT_AFTER", 0, kMany, &knobs->exitAfter)
        || !r.Int("SPROUT_BT_EXIT_CODE", -kMany, kMany, &knobs->exitCode)
        || !r.Int("SPROUT_BT_CRASH_AFTER", 0, kMany, &knobs->crashAfter)
        || !r.Flag("SPROUT_BT_HANG", &knobs->hang)
        || !r.Seconds("SPROUT_BT_FLOOD", &knobs->floodMs)
        || !r.Seconds("SPROUT_BT_GRANDCHILD", &knobs->grandchildMs)
        || !r.Flag("SPROUT_BT_STDIN", &knobs->readStdin)
        || !r.Int("SPROUT_BT_SPLIT", 0, 1 << 20, &knobs->splitSize)
        || !r.Offsets("SPROUT_BT_SPLIT_AT", &knobs->splitAt)
        || !r.Int("SPROUT_BT_SPLIT_PAUSE", 0, 10000, &knobs->splitPauseMs)
        || !r.Int("SPROUT_BT_NUL", 0, 1 << 20, &knobs->nulAt))
        return false;
    if (const char* mode = r.Text("SPROUT_BT_FLOOD_MODE")) {
        if (std::strcmp(mode, "text") == 0)
            knobs->floodMode = FloodMode::Text;
        else if (std::strcmp(mode, "blocks") == 0)
            knobs->floodMode = FloodMode::Blocks;
        else if (std::strcmp(mode, "stderr") == 0)
            knobs->floodMode = FloodMode::Stderr;
        else
            return r.Bad("SPROUT_BT_FLOOD_MODE", mode);
    }
    if (const char* path = r.Text("SPROUT_BT_RECORD"))
        knobs->recordPath = path;
    if (const char* text = r.Text("SPROUT_BT_STDERR"))
        knobs->stderrText = text;
    return true;
}

const char* KnobsHelp()
{
    return "Test knobs (environment variables; a bad value stops bt.exe with exit code 3):\n"
           "  SPROUT_BT_RATE=BYTES        download rate in bytes per second (default 4194304;\n"
           "                              0 stalls at what is on disk)\n"
           "  SPROUT_BT_EXIT_AFTER=N      exit after N status blocks (0: before the first)\n"
           "  SPROUT_BT_EXIT_CODE=CODE    exit code for SPROUT_BT_EXIT_AFTER and\n"
           "                              SPROUT_BT_GRANDCHILD (default 0)\n"
           "  SPROUT_BT_CRASH_AFTER=N     after N status blocks write through a null pointer\n"
           "  SPROUT_BT_HANG=1            print nothing, read nothing, never exit\n"
           "  SPROUT_BT_FLOOD=SECONDS     first write standard output as fast as it goes\n"
           "  SPROUT_BT_FLOOD_MODE=MODE   what the flood writes: text (lines without any\n"
           "                              status key, the default), blocks (status blocks\n"
           "                              back to back) or stderr (text on standard error)\n"
           "  SPROUT_BT_GRANDCHILD=SECONDS start a copy of bt.exe that inherits the standard\n"
           "                              handles, writes nothing and lives SECONDS, then exit\n"
           "                              (or go on until SPROUT_BT_EXIT_AFTER when that is set)\n"
           "  SPROUT_BT_RECORD=FILE       append the command line and working directory, and\n"
           "                              with SPROUT_BT_STDIN what standard input gave\n"
           "  SPROUT_BT_STDIN=1           read standard input and report each read to the\n"
           "                              SPROUT_BT_RECORD file (or standard error)\n"
           "  SPROUT_BT_STDERR=TEXT       write TEXT and CR LF to standard error at start\n"
           "  SPROUT_BT_SPLIT=N           write each block in pieces of N bytes (1: byte by byte)\n"
           "  SPROUT_BT_SPLIT_AT=A,B,...  cut each block after its first A, B, ... bytes\n"
           "  SPROUT_BT_SPLIT_PAUSE=MS    pause between the pieces of a block\n"
           "  SPROUT_BT_NUL=OFFSET        put a NUL byte after the first OFFSET bytes of each block\n"
           "At start bt.exe records, writes SPROUT_BT_STDERR, hangs, starts the grandchild and\n"
           "the stdin reader, exits or crashes after 0 blocks, reads the torrent, floods, then\n"
           "prints blocks; each knob that is not set is skipped.\n";
}

std::vector<std::string> SplitForWriting(const std::string& block, const Knobs& knobs)
{
    std::string bytes = block;
    if (knobs.nulAt >= 0)
        bytes.insert(std::min(size_t(knobs.nulAt), bytes.size()), 1, '\0');
    std::vector<size_t> cuts;
    for (int offset : knobs.splitAt)
        cuts.push_back(size_t(offset));
    if (knobs.splitSize > 0) {
        for (size_t at = size_t(knobs.splitSize); at < bytes.size(); at += size_t(knobs.splitSize))
            cuts.push_back(at);
    }
    std::sort(cuts.begin(), cuts.end());
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t at : cuts) {
        if (at > from && at < bytes.size()) {
            pieces.push_back(bytes.substr(from, at - from));
            from = at;
        }
    }
    pieces.push_back(bytes.substr(from));
    return pieces;
}
