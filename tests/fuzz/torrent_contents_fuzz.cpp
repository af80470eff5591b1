// Fuzzes the program's torrent reading: arbitrary bytes never crash the shared bencode reader
// or the file list on top of it; an accepted torrent has at least one file, every path is
// shown within its room (a narrow one and a wide one), terminated, with no control
// character, and the lengths add up.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "torrent/bencode_reader.h"
#include "torrent/torrent_contents.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    BencodeReader reader(bytes, size);
    if (reader.Skip() && reader.Position() > size)
        std::abort();

    TorrentContents contents;
    if (!contents.Read(bytes, size)) {
        if (contents.FileCount() != 0)
            std::abort();
        return 0;
    }
    if (contents.FileCount() < 1)
        std::abort();
    int64_t total = 0;
    for (int i = 0; i < contents.FileCount(); ++i) {
        for (size_t room : {size_t(16), size_t(300)}) {
            char path[301];
            size_t length = contents.ShownPath(i, "...", path, room);
            if (length == 0 || length > room || path[length] != '\0')
                std::abort();
            for (size_t j = 0; j < length; ++j) {
                if (static_cast<unsigned char>(path[j]) < 0x20)
                    std::abort();
            }
        }
        if (contents.Length(i) < 0)
            std::abort();
        total += contents.Length(i);
    }
    if (total != contents.TotalLength())
        std::abort();
    return 0;
}
