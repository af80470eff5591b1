// Program folders, info.pyd and settings.ini edits, engine children.
#include "tests/driver/program_folder.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstring>

#include "framework/owned.h"

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

bool ProgramFolder::SetSavedFolder(const std::string& torrentName,
                                   const std::string& folder) const
{
    return WritePrivateProfileStringA(torrentName.c_str(), "Path", folder.c_str(),
                                      File("settings.ini").c_str()) != 0;
}

std::vector<ProcessEntry> RunningProcesses()
{
    std::vector<ProcessEntry> processes;
    OwnedFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        // Toolhelp gives a bare name on some systems and a full path on others.
        const char* slash = std::strrchr(entry.szExeFile, '\\');
        processes.push_back({entry.th32ProcessID, entry.th32ParentProcessID,
                             slash ? slash + 1 : entry.szExeFile});
    }
    return processes;
}

std::vector<DWORD> ThreadsOf(DWORD processId)
{
    std::vector<DWORD> ids;
    OwnedFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == processId)
            ids.push_back(entry.th32ThreadID);
    }
    return ids;
}

std::vector<DWORD> EngineChildren(DWORD parentId)
{
    std::vector<DWORD> children;
    for (const ProcessEntry& entry : RunningProcesses()) {
        if (entry.parentId == parentId && lstrcmpiA(entry.name.c_str(), "bt.exe") == 0
            && !ProcessEnded(entry.id))
            children.push_back(entry.id);
    }
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
