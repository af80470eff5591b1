// The window's file list read from another process, through a block of that process's memory.
#pragma once

#include <windows.h>

#include <string>

#include "tests/driver/driver.h"

namespace driver {

class RemoteList {
public:
    explicit RemoteList(const SproutProcess& sprout);
    ~RemoteList();
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    HWND Window() const { return m_list; }
    int Rows() const;
    std::string Text(int row, int column) const;

private:
    static const int kBlockBytes = 4096;
    HWND m_list;
    HANDLE m_process;
    void* m_block;
};

}  // namespace driver
