// The simulated engine's behaviour is chosen through environment variables, which sprout.exe
// and so bt.exe inherit from the test. A knob is set for the life of the object.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace reliability {

class EngineKnobs {
public:
    EngineKnobs() = default;
    ~EngineKnobs()
    {
        for (const auto& name : m_names)
            SetEnvironmentVariableA(name.c_str(), nullptr);
    }
    EngineKnobs(const EngineKnobs&) = delete;
    EngineKnobs& operator=(const EngineKnobs&) = delete;

    EngineKnobs& Set(const char* name, const std::string& value)
    {
        SetEnvironmentVariableA(name, value.c_str());
        m_names.push_back(name);
        return *this;
    }

private:
    std::vector<std::string> m_names;
};

}  // namespace reliability
