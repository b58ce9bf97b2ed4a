// A whole verification on Windows, as a user runs it: Corvane.ext is loaded by file name into a
// host whose kernel and SQL service record every call, its command is picked, and the dialog is
// driven by window messages to its controls (login and password typed, "Verify" pressed, the
// dialog closed with its close box). The report comes over HTTP and over HTTPS from the loopback
// report service that with-report-service.sh runs; its addresses, its authority's certificate
// and its query log come in the environment.
#include "Plugins/Corvane/uCorvaneLayout.h"
#include "tests/frame/LoadedPlugin.h"
#include "tests/support/win32/FormDriver.h"
#include "tests/verify/VerifyFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using testing::Contains;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

namespace fs = std::filesystem;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string FileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct TWindowSearch {
    const wchar_t* ClassName;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectShown(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TWindowSearch*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (IsWindowVisible(window) && std::wcscmp(name, search->ClassName) == 0)
        search->Found.push_back(window);
    return TRUE;
}

// The visible windows of the calling thread with the window class `className`.
std::vector<HWND> ShownWindows(const wchar_t* className) {
    TWindowSearch search{className, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectShown, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// Set when the watchdog had to close a message box.
bool ErrorBoxShown = false;

// Closes what a stuck run leaves open: message boxes, then the dialog.
void CALLBACK CloseWhatIsLeftOpen(HWND, UINT, UINT_PTR, DWORD) {
    for (HWND box : ShownWindows(L"#32770")) {
        ErrorBoxShown = true;
        PostMessageW(box, WM_CLOSE, 0, 0);
    }
    for (HWND dialog : ShownWindows(L"ToolkitForm"))
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::u16string WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return {text.begin(), text.end()};
}

class Win32Verify : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        FResource = Environment(GetParam());
        ASSERT_FALSE(FResource.empty())
            << GetParam() << " is not set: run the test through with-report-service.sh";
        const TLoadedPlugin& loaded = TLoadedPlugin::Get();
        ASSERT_NE(loaded.FEntry, nullptr) << loaded.FError;

        FDir = fs::temp_directory_path() / ("corvane-verify-" + FResource.substr(0, 5));
        fs::remove_all(FDir);
        fs::create_directories(FDir / "app");
        // The TLS library files the dialog looks for, and the authority the plug-in trusts.
        std::ofstream(FDir / "app" / "libeay32.dll");
        std::ofstream(FDir / "app" / "ssleay32.dll");
        fs::copy_file(fs::path(Environment("CORVANE_TEST_AUTHORITY")),
                      FDir / "app" / "curl-ca-bundle.crt");
        std::ofstream(FDir / "host.ini") << "[LotW Inbox]\r\nResource=" << FResource << "\r\n";

        FRecording.FKernel.FValues[u"APPINI"] = (FDir / "host.ini").u16string();
        FRecording.FKernel.FValues[u"APPPATH"] = (FDir / "app").u16string();
        FRecording.FKernel.FValues[u"DOWNLOAD"] = FDir.u16string();
        FRecording.FKernel.FValues[u"LOG.OPERATOR"] = u"W1AW";
        FRecording.FKernel.FValues[u"LOG.NAME"] = u"Main";
        FHost.FCore.Withhold(IID_IHostKernel);
        FHost.FCore.Withhold(IID_IHostServer);
        FHost.FCore.Offer(IID_IHostKernel, &FRecording.FKernel);
        FHost.FCore.Offer(IID_IHostServer, &FRecording.FServer);
    }

    void TearDown() override {
        if (FPlugin != nullptr)
            FPlugin->Release();
        fs::remove_all(FDir);
    }

    // Picks the command; once the dialog is shown, types the account, presses "Verify", keeps
    // the progress log and closes the dialog. A message box or a dialog still open after two
    // minutes is closed by a watchdog.
    HRESULT VerifyThroughTheDialog() {
        RunLater([this] { DriveDialog(); });
        ErrorBoxShown = false;
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 120000, CloseWhatIsLeftOpen);
        const HRESULT status = FHost.FMenuItem.Click();
        KillTimer(nullptr, watchdog);
        return status;
    }

    void DriveDialog() {
        const std::vector<HWND> dialogs = ShownWindows(L"ToolkitForm");
        if (dialogs.empty()) {
            RunLater([this] { DriveDialog(); }); // not shown yet
            return;
        }
        const HWND dialog = dialogs.front();
        TypeText(ControlWindow(dialog, TFRMCORVANE, u"edLogin"), u"me");
        TypeText(ControlWindow(dialog, TFRMCORVANE, u"edPassword"), u"pw");
        // The whole run happens inside the click.
        SendMessageW(ControlWindow(dialog, TFRMCORVANE, u"dbtUpdateOk"), BM_CLICK, 0, 0);
        FProgressLog = WindowText(ControlWindow(dialog, TFRMCORVANE, u"mProgress"));
        FVerifyEnabledAfterRun =
            IsWindowEnabled(ControlWindow(dialog, TFRMCORVANE, u"dbtUpdateOk")) != FALSE;
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }

