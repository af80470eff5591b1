// Reading another process's list view: the item and its text go through that process's memory.
#include "tests/driver/remote_list.h"

#include <commctrl.h>

#include "res/resource.h"

namespace driver {

RemoteList::RemoteList(const SproutProcess& sprout)
    : m_list(sprout.Control(IDC_FILE_LIST)),
      m_process(sprout.Process()),
      m_block(VirtualAllocEx(m_process, nullptr, kBlockBytes, MEM_COMMIT, PAGE_READWRITE))
{
}

RemoteList::~RemoteList()
{
    if (m_block)
        VirtualFreeEx(m_process, m_block, 0, MEM_RELEASE);
}

int RemoteList::Rows() const { return int(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0)); }

std::string RemoteList::Text(int row, int column) const
{
    char* remote = static_cast<char*>(m_block);
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = remote + sizeof(LVITEMA);
    item.cchTextMax = kBlockBytes - sizeof(LVITEMA);
    SIZE_T done = 0;
    WriteProcessMemory(m_process, remote, &item, sizeof(item), &done);
    DWORD_PTR length = 0;
    SendMessageTimeoutA(m_list, LVM_GETITEMTEXTA, WPARAM(row), LPARAM(remote), SMTO_ABORTIFHUNG,
                        5000, &length);
    std::string text(length, '\0');
    ReadProcessMemory(m_process, remote + sizeof(LVITEMA), &text[0], length, &done);
    return text;
}

}  // namespace driver
