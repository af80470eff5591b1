// ResumableSearch: one pattern's search through a text that grows at the back and loses bytes
// at the front, going on where the last search stopped, so that a byte is looked at a bounded
// number of times however often the search is asked. Matches begin on a character boundary of
// the code page, as Text::Find has it. Portable: no windows.h.
#pragma once

// Whether text[index] begins a character, given that text[0] does and that no byte before
// index is a NUL: a byte that is no lead byte always ends a character, so it is a matter of
// whether the run of lead bytes right in front of index is even.
bool BeginsCharacter(const char* text, int index);

class ResumableSearch {
public:
    // pattern: at least one byte, kept (a literal).
    explicit ResumableSearch(const char* pattern);

    // The first match in text[0, end) that begins at or after the start (0 unless Restart set
    // one), or -1 while there is none. Between calls the text only grows at the back, or
    // loses its front as DropFront is told.
    int Find(const char* text, int end);
    // Searches from start anew.
    void Restart(int start)
    {
        m_from = start;
        m_found = -1;
    }
    // The text has lost its first count bytes: so has the search, and a match among them is
    // gone; the search goes on from the new front.
    void DropFront(int count)
    {
        if (m_found >= count)
            m_found -= count;
        else if (m_found >= 0)
            Restart(0);
        else
            m_from = m_from > count ? m_from - count : 0;
    }

private:
    const char* m_pattern;
    int m_length;
    int m_from = 0;    // no match begins in front of it (from the start on)
    int m_found = -1;  // the match, once found
};
