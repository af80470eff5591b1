// The last bytes the engine wrote to its standard error, kept so that a failure can quote
// the engine's last line. Bounded; the front is dropped in whole characters of the system
// code page, so the kept text never begins with half a double-byte character. Portable.
#pragma once

class StderrTail {
public:
    static const int kCapacity = 512;

    void Clear() { m_length = 0; }
    void Append(const char* chunk);
    // The last line that holds more than blanks, without its line end and outer blanks, cut
    // to fit `size` bytes (terminator included) on a character boundary; empty when none.
    void LastLine(char* out, int size) const;

private:
    bool EndsInLeadByte() const;

    char m_bytes[kCapacity];
    int m_length = 0;
};
