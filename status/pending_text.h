// PendingText: engine output held by the status parser, appended at the back and deleted from
// the front. Deleting from the front only moves an offset; the dead bytes are dropped when an
// append comes and they are at least as many as the live ones, so each byte is moved a bounded
// number of times however many deletions there are. Portable: no windows.h.
#pragma once

#include "framework/text.h"

class PendingText {
public:
    // NUL-terminated; valid until the next change.
    const char* Data() const { return m_storage.c_str() + m_front; }
    int Length() const { return m_storage.Length() - m_front; }

    // The bytes of text up to its NUL; false, and nothing changed, when memory runs out.
    bool Append(const char* text);
    // Both clamp as Text::Delete does.
    void DeleteFront(int count);
    // Removes count bytes at index; the index bytes in front of them stay in front.
    void Delete(int index, int count);

private:
    Text m_storage;
    int m_front = 0;  // bytes of m_storage already deleted
};
