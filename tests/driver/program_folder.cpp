// Program folders, info.pyd and settings.ini edits, engine children.
#include "tests/driver/program_folder.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstring>

namespace driver {

namespace {

// A single-file torrent without trackers or piece hashes: what the simulated engine needs.
std::string TorrentOfOneFile(int length)
{
    return "d4:infod6:lengthi" + std::to_string(length) +
           "e4:name8:data.bin12:piece lengthi262144eee";
}

}  // namespace

ProgramFolder::ProgramFolder(const char* tag) : m_dir(tag), m_exe(m_dir.File("sprout.exe"))
{
    EXPECT_TRUE(CopyFromBin("sprout.exe", m_exe));
}

bool ProgramFolder::AddEngine() { return CopyFromBin("bt.exe", File("bt.exe")); }

bool ProgramFolder::AddTorrent(const std::string& name, int length)
{
    return WriteFile(File(name), TorrentOfOneFile(length));
}

bool ProgramFolder::AddLogo() { return CopyFromBin("logo.bmp", File("logo.bmp")); }

bool ProgramFolder::SetBranding(const char* key, const char* value)
{
    return WritePrivateProfileStringA("INFO", key, value, File("info.pyd").c_str()) != 0;
}

std::string ProgramFolder::SavedFolder(const std::string& torrentName) const
{
    char value[1024] = {};
    GetPrivateProfileStringA(torrentName.c_str(), "Path", "<none>", value, sizeof(value),
                             File("settings.ini").c_str());
    return value;
}

bool ProgramFolder::SetSavedFolder(const std::string& torrentName, const std::string& folder)
{
    return WritePrivateProfileStringA(torrentName.c_str(), "Path", folder.c_str(),
                                      File("settings.ini").c_str()) != 0;
}

std::vector<DWORD> EngineChildren(DWORD parentId)
{
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        // Toolhelp gives a bare name on some systems and a full path on others.
        const char* slash = std::strrchr(entry.szExeFile, '\\');
        const char* name = slash ? slash + 1 : entry.szExeFile;
        if (entry.th32ParentProcessID == parentId && lstrcmpiA(name, "bt.exe") == 0 &&
            !ProcessEnded(entry.th32ProcessID))
            children.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return children;
}

bool ProcessEnded(DWORD processId)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process)
        return true;
    bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : m_name(name)
{
    SetEnvironmentVariableA(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableA(m_name.c_str(), nullptr); }

}  // namespace driver
