// Doubles for the remote run: settings given by the test instead of the
// dialog, and a progress display that records what it was shown and can
// press its cancel button after a number of looks.
#pragma once

#include "compute/remote_transport.h"

#include <optional>
#include <string>
#include <vector>

namespace vemra::test {

class FixedSettings : public RemoteSettingsSource {
public:
    std::optional<RemoteSettings> askSettings() override
    {
        if (++asked == cancelAt)
            return std::nullopt;
        return settings;
    }
    std::optional<RemoteSettings> settings = RemoteSettings{};
    int asked = 0;
    int cancelAt = 0; // the question answered with Cancel; 0 never
};

class RecordingRunView : public RemoteRunView {
public:
    int32_t begin(int32_t) override
    {
        ++begun;
        return 0;
    }
    void addLine(const std::string& line) override { lines.push_back(line); }
    void terminalText(const std::string& text) override { terminal += text; }
    void showTime(int32_t elapsed, int32_t) override { lastTime = elapsed; }
    bool cancelRequested() override { return cancelAfter >= 0 && ++looks > cancelAfter; }
    void end(bool close, int32_t, int32_t) override { closed = close; ++ended; }

    // Every protocol line and the terminal text in one, for searching.
    std::string all() const
    {
        std::string s = terminal;
        for (const auto& l : lines)
            s += "\n" + l;
        return s;
    }
    bool hasLine(const std::string& start) const
    {
        for (const auto& l : lines)
            if (l.rfind(start, 0) == 0)
                return true;
        return false;
    }

    int cancelAfter = -1; // press cancel after this many looks; -1 never
    int looks = 0;
    int begun = 0;
    int ended = 0;
    bool closed = false;
    int32_t lastTime = -1;
    std::vector<std::string> lines;
    std::string terminal;
};

} // namespace vemra::test
