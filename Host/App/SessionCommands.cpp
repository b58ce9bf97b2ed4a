// The verbs that load the plug-in: verify (acting as the user) and gui (the window).
#include "Host/App/Commands.h"
#include "Host/App/DialogDriver.h"
#include "Host/App/Session.h"

#include "Host/HostError.h"

#include "Platform/Files.h"
#include "Platform/IniFile.h"
#include "Platform/Locale.h"

#include <QApplication>

#include <charconv>
#include <cstdio>
#include <iostream>

namespace RefHost {

namespace {

constexpr char16_t VerifyCommand[] = u"Verify logbook with LotW user inbox";

std::optional<QDate> DateOption(const TOptions& options, const std::string& name) {
    auto text = options.Value(name);
    if (!text)
        return std::nullopt;
    const QDate date = QDate::fromString(QString::fromStdString(*text), Qt::ISODate);
    if (!date.isValid())
        throw std::invalid_argument("--" + name + " takes a date YYYY-MM-DD, not " + *text);
    return date;
}

int RunsOption(const TOptions& options) {
    const std::string text = options.ValueOr("runs", "1");
    int runs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), runs);
    if (error != std::errc() || end != text.data() + text.size() || runs < 1)
        throw std::invalid_argument("--runs takes a number from 1, not " + text);
    return runs;
}

void WriteResource(const std::string& settingsPath, const std::string& resource) {
    Platform::TIniFile settings(Platform::Utf8ToUtf16(settingsPath));
    if (int error =
            settings.WriteString(u"LotW Inbox", u"Resource", Platform::Utf8ToUtf16(resource)))
        throw EHostError(HostErrorClass, "Cannot write the settings file " + settingsPath + ": " +
                                             Platform::Utf16ToUtf8(Platform::FileErrorText(error)));
}

// A fingerprint of every row of LOGS as another program sees the file (FNV-1a over the
// values), and the row count.
std::string LogbookDigest(const std::string& path) {
    TLogbook reader(path);
    const TResultSet rows =
        reader.Query({TSqlStatementKind::Select, u"SELECT * FROM LOGS ORDER BY ID", {}});
    std::uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](const std::string& text) {
        for (const char c : text + '\x1f') {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ull;
        }
    };
    for (const auto& row : rows.Rows)
        for (const TSqlValue& value : row) {
            if (auto* text = std::get_if<std::u16string>(&value))
                add("t" + Platform::Utf16ToUtf8(*text));
            else if (auto* integer = std::get_if<std::int64_t>(&value))
                add("i" + std::to_string(*integer));
            else if (auto* real = std::get_if<double>(&value))
                add("r" + std::to_string(*real));
            else
                add("n");
        }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(hex) + " " + std::to_string(rows.Rows.size()) + " rows";
}

// Prints "calls: OPERATION FIRST LAST" for every host operation called since `before`: the
// numbers of its first and last call in that span, counted over the host's life.
void PrintCalls(const std::map<std::string, int>& before, const std::map<std::string, int>& now) {
    for (const auto& [operation, count] : now) {
        const auto earlier = before.find(operation);
        const int first = (earlier == before.end() ? 0 : earlier->second) + 1;
        if (count >= first)
            std::cout << "calls: " << operation << " " << first << " " << count << "\n";
    }
}

bool Succeeded(const TSessionEvents& events, const QString& progressLog) {
    bool journalSuccess = false;
    for (const auto& line : events.JournalLines())
        if (line.starts_with("Exec: "))
            journalSuccess = !line.ends_with(" failed.");
    return journalSuccess && progressLog.contains(QStringLiteral("* Done."));
}

int Usage(const char* verb, const std::exception& e) {
    std::cerr << "refhost " << verb << ": " << e.what() << "\n";
    return 2;
}

} // namespace