    int Count(const std::string& prefix) const {
        return static_cast<int>(std::count_if(
            FEvents.begin(), FEvents.end(), [&](const auto& e) { return e.starts_with(prefix); }));
    }

    std::string FResource;
    fs::path FDir;
    TEvents FEvents;
    TRecordingHost FRecording{FEvents};
    TFakeHost FHost;
    IPlugin* FPlugin = nullptr;
    std::u16string FProgressLog;
    bool FVerifyEnabledAfterRun = true;
};

TEST_P(Win32Verify, TheDialogDownloadsTheReportAndReconcilesEveryRecord) {
    ASSERT_EQ(TLoadedPlugin::Get().FEntry(&FHost.FCore, &FPlugin), S_OK);
    const std::string queriesBefore = FileText(fs::path(Environment("CORVANE_TEST_QUERY_LOG")));

    EXPECT_EQ(VerifyThroughTheDialog(), S_OK);

    EXPECT_FALSE(ErrorBoxShown);
    EXPECT_FALSE(FVerifyEnabledAfterRun);
    EXPECT_NE(FProgressLog.find(u"(3 records)"), std::u16string::npos) << U8(FProgressLog);
    // The window's marks are cleared once, then each record's QSO is marked, the confirmed one
    // with its confirmation and grid square; the journal line counts them, the views refresh.
    std::vector<std::string> statements;
    std::copy_if(FEvents.begin(), FEvents.end(), std::back_inserter(statements),
                 [](const std::string& e) { return e.starts_with("ExecuteSQL "); });
    const std::string inLog = " AND LOGNAME='Main'";
    EXPECT_THAT(
        statements,
        testing::ElementsAre(
            "ExecuteSQL UPDATE LOGS SET LOTWSENT=FALSE WHERE LOGNAME='Main'",
            "ExecuteSQL UPDATE LOGS SET LOTWSENT=TRUE WHERE OMCALL='DL1AB' AND QSOBAND='20M' AND "
            "QSOMODE='SSB' AND #2024-01-06 10:14#<=QSODATE AND QSODATE<=#2024-01-06 10:16#" +
                inLog,
            "ExecuteSQL UPDATE LOGS SET GRIDSQUARE='FN20AB',LOTWRCVDDATE=#2024-02-15#,"
            "LOTWRCVD=TRUE,LOTWSENT=TRUE WHERE OMCALL='K2XY' AND QSOBAND='40M' AND QSOMODE='CW' "
            "AND #2024-02-11 20:29#<=QSODATE AND QSODATE<=#2024-02-11 20:31#" +
                inLog,
            "ExecuteSQL UPDATE LOGS SET LOTWSENT=TRUE WHERE OMCALL='G4ABC' AND QSOBAND='15M' AND "
            "QSOMODE='FT8' AND #2024-03-30 18:41#<=QSODATE AND QSODATE<=#2024-03-30 18:43#" +
                inLog))
        << testing::PrintToString(FEvents);
    EXPECT_THAT(FEvents, Contains(testing::StartsWith(
                             "WriteLog Exec: Verify logbook with LotW user inbox; All:3, Upd:3")));
    EXPECT_EQ(FEvents.back(), "ExecuteCommand REFRESH 0");
    EXPECT_EQ(Count("ShowMessage"), 0);
    EXPECT_EQ(Count("CreateQuery"), Count("FreeQuery"));
    // The service was asked once more, with the account typed into the dialog.
    const std::string queries = FileText(fs::path(Environment("CORVANE_TEST_QUERY_LOG")));
    ASSERT_GT(queries.size(), queriesBefore.size());
    EXPECT_THAT(queries.substr(queriesBefore.size()), HasSubstr("login=me&password=pw"));
}

INSTANTIATE_TEST_SUITE_P(Schemes, Win32Verify,
                         testing::Values("CORVANE_TEST_HTTP_RESOURCE",
                                         "CORVANE_TEST_HTTPS_RESOURCE"),
                         [](const testing::TestParamInfo<const char*>& scheme) {
                             return std::string(scheme.param).find("HTTPS") != std::string::npos
                                        ? "Https"
                                        : "Http";
                         });

} // namespace
