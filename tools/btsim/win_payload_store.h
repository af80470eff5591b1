// PayloadStore on the Windows file system, relative to the working directory.
#pragma once

#include "tools/btsim/payload.h"

class WinPayloadStore : public PayloadStore {
public:
    int64_t FileSize(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool Write(const std::string& path, int64_t offset, const char* data, size_t size) override;
};
