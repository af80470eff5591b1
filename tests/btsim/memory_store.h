// A PayloadStore in memory, for host tests of the payload and the session.
#pragma once

#include <map>
#include <set>
#include <string>

#include "tools/btsim/payload.h"

struct MemoryStore : PayloadStore {
    int64_t FileSize(const std::string& path) override
    {
        auto it = files.find(path);
        return it == files.end() ? -1 : int64_t(it->second.size());
    }
    bool MakeDirectory(const std::string& path) override
    {
        directories.insert(path);
        return !failDirectories;
    }
    bool Write(const std::string& path, int64_t offset, const char* data, size_t size) override
    {
        if (failWrites)
            return false;
        std::string& file = files[path];
        if (file.size() < size_t(offset) + size)
            file.resize(size_t(offset) + size);
        file.replace(size_t(offset), size, data ? std::string(data, size) : std::string());
        ++writes;
        return true;
    }

    std::map<std::string, std::string> files;
    std::set<std::string> directories;
    bool failDirectories = false;
    bool failWrites = false;
    int writes = 0;
};
