// One run of sprout.exe in a program folder of the test's own (bt.exe unless the test leaves
// it out, the torrent and settings.ini beside it), with the checks every reliability case
// makes: the window answers, the engine processes it has, and what it leaves behind.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/driver/driver.h"
#include "tests/driver/program_folder.h"
#include "tests/reliability/engine_knobs.h"

namespace reliability {

constexpr DWORD kNoAnswer = 0xFFFFFFFF;

class SproutSession {
public:
    enum Engine { kWithEngine, kWithoutEngine };
    SproutSession(const char* tag, Engine engine = kWithEngine);
    // Ends whatever the run left running (sprout.exe, engines, their children), then the folder.
    ~SproutSession();
    SproutSession(const SproutSession&) = delete;
    SproutSession& operator=(const SproutSession&) = delete;

    // Set before Open: sprout.exe and its engines take the knobs with them when it starts.
    // The engine's rate is set low, so that a download is still in progress minutes later.
    EngineKnobs& Knobs() { return m_knobs; }

    const driver::ProgramFolder& Folder() const { return m_folder; }
    std::string SettingsPath() const { return m_folder.File("settings.ini"); }
    // The save folder that settings.ini holds for movie.torrent before the first start.
    std::string SaveFolder() const { return m_folder.File("save\\"); }

    // Starts sprout.exe with these arguments in workDir (the program folder when empty) and
    // waits for its window. When none shows up, a failed assertion says how the process ended.
    ::testing::AssertionResult Open(const std::string& arguments = "movie.torrent",
                                    const std::string& workDir = "");
    // Writes the test torrent into the program folder under another name.
    bool AddTorrent(const std::string& name) const;
    driver::SproutProcess& Sprout() { return *m_sprout; }

    // Sends the button's command and returns once its handler is done: the time it took,
    // or kNoAnswer when that is more than timeoutMs.
    DWORD Click(int controlId, DWORD timeoutMs = 10000);
    // How long the window takes to answer a sent message; kNoAnswer after a second.
    DWORD AnswerTime();
    // The text of sprout.exe's visible balloon (a tooltip window); empty when none shows.
    std::string Balloon() const;
    // The balloon's text once one shows; empty when none does within timeoutMs.
    std::string WaitForBalloon(DWORD timeoutMs = 10000) const;
    // Puts text into the read-only save-folder field, as the folder browser does.
    bool SetSaveFolderField(const std::string& folder);

    // bt.exe processes that sprout.exe has started and that still run.
    size_t EngineCount() const;
    bool WaitForEngineCount(size_t count, DWORD timeoutMs) const;

    // Processes still running from the program folder, whoever started them (an engine's
    // grandchild too).
    std::vector<DWORD> ProcessesFromFolder() const;

    // Presses Exit; true when the process ended in time with exit code 1005.
    bool Exit(DWORD timeoutMs = 15000);

private:
    driver::ProgramFolder m_folder;
    EngineKnobs m_knobs;
    std::unique_ptr<driver::SproutProcess> m_sprout;
};

}  // namespace reliability
