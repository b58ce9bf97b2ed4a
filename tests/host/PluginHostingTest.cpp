// The real plug-in loaded into the reference host: start-up, the menu command, shutdown, and
// the test bench's omissions and faults reaching the plug-in.
#include "Host/LoadedPlugin.h"
#include "Host/RefHost.h"

#include "Platform/ErrorInfo.h"
#include "PluginAPI/StatusCodes.h"

#include "tests/support/TempDir.h"

#include <QApplication>
#include <QMainWindow>

#include <gtest/gtest.h>

namespace RefHost {
namespace {

constexpr char16_t VerifyCaption[] = u"Verify logbook with LotW user inbox";

class PluginHostingTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "PluginHostingTest";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            static QApplication application(argc, argv);
    }

    std::unique_ptr<TRefHost> MakeHost(TRefHostSetup setup = {}) {
        setup.Values = {{u"APPINI", Utf8(Dir.File("refhost.ini"))},
                        {u"LOG.TABLE", u"Main"},
                        {u"LOG.NAME", u"Main"},
                        {u"LOG.OPERATOR", u"N0CALL"}};
        setup.ApplicationHandle = [this] {
            Window.winId();
            return reinterpret_cast<HWND>(Window.windowHandle());
        };
        return std::make_unique<TRefHost>(std::move(setup), Log, Events);
    }

    static std::u16string Utf8(const std::string& text) { return {text.begin(), text.end()}; }

    TTempDir Dir;
    TLogbook Log{Dir.File("log.sqlite")};
    THostEvents Events;
    QMainWindow Window;
};

TEST_F(PluginHostingTest, StartsOffersItsCommandAndLetsEverythingGo) {
    auto host = MakeHost();
    {
        TLoadedPlugin plugin(CORVANE_PLUGIN_PATH, host.get());
        EXPECT_EQ(plugin.Name(), VerifyCaption);
        THostMenuItem* item = host->Menu().Find(VerifyCaption);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->Hint(),
                  u"Verify your current logbook with ARRL LotW inbox data (uploaded QSO)");
        EXPECT_TRUE(item->HasListener());
        EXPECT_EQ(plugin.Unload(), S_OK);
    }
    EXPECT_TRUE(host->Menu().Items().empty());
    EXPECT_EQ(host->OutstandingReferences(), 0);
}

TEST_F(PluginHostingTest, IsRefusedByAHostWithoutItsRequiredServices) {
    for (const char* omitted : {"IHostServer", "IApplicationWindows"}) {
        TRefHostSetup setup;
        setup.Omitted = {omitted};
        auto host = MakeHost(std::move(setup));
        EXPECT_THROW(TLoadedPlugin(CORVANE_PLUGIN_PATH, host.get()), EPluginRefused) << omitted;
        EXPECT_EQ(host->OutstandingReferences(), 0) << omitted;
        EXPECT_TRUE(host->Menu().Items().empty()) << omitted;
    }
    TRefHostSetup old;
    old.CoreVersion = DefaultCoreVersion - 1;
    auto host = MakeHost(std::move(old));
    EXPECT_THROW(TLoadedPlugin(CORVANE_PLUGIN_PATH, host.get()), EPluginRefused);
}

TEST_F(PluginHostingTest, AFailingHostCallReachesThePlugin) {
    // The menu item asks the host whether it is enabled; that call fails, and the plug-in
    // answers the click with the same status and its own error information.
    TRefHostSetup setup;
    setup.Faults.Add(ParseFault("IMenuItem.GetEnabled:1:EDatabaseError:the menu is gone"));
    auto host = MakeHost(std::move(setup));
    TLoadedPlugin plugin(CORVANE_PLUGIN_PATH, host.get());
    THostMenuItem* item = host->Menu().Find(VerifyCaption);
    ASSERT_NE(item, nullptr);
    const HRESULT status = item->Click();
    EXPECT_EQ(status, ClassErrorCode("EDatabaseError"));
    const std::string failure = DescribeFailure(status);
    EXPECT_NE(failure.find("pluginsystem.TPluginMenuItem"), std::string::npos) << failure;
    EXPECT_NE(failure.find("the menu is gone"), std::string::npos) << failure;
    EXPECT_EQ(host->Faults().Calls("IMenuItem.GetEnabled"), 1);
}

} // namespace
} // namespace RefHost
