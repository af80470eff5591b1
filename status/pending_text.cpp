// PendingText: a front offset over a Text.
#include "status/pending_text.h"

bool PendingText::Append(const char* text)
{
    if (m_front > 0 && m_front >= Length()) {
        m_storage.DeleteFront(m_front);
        m_front = 0;
    }
    return m_storage.Append(text);
}

void PendingText::DeleteFront(int count)
{
    if (count > 0)
        m_front += count < Length() ? count : Length();
}

void PendingText::Delete(int index, int count)
{
    if (index < 0)
        index = 0;
    if (index < Length())
        m_storage.Delete(m_front + index, count);
}
