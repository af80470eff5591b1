#include "app/torrent_file_list.h"

#include <commctrl.h>

#include "engine_interface/size_text.h"
#include "framework/module.h"
#include "framework/number_text.h"
#include "framework/text.h"
#include "status/status_texts.h"

namespace {

// Torrent files are small; a larger file is no torrent this program can show (the engine
// refuses it too).
const DWORD kMaxTorrentBytes = 64 * 1024 * 1024;
// Dialog units of the size column.
const int kSizeColumnWidth = 56;
// A path is shown in at most this many bytes, terminator included: a list line shows fewer.
const int kShownPathBytes = 1024;
const char kUtf8Ellipsis[] = "\xE2\x80\xA6";

// UTF-8 of at most kShownPathBytes into the system code page, which takes no more bytes for
// it; characters it cannot show become '?'.
void CopyUtf8(char* out, int size, const char* text, size_t length)
{
    wchar_t wide[kShownPathBytes];
    char narrow[2 * kShownPathBytes];
    int bytes = length < kShownPathBytes ? int(length) : kShownPathBytes;
    int count = MultiByteToWideChar(CP_UTF8, 0, text, bytes, wide, kShownPathBytes);
    // A character beyond the basic plane is one '?', not one for each half of its pair.
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < count
                    && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
        wide[kept++] = pair ? L'?' : wide[i];
        i += pair ? 1 : 0;
    }
    count = kept;
    int converted = WideCharToMultiByte(CP_ACP, 0, wide, count, narrow, sizeof(narrow), "?",
                                        nullptr);
    CopyWholeChars(out, size, narrow, converted > 0 ? converted : 0);
}

void AddColumn(HWND list, int index, const char* title, int width, int format)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

}  // namespace

void TorrentFileList::Create(HWND dialog, int controlId, const char* torrentPath, RECT area)
{
    m_readable = m_torrent.Open(torrentPath, kMaxTorrentBytes) == ERROR_SUCCESS
                 && m_contents.Read(m_torrent);
    if (!m_readable)
        m_torrent.Close();

    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    MapDialogRect(dialog, &area);
    m_hList = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA
                                  | LVS_SINGLESEL | LVS_NOSORTHEADER,
                              area.left, area.top, area.right - area.left,
                              area.bottom - area.top, dialog,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                              Module::Instance(), nullptr);
    if (!m_hList)
        return;
    SendMessageA(m_hList, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
    SendMessageA(m_hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);

    RECT sizeColumn = {0, 0, kSizeColumnWidth, 0};
    MapDialogRect(dialog, &sizeColumn);
    RECT client;
    GetClientRect(m_hList, &client);
    int nameWidth = client.right - sizeColumn.right - GetSystemMetrics(SM_CXVSCROLL);
    AddColumn(m_hList, 0, texts::kFileColumn, nameWidth, LVCFMT_LEFT);
    AddColumn(m_hList, 1, texts::kSizeColumn, sizeColumn.right, LVCFMT_RIGHT);

    // One row per file and the total; or the one line that the torrent cannot be read.
    int rows = m_readable ? m_contents.FileCount() + 1 : 1;
    SendMessageA(m_hList, LVM_SETITEMCOUNT, rows, LVSICF_NOINVALIDATEALL);
}

bool TorrentFileList::OnNotify(const NMHDR* header)
{
    if (!m_hList || header->hwndFrom != m_hList || header->code != LVN_GETDISPINFOA)
        return false;
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        FillRow(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
    return true;
}

void TorrentFileList::FillRow(int row, int column, char* text, int size) const
{
    text[0] = '\0';
    if (!m_readable) {
        if (row == 0 && column == 0)
            CopyWholeChars(text, size, texts::kTorrentUnreadable,
                           sizeof(texts::kTorrentUnreadable) - 1);
        return;
    }
    int files = m_contents.FileCount();
    if (row < 0 || row > files)
        return;
    char line[64];
    if (column == 1) {
        FormatSize(row == files ? m_contents.TotalLength() : m_contents.Length(row), line,
                   sizeof(line));
        CopyWholeChars(text, size, line, lstrlenA(line));
    } else if (row == files) {
        char count[24];
        FormatDecimal(uint64_t(files), count);
        lstrcpyA(line, texts::kTotalPrefix);
        lstrcatA(line, count);
        lstrcatA(line, texts::kTotalSuffix);
        CopyWholeChars(text, size, line, lstrlenA(line));
    } else {
        // Cut to the line's room, in the path's own encoding, which converting can only shorten.
        char shown[kShownPathBytes];
        size_t room = size < kShownPathBytes ? size_t(size - 1) : size_t(kShownPathBytes - 1);
        bool utf8 = m_contents.PathIsUtf8(row);
        size_t length = m_contents.ShownPath(row, utf8 ? kUtf8Ellipsis : texts::kEllipsis,
                                             shown, room);
        if (utf8)
            CopyUtf8(text, size, shown, length);
        else
            CopyWholeChars(text, size, shown, int(length));
    }
}
