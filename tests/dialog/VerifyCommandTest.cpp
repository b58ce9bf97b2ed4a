// The Verify command as a host meets it: Corvane.ext is loaded by file name, started with a fake
// host, and its menu item is picked; the dialog it opens is found and closed through the widget
// tree, as a host or a user would.
#include "Platform/SysString.h"
#include "tests/frame/LoadedPlugin.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using testing::_;
using testing::IsEmpty;
using testing::Return;

namespace {

// The plug-in's dialog while it is shown, or null.
QWidget* ShownDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "frmCorvane" && widget->isVisible())
            return widget;
    return nullptr;
}

int LiveDialogs() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->objectName() == "frmCorvane" ? 1 : 0;
    return count;
}

class VerifyCommand : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // The host's user-interface application, which the plug-in's windows join.
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "host";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void SetUp() override {
        const TLoadedPlugin& loaded = TLoadedPlugin::Get();
        ASSERT_NE(loaded.FEntry, nullptr) << dlerror();
        FHost.FKernel.FValues = {{u"APPINI", FDir.Path().u16string() + u"/host.ini"},
                                 {u"LOG.OPERATOR", u"DL1ABC"},
                                 {u"LOG.NAME", u"Main log"}};
        std::ofstream(FDir.File("host.ini")) << "[LotW Inbox]\r\nLogin=w1aw\r\nPassword=pw\r\n";
        TakeHostErrorInfo();
    }

    void Start() { ASSERT_EQ(TLoadedPlugin::Get().FEntry(&FHost.FCore, &FPlugin), S_OK); }
    void TearDown() override {
        if (FPlugin != nullptr)
            FPlugin->Release();
        EXPECT_THAT(FHost.UnbalancedReferences(), IsEmpty());
        EXPECT_EQ(LiveDialogs(), 0);
    }

    // Picks the command as the host does. `whileShown` runs once the dialog is shown and
    // activated, then the dialog is closed with its close box; a dialog still open after five
    // seconds is closed by a watchdog. Returns the status of the click notification.
    HRESULT PickCommand(const std::function<void(QWidget& dialog)>& whileShown) {
        QTimer driver;
        driver.setSingleShot(true);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            QCoreApplication::processEvents(); // the activation is queued by the display
            if (QWidget* dialog = ShownDialog()) {
                ++FDialogsShown;
                whileShown(*dialog);
                dialog->close();
            }
        });
        driver.start(0);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* dialog = ShownDialog())
                dialog->close();
        });
        watchdog.start(5000);
        return FHost.FMenuItem.Click();
    }

    TTempDir FDir;
    TFakeHost FHost;
    IPlugin* FPlugin = nullptr;
    int FDialogsShown = 0;
};

TEST_F(VerifyCommand, EachPickOpensAFreshDialogWithTheHostsContext) {
    Start();
    EXPECT_CALL(FHost.FWindows, BeginModal()).Times(2);
    EXPECT_CALL(FHost.FWindows, EndModal()).Times(2);
    for (int pick = 0; pick < 2; ++pick) {
        SCOPED_TRACE(pick);
        const HRESULT status = PickCommand([&](QWidget& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Verify logbook with LotW user inbox");
            EXPECT_EQ(dialog.findChild<QLabel*>("lbAcct")->text(), "DL1ABC");
            EXPECT_EQ(dialog.findChild<QLabel*>("lbLog")->text(), "Main log");
            // The second opening starts from the settings file again, not from these edits.
            auto* login = dialog.findChild<QLineEdit*>("edLogin");
            EXPECT_EQ(login->text(), "w1aw");
            login->setText("typed in the first dialog");
        });
        EXPECT_EQ(status, S_OK);
        EXPECT_EQ(LiveDialogs(), 0);
    }
    EXPECT_EQ(FDialogsShown, 2);
    // While the plug-in lives it holds one reference of each host interface, no more.
    EXPECT_EQ(FHost.FKernel.RefCount(), 1);
    EXPECT_EQ(FHost.FServer.RefCount(), 1);
}

TEST_F(VerifyCommand, AFailedHostValueLeavesNoDialogBehind) {
    ON_CALL(FHost.FKernel, GetValue(SysText(u"APPINI"), _)).WillByDefault(Return(E_FAIL));
    Start();
    EXPECT_CALL(FHost.FWindows, BeginModal()).Times(0);
    EXPECT_LT(PickCommand([](QWidget&) {}), 0);
    EXPECT_EQ(FDialogsShown, 0);
    EXPECT_EQ(LiveDialogs(), 0);
    EXPECT_EQ(FHost.FKernel.RefCount(), 1);
    EXPECT_EQ(FHost.FServer.RefCount(), 1);
}

// A host may start the plug-in without IHostKernel; picking the command is then refused with a
// failing status and error information, and nothing is shown.
TEST_F(VerifyCommand, AHostWithoutKernelIsRefusedWithoutADialog) {
    FHost.FCore.Withhold(IID_IHostKernel);
    Start();
    EXPECT_CALL(FHost.FWindows, BeginModal()).Times(0);
    EXPECT_LT(PickCommand([](QWidget&) {}), 0);
    EXPECT_EQ(FDialogsShown, 0);
    const THostErrorInfo error = TakeHostErrorInfo();
    EXPECT_TRUE(error.FPresent);
    EXPECT_EQ(error.FSource, u"pluginsystem.TPluginMenuItem");
    EXPECT_EQ(error.FDescription, u"Host does not support required functionality.\r\n"
                                  u"Upgrade your application to latest version.");
}

} // namespace