int RunVerify(const TWords& words, const std::string& programDir) {
    TOptions options;
    TDialogScript script;
    auto valued = TSession::ValuedOptions();
    valued.insert({"login", "password", "from", "until", "resource", "screenshot", "runs"});
    try {
        options = TOptions::Parse(words, valued,
                                  {"no-from", "no-until", "show", "timing", "calls", "digest"});
        options.Required("db");
        options.Required("log");
        script.Login = QString::fromStdString(options.Required("login"));
        script.Password = QString::fromStdString(options.Required("password"));
        script.From = DateOption(options, "from");
        script.Until = DateOption(options, "until");
        script.EmptyFrom = options.Flag("no-from");
        script.EmptyUntil = options.Flag("no-until");
        script.ScreenshotPath = QString::fromStdString(options.ValueOr("screenshot", ""));
        script.Runs = RunsOption(options);
    } catch (const std::invalid_argument& e) {
        return Usage("verify", e);
    }

    TSessionEvents events;
    events.TimeHostCalls = options.Flag("timing");
    try {
        // Only a window on the screen has a reader for its list of the log.
        const TLogListing listing =
            options.Flag("show") ? TLogListing::Listed : TLogListing::Unlisted;
        TSession session(options, programDir, events, listing);
        if (auto resource = options.Value("resource"))
            WriteResource(session.SettingsPath(), *resource);
        session.Window().show();
        session.Start();
        THostMenuItem* item = session.Host().Menu().Find(VerifyCommand);
        if (item == nullptr) {
            std::cerr << "refhost verify: the plug-in offers no \""
                      << Platform::Utf16ToUtf8(VerifyCommand) << "\" command" << std::endl;
            return 1;
        }
        TDialogHooks hooks;
        hooks.Progress = [&events] {
            return events.Calls("IHostServer.RecordExists");
        };
        std::map<std::string, int> callsBefore;
        hooks.BeforeRun = [&](int run) {
            if (run > 1)
                return;
            callsBefore = events.CallCounts();
            if (options.Flag("digest"))
                std::cout << "logbook: " << LogbookDigest(session.Logbook().Path()) << std::endl;
        };
        hooks.AfterRun = [&](int run) {
            if (options.Flag("digest"))
                std::cout << "logbook: " << LogbookDigest(session.Logbook().Path()) << std::endl;
            if (run == 1 && options.Flag("calls"))
                PrintCalls(callsBefore, events.CallCounts());
        };
        TDialogDriver driver(script, std::move(hooks));
        driver.Arm();
        const HRESULT status = item->Click();
        driver.Disarm();
        std::cout << driver.ProgressLog().toStdString() << std::flush;
        if (events.TimeHostCalls)
            std::cout << "timing: run " << driver.RunTime().count() << " s, inside host calls "
                      << events.HostCallTime().count() << " s (" << events.HostCallCount()
                      << " calls)" << std::endl;
        bool ok = Succeeded(events, driver.ProgressLog());
        if (status < 0) {
            std::cerr << "refhost verify: the command failed: " << DescribeFailure(status)
                      << std::endl;
            ok = false;
        }
        if (!driver.DialogSeen()) {
            std::cerr << "refhost verify: the dialog did not open" << std::endl;
            ok = false;
        } else if (!driver.Problem().isEmpty()) {
            std::cerr << "refhost verify: " << driver.Problem().toStdString() << std::endl;
            ok = false;
        }
        ok = session.Stop() && ok;
        return ok ? 0 : 1;
    } catch (const std::invalid_argument& e) {
        return Usage("verify", e);
    } catch (const std::exception& e) {
        std::cerr << "refhost verify: " << e.what() << std::endl;
        return 1;
    }
}

int RunGui(const TWords& words, const std::string& programDir) {
    TOptions options;
    try {
        options = TOptions::Parse(words, TSession::ValuedOptions(), {});
        options.Required("db");
        options.Required("log");
    } catch (const std::invalid_argument& e) {
        return Usage("gui", e);
    }
    TSessionEvents events;
    events.ShowMessageBoxes = true;
    try {
        TSession session(options, programDir, events, TLogListing::Listed);
        session.Window().show();
        session.Start();
        const int status = QApplication::exec();
        return session.Stop() ? status : 1;
    } catch (const std::invalid_argument& e) {
        return Usage("gui", e);
    } catch (const std::exception& e) {
        std::cerr << "refhost gui: " << e.what() << std::endl;
        return 1;
    }
}

} // namespace RefHost
