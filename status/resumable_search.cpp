// ResumableSearch: memchr on the pattern's last byte, the rarest in the engine's lines (":"
// ends the keys, "\n" the terminators), then memcmp on the rest.
#include "status/resumable_search.h"

#include <cstring>

#include "framework/text.h"

bool BeginsCharacter(const char* text, int index)
{
    int run = 0;
    while (run < index && IsLeadByte(static_cast<unsigned char>(text[index - run - 1])))
        ++run;
    return run % 2 == 0;
}

ResumableSearch::ResumableSearch(const char* pattern)
    : m_pattern(pattern), m_length(static_cast<int>(std::strlen(pattern)))
{
}

int ResumableSearch::Find(const char* text, int end)
{
    if (m_found >= 0)
        return m_found;
    const int tail = m_length - 1;
    const char last = m_pattern[tail];
    while (m_from <= end - m_length) {
        const char* hit = static_cast<const char*>(
            std::memchr(text + m_from + tail, last, static_cast<size_t>(end - m_from - tail)));
        if (!hit) {
            m_from = end - tail;
            break;
        }
        int at = static_cast<int>(hit - text) - tail;
        // The first byte rules out most candidates without a call.
        const size_t middle = static_cast<size_t>(tail > 1 ? tail - 1 : 0);
        if (text[at] == m_pattern[0]
            && (middle == 0 || std::memcmp(text + at + 1, m_pattern + 1, middle) == 0)
            && BeginsCharacter(text, at)) {
            m_found = at;
            break;
        }
        m_from = at + 1;
    }
    return m_found;
}
