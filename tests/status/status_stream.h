// Engine output for the differential tests of StatusParser: status blocks as the engine
// writes them (also with GBK names and odd values), the engine's complaints, floods, and
// fragments of keys and terminators, joined at random. Shared by the host test and the fuzzer.
#pragma once

#include <string>

// Appends piece number `which` (any number; it wraps) with `figure` in its values.
inline void AppendStatusPiece(std::string& stream, unsigned which, unsigned figure)
{
    const std::string n = std::to_string(figure % 1000);
    switch (which % 20) {
    case 0:
        stream += "\r\nsaving: \xB9\xE2\xC5\xCC (" + n + ").iso (700.0 MB)\r\npercent done: " + n
                  + ".5\r\ntime left: " + n + " sec\r\ndownload rate: " + n
                  + ".2 kB/s\r\nshare rating: 0.1 (1 MB up / " + n
                  + " \xD5\xD7 down)\r\nseed status: " + n + " seen\r\n";
        break;
    case 1: stream += "seed status: " + n + " seen now\r\n"; break;
    case 2: stream += "saving: movie (" + n + ") ((" + n + " MB)\r\n"; break;
    case 3: stream += "percent done: " + n + "\r\n"; break;
    case 4: stream += "time left: " + n + (figure & 1 ? " sec\r\n" : " Succeeded\r\n"); break;
    case 5: stream += "download rate: " + std::string(figure & 1 ? "   " : "") + "\r\n"; break;
    case 6: stream += "(" + n + " kB up / " + n + " kB down)\r\n"; break;
    case 7: stream += "tracker error: connection refused, retrying in " + n + " seconds\r\n"; break;
    case 8: stream += "\xB9\xE2\xC5\xCC\xD5\xD7"; break;
    case 9: stream += "\x81"; break;
    case 10: stream += "seed st"; break;
    case 11: stream += "atus:"; break;
    case 12: stream += ")\r"; break;
    case 13: stream += "\n"; break;
    case 14: stream += "down)"; break;
    case 15: stream += "up /"; break;
    case 16: stream += "("; break;
    case 17: stream += std::string(figure % 300, 'x'); break;
    case 18: stream += std::string(1, '\0') + n; break;
    default: stream += "Unable to start \"C:\\bt.exe\" --display_interval 1.0\n"; break;
    }
}
