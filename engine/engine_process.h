// EngineProcess: runs one child program with its standard input, output and error on
// anonymous pipes, hands what it writes to overridable hooks as it arrives, notices when it
// ends, and stops it with a bounded sequence of pauses and waits.
#pragma once

#include <windows.h>

class EngineProcess {
public:
    EngineProcess();
    // Makes the hooks inert, then stops. Not virtual: nothing deletes through a base pointer.
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // Starts the child from a complete command line; showFlag non-zero shows its console.
    // Returns 1 when the child was created, 0 when not. Call only when no run is in progress.
    int Start(const char* commandLine, int showFlag);

    // The stop sequence: callable at any time, any number of times. Blocks 0.8 s to 4.8 s.
    void Stop();

protected:
    // Hooks, empty here. All but OnStarted (and the failed-start text) arrive on worker threads.
    virtual void OnStarted(const char* commandLine);
    virtual void OnStdout(const char* text);
    virtual void OnStderr(const char* text);
    virtual void OnTerminated();

    // For a derived destructor that must see the runner stopped before its own members go:
    // makes the hooks inert and runs Stop. The base destructor does it again harmlessly.
    void Shutdown();
};
