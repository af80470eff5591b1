// The download rate a status block shows: the bytes received since the last block over the
// time the download ran since then, which ends when the download completes. So a short or
// partial interval, or a download done within the first one, shows its real average.
// Portable: no windows.h.
#pragma once

#include <cstdint>

class IntervalRate {
public:
    // Times in microseconds on one steady clock; the first interval begins at startUs.
    explicit IntervalRate(int64_t startUs) : m_lastUs(startUs) {}

    // The download completed at atUs; the first call counts.
    void Complete(int64_t atUs);

    // Bytes per second for the interval that ends now, given all bytes received so far.
    int64_t Take(int64_t receivedTotal, int64_t nowUs);

private:
    int64_t m_lastUs;
    int64_t m_lastReceived = 0;
    int64_t m_completeUs = -1;
};
