// Text: a counted, NUL-terminated narrow string in the system code page, with the few
// operations the program needs. Positions and lengths are byte counts. Portable: no windows.h.
#pragma once

// Tells whether a byte opens a double-byte character of the code page in use.
// Windows builds install IsDBCSLeadByte; until then every code page is treated as single-byte.
using LeadByteTest = bool (*)(unsigned char byte);
void SetLeadByteTest(LeadByteTest test);
bool IsLeadByte(unsigned char byte);

// Steps over one character: a lead byte followed by a non-NUL byte counts as one character.
const char* NextChar(const char* p);
// Bytes taken by the character at p in text that need not end in a NUL: as NextChar counts
// them, never past end, always at least one.
int CharLength(const char* p, const char* end);

// Cutting text of `length` bytes (no NUL needed) on whole characters, never inside one:
// how many bytes of its front fit in `room` bytes;
int FitWholeChars(const char* text, int length, int room);
// how many bytes go from its front so that at most `keep` bytes stay;
int DropWholeChars(const char* text, int length, int keep);
// the front that fits copied into out of `size` bytes, terminator included; returns its length.
int CopyWholeChars(char* out, int size, const char* text, int length);

// ASCII white space only: space, tab, LF, VT, FF, CR. Bytes of 0x80 and above never are.
inline bool IsAsciiSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Decimal conversion as atoi does it, without undefined behaviour on overflow (it wraps).
int ToInt(const char* text);

class Text {
public:
    Text();
    Text(const char* text);  // NOLINT: a literal converts
    Text(const char* text, int length);
    Text(const Text& other);
    Text(Text&& other) noexcept;
    Text& operator=(const Text& other);
    Text& operator=(Text&& other) noexcept;
    ~Text();

    const char* c_str() const { return m_data ? m_data : ""; }
    int Length() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }

    // Both return false and leave the text unchanged when memory runs out.
    bool Assign(const char* text);
    bool Append(const char* text);
    bool Append(const char* text, int length);

    // Index (from the start of the text) of the first occurrence of `what` that begins at or
    // after `start` on a character boundary; -1 when there is none or start is past the end.
    int Find(const char* what, int start = 0) const;
    bool Contains(const char* what) const { return Find(what) >= 0; }

    // Clamped: negative start or count count as 0, count is cut at the end.
    Text Mid(int start, int count) const;
    Text Left(int count) const { return Mid(0, count); }

    // Removes `count` bytes at `index` (clamped); the rest moves up.
    void Delete(int index, int count);
    void DeleteFront(int count) { Delete(0, count); }

    void TrimLeft();
    void TrimRight();
    void Trim() { TrimLeft(); TrimRight(); }

    int ToInt() const { return ::ToInt(c_str()); }


private:
    bool Reserve(int length);
    char* m_data = nullptr;
    int m_length = 0;
    int m_capacity = 0;
};
