// Fuzzes the program's torrent reading: arbitrary bytes never crash the shared bencode reader
// or the file list on top of it, and both read the same in memory, through the usual window
// and through the smallest one, whose edges cut every string, key and number somewhere; an
// accepted torrent has at least one file, every path is shown within its room (a narrow one
// and a wide one), terminated, with no control character, and the lengths add up.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "torrent/bencode_reader.h"
#include "torrent/torrent_contents.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const MemorySource source(bytes, size);
    BencodeReader reader(bytes, size);
    char window[BencodeReader::kMinWindow];
    BencodeReader windowed(source, 0, window, sizeof(window));
    bool skipped = reader.Skip();
    if ((skipped && reader.Position() > size) || windowed.Skip() != skipped
        || windowed.Position() != reader.Position()
        || windowed.ErrorPosition() != reader.ErrorPosition())
        std::abort();

    TorrentContents contents;
    TorrentContents small;
    bool read = contents.Read(source);
    if (small.Read(source, BencodeReader::kMinWindow) != read)
        std::abort();
    if (!read) {
        if (contents.FileCount() != 0 || small.FileCount() != 0)
            std::abort();
        return 0;
    }
    if (contents.FileCount() < 1 || small.FileCount() != contents.FileCount())
        std::abort();
    int64_t total = 0;
    for (int i = 0; i < contents.FileCount(); ++i) {
        for (size_t room : {size_t(16), size_t(300)}) {
            char path[301];
            char smallPath[301];
            size_t length = contents.ShownPath(i, "...", path, room);
            if (length == 0 || length > room || path[length] != '\0')
                std::abort();
            for (size_t j = 0; j < length; ++j) {
                if (static_cast<unsigned char>(path[j]) < 0x20)
                    std::abort();
            }
            if (small.ShownPath(i, "...", smallPath, room) != length
                || std::memcmp(smallPath, path, length) != 0)
                std::abort();
        }
        if (contents.Length(i) < 0 || small.Length(i) != contents.Length(i)
            || small.PathIsUtf8(i) != contents.PathIsUtf8(i))
            std::abort();
        total += contents.Length(i);
    }
    if (total != contents.TotalLength())
        std::abort();
    return 0;
}
