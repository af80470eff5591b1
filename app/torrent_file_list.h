// TorrentFileList: the torrent's files with their sizes and a total, in a read-only list
// inside the window's upper frame beside the logo. A virtual list: the rows' texts are read
// from the torrent file, kept open, when the list asks for them, so a torrent of millions of
// files, or of very long names, opens at once in little memory. A torrent that cannot be read
// shows one line saying so. Interface thread only.
#pragma once

#include <windows.h>

#include "app/file_source.h"
#include "torrent/torrent_contents.h"

class TorrentFileList {
public:
    // Reads the torrent file and creates the list as the dialog's last control (and tab stop),
    // within `area` in dialog units.
    void Create(HWND dialog, int controlId, const char* torrentPath, RECT area);
    HWND Window() const { return m_hList; }
    // The dialog's WM_NOTIFY; true when it was the list's request for a row's text.
    bool OnNotify(const NMHDR* header);

private:
    void FillRow(int row, int column, char* text, int size) const;

    HWND m_hList = nullptr;  // a child of the dialog, destroyed with it
    FileSource m_torrent;  // which m_contents reads from
    TorrentContents m_contents;
    bool m_readable = false;
};
