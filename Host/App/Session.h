// Session: the reference host running with its window and one plug-in loaded.
//
// Built from the command line shared by "verify" and "gui": the logbook (--db), the open log
// (--log KEY, --log-name, --operator), the host values' folders and files (--app-dir, default
// the refhost program's folder; --download-dir, default the app dir; --settings, default
// refhost.ini in the app dir; --journal, default refhost.log in the download dir), the plug-in
// (--plugin, default Corvane.ext beside refhost) and the test bench (--core-version N,
// --omit INTERFACE and --fail OPERATION:N:STATUS[:DESCRIPTION], both repeatable). The window
// lists the log when `listing` says so. Start() loads the plug-in; the destructor unloads it.
// Host thread only; needs a QApplication.
#pragma once

#include "Host/App/HostWindow.h"
#include "Host/App/Options.h"
#include "Host/App/SessionEvents.h"

#include "Host/LoadedPlugin.h"
#include "Host/RefHost.h"

#include <memory>
#include <set>
#include <string>

namespace RefHost {

class TSession {
public:
    // The option names a session understands (verbs add their own).
    static std::set<std::string> ValuedOptions();

    // Throws std::invalid_argument for bad options, EHostError when the logbook cannot open.
    TSession(const TOptions& options, const std::string& programDir, TSessionEvents& events,
             TLogListing listing);
    ~TSession();

    // Loads the plug-in; throws EHostError or EPluginRefused with a readable message.
    void Start();
    // Unloads the plug-in; false (after printing why) when its shutdown failed or it kept
    // references to the host.
    bool Stop();

    TRefHost& Host() { return *FHost; }
    TLogbook& Logbook() { return *FLogbook; }
    THostWindow& Window() { return *FWindow; }
    const std::string& SettingsPath() const { return FSettingsPath; }

private:
    TSessionEvents& FEvents;
    std::string FPluginPath;
    std::string FSettingsPath;
    std::unique_ptr<TLogbook> FLogbook;
    std::unique_ptr<THostWindow> FWindow;
    std::unique_ptr<TRefHost> FHost;
    std::unique_ptr<TLoadedPlugin> FPlugin;
};

} // namespace RefHost
