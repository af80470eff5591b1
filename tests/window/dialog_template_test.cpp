// Template 129 as sprout.exe carries it, read field by field from the resource: the dialog's
// style and font and every control's class, text, id, place, size and style, in tab order.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/driver/driver.h"

namespace {

struct TemplateItem {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // a predefined class as "#128" and so on
    std::wstring text;
};

struct DialogTemplate {
    DWORD exStyle = 0;
    DWORD style = 0;
    short cx = 0, cy = 0;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<TemplateItem> items;
};

// Reads DLGTEMPLATEEX and its DLGITEMTEMPLATEEX entries.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : m_data(data), m_end(data + size), m_p(data) {}

    bool Read(DialogTemplate* dialog)
    {
        if (Word() != 1 || Word() != 0xFFFF)
            return false;
        Dword();  // help id
        dialog->exStyle = Dword();
        dialog->style = Dword();
        WORD count = Word();
        Word();
        Word();
        dialog->cx = static_cast<short>(Word());
        dialog->cy = static_cast<short>(Word());
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        String();         // title
        if (dialog->style & DS_SETFONT) {
            dialog->pointSize = Word();
            Word();  // weight
            Word();  // italic and character set
            dialog->font = String();
        }
        for (WORD i = 0; i < count && m_p < m_end; ++i) {
            Align();
            TemplateItem item;
            Dword();  // help id
            item.exStyle = Dword();
            item.style = Dword();
            item.x = static_cast<short>(Word());
            item.y = static_cast<short>(Word());
            item.cx = static_cast<short>(Word());
            item.cy = static_cast<short>(Word());
            item.id = static_cast<int>(Dword());
            item.className = NameOrOrdinal();
            item.text = NameOrOrdinal();
            m_p += Word();  // creation data
            dialog->items.push_back(item);
        }
        return m_p <= m_end && dialog->items.size() == count;
    }

private:
    WORD Word()
    {
        if (m_p + 2 > m_end)
            return m_p = m_end, 0;
        WORD w = static_cast<WORD>(m_p[0] | (m_p[1] << 8));
        m_p += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    std::wstring String()
    {
        std::wstring text;
        for (WORD c = Word(); c && m_p < m_end; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    std::wstring NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0)
            return std::wstring();
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        return static_cast<wchar_t>(first) + String();
    }
    void Align() { m_p = m_data + ((m_p - m_data + 3) & ~3); }

    const BYTE* m_data;
    const BYTE* m_end;
    const BYTE* m_p;
};

bool SameText(const std::wstring& a, const wchar_t* b) { return lstrcmpiW(a.c_str(), b) == 0; }

// A predefined class may be named or given by its ordinal; both mean the same class.
bool SameClass(const std::wstring& a, const wchar_t* ordinal)
{
    const struct {
        const wchar_t* ordinal;
        const wchar_t* name;
    } predefined[] = {{L"#128", L"Button"}, {L"#129", L"Edit"}, {L"#130", L"Static"}};
    for (const auto& p : predefined) {
        if (lstrcmpW(ordinal, p.ordinal) == 0)
            return SameText(a, p.ordinal) || SameText(a, p.name);
    }
    return SameText(a, ordinal);
}

}  // namespace

TEST(DialogTemplate, MatchesTheControlTable)
{
    HMODULE exe = LoadLibraryExA((driver::BinDir() + "sprout.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(IDD_MAIN), MAKEINTRESOURCEA(5));
    ASSERT_NE(found, nullptr);
    HGLOBAL loaded = LoadResource(exe, found);
    ASSERT_NE(loaded, nullptr);
    DialogTemplate dialog;
    TemplateReader reader(static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(exe, found));
    ASSERT_TRUE(reader.Read(&dialog));

    EXPECT_EQ(dialog.cx, 370);
    EXPECT_EQ(dialog.cy, 293);
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_TRUE(SameText(dialog.font, L"MS Shell Dlg"));
    const DWORD wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT | WS_POPUP;
    EXPECT_EQ(dialog.style & wanted, wanted);
    EXPECT_EQ(dialog.style & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_VISIBLE), 0u);

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const struct {
        int id;
        const wchar_t* className;
        const wchar_t* text;
        short x, y, cx, cy;
        DWORD style;  // exactly, besides WS_CHILD | WS_VISIBLE
    } table[] = {
        {IDC_LINK, L"#130", L"静态", 9, 272, 339, 20, SS_CENTER | WS_GROUP},
        {IDC_LOGO, L"#130", L"", 4, 4, 19, 19, SS_BITMAP | SS_SUNKEN},
        {IDC_START_STOP, L"#128", L"开始下载(&S)", 32, 252, 60, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDC_OPEN_FOLDER, L"#128", L"打开文件(&O)", 116, 252, 60, 14, BS_PUSHBUTTON | WS_TABSTOP},
        {IDC_EXIT, L"#128", L"退出(&X)", 282, 252, 60, 14, BS_PUSHBUTTON | WS_TABSTOP},
        {IDC_FORUM, L"#128", L"论坛(&F)", 197, 252, 60, 14, BS_PUSHBUTTON | WS_TABSTOP},
        {-1, L"#128", L"", 3, 0, 364, 140, BS_GROUPBOX},
        {IDC_SAVE_FOLDER, L"#129", L"", 31, 166, 259, 12,
         WS_BORDER | ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP},
        {IDC_BROWSE, L"#128", L"浏览(&B)", 295, 165, 49, 14, BS_PUSHBUTTON | WS_TABSTOP},
        {IDC_STATUS_GROUP, L"#128", L"下载状态：", 14, 147, 345, 99, BS_GROUPBOX},
        {IDC_PROGRESS, L"msctls_progress32", L"", 28, 221, 316, 12, WS_BORDER | PBS_SMOOTH},
        {IDC_SPEED, L"#130", L"下载速度：", 30, 205, 140, 8, SS_LEFT | WS_GROUP},
        {IDC_TIME_LEFT, L"#130", L"剩余时间：", 189, 205, 140, 8, SS_LEFT | WS_GROUP},
        {IDC_DOWNLOADED, L"#130", L"已经下载：", 189, 190, 140, 8, SS_LEFT | WS_GROUP},
        {IDC_FILE_SIZE, L"#130", L"文件大小：", 30, 190, 140, 8, SS_LEFT | WS_GROUP},
    };
    ASSERT_EQ(dialog.items.size(), sizeof(table) / sizeof(table[0]));
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        const TemplateItem& item = dialog.items[i];
        const auto& want = table[i];
        EXPECT_EQ(item.id, want.id) << i;
        EXPECT_TRUE(SameClass(item.className, want.className)) << want.id;
        EXPECT_EQ(item.text, want.text) << want.id;
        EXPECT_EQ(item.x, want.x) << want.id;
        EXPECT_EQ(item.y, want.y) << want.id;
        EXPECT_EQ(item.cx, want.cx) << want.id;
        EXPECT_EQ(item.cy, want.cy) << want.id;
        EXPECT_EQ(item.style, want.style | child) << want.id;
        EXPECT_EQ(item.exStyle, 0u) << want.id;
    }
    FreeLibrary(exe);
}
