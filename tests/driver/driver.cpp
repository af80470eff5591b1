// The black-box driver.
#include "tests/driver/driver.h"

#include <shellapi.h>

#include <vector>

namespace driver {

std::string BinDir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string dir(path);
    size_t slash = dir.find_last_of('\\');
    return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

namespace {

void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(dir.c_str());
}

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND except;
    HWND found;
};

BOOL CALLBACK FindWindowProc(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    if (owner == search->processId && window != search->except && IsWindowVisible(window)
        && lstrcmpiA(className, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

TempDir::TempDir(const char* tag)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    static LONG counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[MAX_PATH];
        wsprintfA(name, "%ssprout-%s-%lu-%ld\\", temp, tag, GetCurrentProcessId(),
                  InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr)) {
            m_path = name;
            return;
        }
    }
}

TempDir::~TempDir()
{
    if (!m_path.empty())
        RemoveTree(m_path);
}

bool CopyFromBin(const std::string& name, const std::string& toPath)
{
    return CopyFileA((BinDir() + name).c_str(), toPath.c_str(), FALSE) != 0;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadFile(const std::string& path, std::string* bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes->append(buffer, got);
    CloseHandle(file);
    return true;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HWND FindVisibleWindow(DWORD processId, const char* className, HWND except)
{
    WindowSearch search = {processId, className, except, nullptr};
    EnumWindows(FindWindowProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window)
{
    char text[4096] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    return std::string(text, length);
}

SproutProcess::~SproutProcess()
{
    if (m_info.hProcess) {
        if (IsRunning()) {
            TerminateProcess(m_info.hProcess, 99);
            WaitForSingleObject(m_info.hProcess, 5000);
        }
        CloseHandle(m_info.hProcess);
        CloseHandle(m_info.hThread);
    }
}

bool SproutProcess::Launch(const std::string& exePath, const std::string& arguments,
                           const std::string& workDir)
{
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessA(exePath.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &startup, &m_info) != 0;
}

HWND SproutProcess::WaitForDialog(DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindVisibleWindow(m_info.dwProcessId, "#32770");
            return found != nullptr || !IsRunning();
        },
        timeoutMs);
    m_dialog = found;
    return m_dialog;
}

bool SproutProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (!m_info.hProcess || WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(m_info.hProcess, exitCode) != 0;
}

bool SproutProcess::IsRunning() const
{
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

std::string SproutProcess::Title() const { return WindowText(m_dialog); }

std::string SproutProcess::ControlText(int controlId) const
{
    return WindowText(GetDlgItem(m_dialog, controlId));
}

void SproutProcess::Press(int controlId) const
{
    PostMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(m_dialog, controlId)));
}

bool SproutProcess::SendToDialog(UINT msg, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) const
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(m_dialog, msg, wParam, lParam, SMTO_NORMAL, timeoutMs, &result) != 0;
}

bool SproutProcess::WaitForText(int controlId, const std::string& text, DWORD timeoutMs) const
{
    return WaitUntil([&] { return ControlText(controlId) == text; }, timeoutMs);
}

// Wine answers GetProcessHandleCount with 0 for every process; its system-wide handle list
// (the one Windows gives too) has each handle with its owner. The extended list, whose owner
// ids are pointer-sized: the older one keeps only 16 bits of them.
DWORD HandleCountOf(DWORD processId)
{
    typedef LONG(WINAPI * QuerySystem)(ULONG, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QuerySystem>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    struct HandleEntry {
        void* object;
        ULONG_PTR ownerId;
        ULONG_PTR value;
        ULONG access;
        USHORT creatorBackTrace;
        USHORT objectType;
        ULONG attributes;
        ULONG reserved;
    };
    struct HandleList {
        ULONG_PTR count;
        ULONG_PTR reserved;
    };
    const ULONG kSystemExtendedHandleInformation = 64;
    const LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    std::vector<char> buffer(256 * 1024);
    LONG status = kLengthMismatch;
    for (int attempt = 0; attempt < 8 && status == kLengthMismatch; ++attempt) {
        ULONG needed = 0;
        status = query(kSystemExtendedHandleInformation, buffer.data(),
                       static_cast<ULONG>(buffer.size()), &needed);
        if (status == kLengthMismatch)
            buffer.resize(buffer.size() * 2);
    }
    if (status != 0)
        return 0;
    ULONG_PTR entries = reinterpret_cast<const HandleList*>(buffer.data())->count;
    const auto* handles = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(HandleList));
    if (sizeof(HandleList) + entries * sizeof(HandleEntry) > buffer.size())
        return 0;
    DWORD count = 0;
    for (ULONG_PTR i = 0; i < entries; ++i) {
        if (handles[i].ownerId == processId)
            ++count;
    }
    return count;
}

}  // namespace driver
