// HostEvents: what the reference host shows its user and what a test bench watches.
//
// The host's services report each visible event here: journal lines, message boxes, commands,
// SQL statements the database refused at run time, changes of the plug-ins' menu, and (for benches
// that count) every host operation called. The command line prints them, the window shows them; the
// defaults do nothing. Host thread only.
#pragma once

#include <string>

namespace RefHost {

class THostEvents {
public:
    virtual ~THostEvents() = default;

    // A host operation was entered, e.g. "IHostKernel.WriteLog".
    virtual void Called(const char* /*operation*/) {}
    // The host operation entered last has returned (after its body, whether it failed or not).
    virtual void Returned(const char* /*operation*/) noexcept {}
    virtual void Journal(const std::u16string& /*line*/) {}
    virtual void Message(const std::u16string& /*caption*/, const std::u16string& /*text*/) {}
    virtual void Command(const std::u16string& /*name*/, const std::u16string& /*parameter*/) {}
    // The plug-ins' menu items were added, removed or changed.
    virtual void MenuChanged() {}
    virtual void StatementRefused(const std::u16string& /*statement*/,
                                  const std::string& /*reason*/) {}
};

} // namespace RefHost
