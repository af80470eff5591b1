// A program folder of a test's own with sprout.exe in it, and what a distributor or a user
// puts beside it; the looks at processes and threads (sprout.exe's engine children among
// them) that the black-box tests need.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/driver/driver.h"

namespace driver {

class ProgramFolder {
public:
    explicit ProgramFolder(const char* tag);

    const std::string& Path() const { return m_dir.Path(); }
    std::string File(const std::string& name) const { return m_dir.File(name); }
    const std::string& Exe() const { return m_exe; }

    // The simulated engine as bt.exe, and a torrent of one file of `length` bytes for it.
    bool AddEngine();
    bool AddTorrent(const std::string& name, int length = 262144);
    bool AddLogo();
    // One key of info.pyd's section "INFO"; a null value removes the key.
    bool SetBranding(const char* key, const char* value);
    std::string SavedFolder(const std::string& torrentName) const;  // "<none>" when absent
    bool SetSavedFolder(const std::string& torrentName, const std::string& folder) const;

private:
    TempDir m_dir;
    std::string m_exe;
};

// One process of the system's list: its program's file name without the folder.
struct ProcessEntry {
    DWORD id;
    DWORD parentId;
    std::string name;
};
std::vector<ProcessEntry> RunningProcesses();
// The ids of a process's threads.
std::vector<DWORD> ThreadsOf(DWORD processId);

// Process ids of the running bt.exe processes whose parent is parentId.
std::vector<DWORD> EngineChildren(DWORD parentId);
// Whether a process has ended (or is gone altogether).
bool ProcessEnded(DWORD processId);

// Sets an environment variable of this process, and so of the programs it starts, for the
// life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
};

}  // namespace driver
