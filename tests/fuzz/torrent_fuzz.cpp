// Fuzzes the simulated engine's torrent reading: arbitrary bytes never crash the bencode or
// torrent parser; whatever bencode parses writes back to bytes that parse to the same writing;
// and a torrent that is accepted names only paths inside the working directory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/btsim/bencode.h"
#include "tools/btsim/torrent.h"

namespace {

bool Safe(const std::string& part)
{
    return !part.empty() && part != "." && part != ".."
        && part.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Bencode value;
    std::string error;
    if (ParseBencode(bytes, &value, &error)) {
        std::string written = EncodeBencode(value);
        Bencode again;
        if (!ParseBencode(written, &again, &error) || EncodeBencode(again) != written)
            std::abort();
    }
    Torrent torrent;
    if (ParseTorrent(bytes, &torrent, &error)) {
        if (!Safe(torrent.name) || torrent.files.empty() || torrent.TotalLength() < 0
            || torrent.pieces.size() % 20 != 0)
            std::abort();
        for (const TorrentFile& file : torrent.files) {
            for (const std::string& part : file.path) {
                if (!Safe(part))
                    std::abort();
            }
        }
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}
