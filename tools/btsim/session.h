// One run of the simulated engine, in display intervals: at each tick it writes what the rate
// allows for the time gone by and gives back the status block to print. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <string>

#include "tools/btsim/payload.h"
#include "tools/btsim/torrent.h"

class Session {
public:
    Session(const Torrent& torrent, PayloadStore& store, int64_t bytesPerSecond);

    bool Start(std::string* error);  // resumes from the disk
    // `nowMs` is the time since Start; ticks come with a non-decreasing time.
    bool Tick(int64_t nowMs, std::string* block, std::string* error);

    const Payload& Files() const { return m_payload; }

private:
    std::string m_name;
    Payload m_payload;
    int64_t m_bytesPerSecond;
    int64_t m_written = 0;   // since Start
    int64_t m_uploaded = 0;  // made up: peers take a quarter of the rate back
    int64_t m_lastTickMs = 0;
};
