// The rate of one status block's interval.
#include "btengine/interval_rate.h"

void IntervalRate::Complete(int64_t atUs)
{
    if (m_completeUs < 0)
        m_completeUs = atUs;
}

int64_t IntervalRate::Take(int64_t receivedTotal, int64_t nowUs)
{
    int64_t endUs = m_completeUs >= 0 && m_completeUs < nowUs ? m_completeUs : nowUs;
    int64_t ranUs = endUs - m_lastUs;
    int64_t received = receivedTotal - m_lastReceived;
    m_lastUs = nowUs;
    m_lastReceived = receivedTotal;
    if (ranUs <= 0 || received <= 0)
        return 0;
    return int64_t(double(received) * 1e6 / double(ranUs));
}
