// SessionEvents: how a refhost session shows the host's events.
//
// Every journal line, message box and command is printed on standard output
// ("journal: LINE", "message: CAPTION: TEXT", "command: NAME PARAMETER"), or through PrintLine
// when that is set, and remembered; in
// the window (gui) a message also appears as a message box, and "REFRESH" and menu changes
// reach the window through the callbacks. A database refusal is printed on standard error.
// Counts of host operations are kept for the progress display; on request the time spent inside
// host operations is summed as well (nested operations count once). Host thread only.
#pragma once

#include "Host/CallCounts.h"
#include "Host/HostEvents.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace RefHost {

class TSessionEvents : public THostEvents {
public:
    void Called(const char* operation) override;
    void Returned(const char* operation) noexcept override;
    void Journal(const std::u16string& line) override;
    void Message(const std::u16string& caption, const std::u16string& text) override;
    void Command(const std::u16string& name, const std::u16string& parameter) override;
    void MenuChanged() override;
    void StatementRefused(const std::u16string& statement, const std::string& reason) override;

    // Message boxes in the window as well as on the console.
    bool ShowMessageBoxes = false;
    // Prints a line instead of standard output (a terminal's live display).
    std::function<void(const std::string&)> PrintLine;
    std::function<void()> OnRefresh;
    std::function<void()> OnMenuChanged;
    // Sum the time spent inside host operations.
    bool TimeHostCalls = false;

    const std::vector<std::string>& JournalLines() const { return FJournal; }
    int Calls(std::string_view operation) const { return FCalls.Calls(operation); }
    // How often each host operation has been called so far.
    const TCallCounts& CallCounts() const { return FCalls.ByName(); }
    std::chrono::duration<double> HostCallTime() const { return FHostCallTime; }
    long HostCallCount() const { return FHostCallCount; }

private:
    void Print(const std::string& line) const;

    using TClock = std::chrono::steady_clock;

    std::vector<std::string> FJournal;
    TCallCounter FCalls;
    int FCallDepth = 0;
    TClock::time_point FCallEntered;
    TClock::duration FHostCallTime{};
    long FHostCallCount = 0;
};

} // namespace RefHost
