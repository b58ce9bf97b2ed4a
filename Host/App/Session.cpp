#include "Host/App/Session.h"

#include "Platform/Locale.h"

#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace RefHost {

namespace {

std::u16string Text(const std::string& utf8) {
    return Platform::Utf8ToUtf16(utf8);
}

// A folder as the host reports it: absolute, without a trailing separator.
std::string Folder(const std::string& path) {
    std::string folder = std::filesystem::absolute(path).lexically_normal().string();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

std::set<std::string> TSession::ValuedOptions() {
    return {"db",       "log",     "log-name", "operator",     "app-dir", "download-dir",
            "settings", "journal", "plugin",   "core-version", "omit",    "fail"};
}

TSession::TSession(const TOptions& options, const std::string& programDir, TSessionEvents& events,
                   TLogListing listing)
    : FEvents(events) {
    const std::string appDir = Folder(options.ValueOr("app-dir", programDir));
    const std::string downloadDir = Folder(options.ValueOr("download-dir", appDir));
    FSettingsPath = std::filesystem::absolute(options.ValueOr("settings", appDir + "/refhost.ini"));
    FPluginPath = std::filesystem::absolute(options.ValueOr("plugin", programDir + "/Corvane.ext"));
    const std::string logKey = options.Required("log");

    TRefHostSetup setup;
    setup.Values = {
        {u"APPPATH", Text(appDir)},
        {u"APPNAME", u"refhost"},
        {u"APPINI", Text(FSettingsPath)},
        {u"DOWNLOAD", Text(downloadDir)},
        {u"PLUGIN.NAME", Text(std::filesystem::path(FPluginPath).filename().string())},
        {u"LOG.NAME", Text(options.ValueOr("log-name", logKey))},
        {u"LOG.TABLE", Text(logKey)},
        {u"LOG.OPERATOR", Text(options.ValueOr("operator", ""))},
    };
    setup.JournalPath = options.ValueOr("journal", downloadDir + "/refhost.log");
    if (auto version = options.Value("core-version")) {
        std::size_t used = 0;
        const long value = std::stol(*version, &used, 0);
        if (used != version->size())
            throw std::invalid_argument("--core-version takes a number");
        setup.CoreVersion = static_cast<LONG>(value);
    }
    for (const auto& name : options.Values("omit")) {
        CheckInterfaceName(name);
        setup.Omitted.insert(name);
    }
    for (const auto& fault : options.Values("fail"))
        setup.Faults.Add(ParseFault(fault));

    FLogbook = std::make_unique<TLogbook>(options.Required("db"));
    FWindow = std::make_unique<THostWindow>(
        *FLogbook, Text(logKey), QString::fromStdString(options.ValueOr("log-name", logKey)),
        listing);
    setup.ApplicationHandle = [window = FWindow.get()] {
        return window->Handle();
    };
    setup.SmallIcon = FWindow->SmallIcon();
    setup.LargeIcon = FWindow->LargeIcon();
    FHost = std::make_unique<TRefHost>(std::move(setup), *FLogbook, FEvents);
    FWindow->SetMenuSource(&FHost->Menu());
    FEvents.OnRefresh = [window = FWindow.get()] {
        window->Reload();
    };
    FEvents.OnMenuChanged = [window = FWindow.get()] {
        window->RebuildMenu();
    };
}

TSession::~TSession() {
    if (FPlugin)
        Stop();
    FEvents.OnRefresh = nullptr;
    FEvents.OnMenuChanged = nullptr;
}

void TSession::Start() {
    FPlugin = std::make_unique<TLoadedPlugin>(FPluginPath, FHost.get());
}

bool TSession::Stop() {
    const HRESULT status = FPlugin->Unload();
    FPlugin.reset();
    bool clean = true;
    if (status < 0) {
        std::cerr << "refhost: the plug-in's shutdown failed: " << DescribeFailure(status)
                  << std::endl;
        clean = false;
    }
    if (const LONG held = FHost->OutstandingReferences(); held != 0) {
        std::cerr << "refhost: the plug-in still holds " << held
                  << " references to the host after its shutdown" << std::endl;
        clean = false;
    }
    if (!FHost->Menu().Items().empty()) {
        std::cerr << "refhost: the plug-in left " << FHost->Menu().Items().size()
                  << " items in the menu" << std::endl;
        FHost->Menu().AbandonListeners();
        clean = false;
    }
    return clean;
}

} // namespace RefHost
