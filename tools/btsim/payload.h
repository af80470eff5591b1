// The payload on disk: where the engine writes the torrent's files, resuming from what is
// already there. The file system comes in through PayloadStore. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/btsim/torrent.h"

// Paths are relative to the working directory, parts joined with a backslash.
class PayloadStore {
public:
    // Size of the file, or -1 when there is none.
    virtual int64_t FileSize(const std::string& path) = 0;
    // True when the directory exists afterwards.
    virtual bool MakeDirectory(const std::string& path) = 0;
    // Writes at `offset`, creating the file when missing.
    virtual bool Write(const std::string& path, int64_t offset, const char* data, size_t size) = 0;

protected:
    ~PayloadStore() = default;
};

// The simulated content: byte i of the payload (counted over all files) is i % 251, a cycle
// that no power-of-two piece length lines up with.
void FillPayloadBytes(int64_t offset, char* data, size_t size);

class Payload {
public:
    Payload(const Torrent& torrent, PayloadStore& store);

    // Makes the directories and empty files and counts what is on disk already; a file
    // longer than the torrent says counts as complete.
    bool Resume(std::string* error);
    // Writes up to `bytes` more, file after file; returns false when the store fails.
    bool Advance(int64_t bytes, std::string* error);

    int64_t Have() const { return m_have; }
    int64_t Total() const { return m_total; }
    bool Complete() const { return m_have >= m_total; }

private:
    struct Entry {
        std::string path;
        int64_t start = 0;  // offset of the file in the whole payload
        int64_t length = 0;
        int64_t have = 0;
    };

    PayloadStore& m_store;
    std::vector<std::string> m_directories;
    std::vector<Entry> m_entries;
    int64_t m_total = 0;
    int64_t m_have = 0;
};
