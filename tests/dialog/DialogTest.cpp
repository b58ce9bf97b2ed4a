// The verification dialog: its layout, the enabling of "Verify", password masking, the progress
// display, closing and the focus order.
#include "tests/support/DialogFixture.h"
#include "tests/support/DialogTestSupport.h"

#include "Base/Exceptions.h"
#include "Plugins/Corvane/uCorvaneLayout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Toolkit;
using testing::ElementsAreArray;

namespace {

using Dialog = TDialogFixture;

std::u16string WidgetText(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return label->text().toStdU16String();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->text().toStdU16String();
    return {};
}

TEST_F(Dialog, EveryControlSitsWhereTheLayoutPutsIt) {
    QWidget* window = FormWidget(FDialog);
    EXPECT_EQ(window->objectName(), "frmCorvane");
    EXPECT_EQ(window->size(), QSize(394, 260));
    for (const TControlDescriptor& control : TFRMCORVANE.Controls) {
        const QString name = QString::fromStdU16String(std::u16string(control.Name));
        SCOPED_TRACE(name.toStdString());
        const QWidget* widget = window->findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr);
        const QString parent = control.Parent.empty()
                                   ? QStringLiteral("frmCorvane")
                                   : QString::fromStdU16String(std::u16string(control.Parent));
        EXPECT_EQ(widget->parentWidget()->objectName(), parent);
        const TRect& r = control.Bounds;
        if ((control.Flags & cfAutoSize) != 0) {
            // The width follows the text; the right edge and the line stay.
            EXPECT_EQ(widget->geometry().right() + 1, r.Right());
            EXPECT_EQ(widget->y(), r.Top);
        } else {
            EXPECT_EQ(widget->geometry(), QRect(r.Left, r.Top, r.Width, r.Height));
        }
        if (control.Kind == TControlKind::Label || control.Kind == TControlKind::Button ||
            control.Kind == TControlKind::CheckBox) {
            EXPECT_EQ(WidgetText(*widget), control.Caption);
        }
        EXPECT_EQ(widget->isHidden(), (control.Flags & cfHidden) != 0);
    }
    EXPECT_EQ(FDialog.grSrvAcc.Caption(), u"ARRL LotW user account");
    EXPECT_EQ(FDialog.grActDates.Caption(), u"Activity dates");
    EXPECT_FALSE(FDialog.cbVisiblePwd.Checked());
    const QPixmap logo = window->findChild<QLabel*>("imgLogo")->pixmap();
    EXPECT_EQ(logo.size(), QSize(80, 68));
}

TEST_F(Dialog, VerifyIsEnabledOnlyWithoutARunAndWithLoginAndPassword) {
    struct TCase {
        std::u16string_view Login;
        std::u16string_view Password;
        bool Running;
        bool Enabled;
    };
    const TCase cases[] = {
        {u"", u"", false, false},
        {u"W1AW", u"", false, false},
        {u"", u"secret", false, false},
        {u"   ", u"secret", false, false},
        {u"W1AW", u" \t ", false, false},
        {u"W1AW", u"secret", false, true},
        {u"  W1AW  ", u" secret", false, true},
        {u"W1AW", u"secret", true, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Login.begin(), c.Login.end()) + "/" +
                     std::string(c.Password.begin(), c.Password.end()));
        SetRunFlag(c.Running);
        FDialog.edLogin.SetText(c.Login);
        FDialog.edPassword.SetText(c.Password);
        FDialog.CheckActions();
        EXPECT_EQ(FDialog.dbtUpdateOk.Enabled(), c.Enabled);
        EXPECT_TRUE(FDialog.dbtUpdateCancel.Enabled());
    }
    // Typing during a run does not enable "Verify".
    SetRunFlag(true);
    FDialog.edLogin.SetText(u"K1ABC");
    EXPECT_FALSE(FDialog.dbtUpdateOk.Enabled());
}

TEST_F(Dialog, ThePasswordShowsAsBulletsUnlessVisibleIsTicked) {
    auto* password = FindWidget<QLineEdit>(FDialog, "edPassword");
    FDialog.edPassword.SetText(u"abc");
    EXPECT_EQ(password->displayText(), QString(3, QChar(0x2022)));
    FindWidget<QCheckBox>(FDialog, "cbVisiblePwd")->click();
    EXPECT_EQ(password->displayText(), "abc");
    FindWidget<QCheckBox>(FDialog, "cbVisiblePwd")->click();
    EXPECT_EQ(password->displayText(), QString(3, QChar(0x2022)));
    EXPECT_EQ(FDialog.edPassword.Text(), u"abc");
}

TEST_F(Dialog, MsgProgressContinuesALineAndScrollsToTheEnd) {
    FDialog.MsgProgress(1, u"A", false);
    FDialog.MsgProgress(0, u"B", true);
    EXPECT_EQ(FDialog.mProgress.Text(), u"   AB\r\n");
    FDialog.MsgProgress(-2, u"C", true);
    EXPECT_EQ(FDialog.mProgress.Text(), u"   AB\r\nC\r\n");

    FDialog.Show();
    for (int i = 0; i < 20; ++i)
        FDialog.MsgProgress(0, u"* line", true);
    const QScrollBar* scroll =
        FindWidget<QPlainTextEdit>(FDialog, "mProgress")->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum());
}

TEST_F(Dialog, ShowProgressTruncatesToWholePercent) {
    const std::pair<long double, int> cases[] = {{0.0L, 0},   {0.5L, 50}, {0.999L, 99},
                                                 {1.0L, 100}, {-0.5L, 0}, {7.0L, 100}};
    for (const auto& [fraction, percent] : cases) {
        FDialog.ShowProgress(fraction);
        EXPECT_EQ(FDialog.psProgress.Percent(), percent) << static_cast<double>(fraction);
    }
}

TEST_F(Dialog, ShowProgressAtTheRunsEndsLetsWaitingMessagesRun) {
    for (const long double end : {1.0L, 0.0L}) {
        Toolkit::Application().ProcessMessages();
        bool handled = false;
        QMetaObject::invokeMethod(
            qApp, [&handled] { handled = true; }, Qt::QueuedConnection);
        FDialog.ShowProgress(end);
        EXPECT_TRUE(handled) << static_cast<double>(end);
    }
}

TEST_F(Dialog, EscCloseAndTheCloseBoxEndTheDialogWithCancel) {
    const std::function<void(TfrmCorvane&)> ways[] = {
        [](TfrmCorvane& d) {
            QTest::keyClick(FindWidget<QLineEdit>(d, "edLogin"), Qt::Key_Escape);
        },
        [](TfrmCorvane& d) { FindWidget<QPushButton>(d, "dbtUpdateCancel")->click(); },
        [](TfrmCorvane& d) { FormWidget(d)->close(); },
    };
    for (const auto& close : ways) {
        TfrmCorvane dialog(&FHost.FCore, HostContext());
        EXPECT_EQ(ShowModalWhile(dialog, [&] { close(dialog); }), 2);
    }
}

TEST_F(Dialog, RendersToAPngFileWithoutADisplay) {
    const QString path = QDir::temp().filePath(QStringLiteral("corvane-dialog-test.png"));
    FDialog.SaveImage(path.toStdU16String());
    const QImage image(path);
    QFile::remove(path);
    EXPECT_EQ(image.size(), QSize(394, 260));
    // The logo is drawn at the foot of the button column: more than a plain background.
    QSet<QRgb> colours;
    for (int y = 241 - 68; y < 241; ++y)
        for (int x = 307; x < 394; ++x)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 10);
    EXPECT_THROW(FDialog.SaveImage(u"/nonexistent-folder/dialog.png"), EFCreateError);
}

TEST_F(Dialog, NoButtonIsPressedByEnter) {
    for (const QPushButton* button : FormWidget(FDialog)->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
        EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
    }
}

TEST_F(Dialog, TabFollowsTheDialogsFocusOrder) {
    std::vector<std::string> visited;
    ShowModalWhile(FDialog, [&] {
        // Activation has emptied the account fields; filled, they enable "Verify".
        FDialog.edLogin.SetText(u"W1AW");
        FDialog.edPassword.SetText(u"secret");
        FindWidget<QWidget>(FDialog, "dbtUpdateOk")->setFocus();
        for (int i = 0; i < 8; ++i) {
            QWidget* focused = QApplication::focusWidget();
            while (focused != nullptr && focused->objectName().isEmpty())
                focused = focused->parentWidget();
            visited.push_back(focused != nullptr ? focused->objectName().toStdString() : "-");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        FDialog.Close();
    });
    EXPECT_THAT(visited,
                ElementsAreArray({"dbtUpdateOk", "dbtUpdateCancel", "mProgress", "edPassword",
                                  "edLogin", "cbVisiblePwd", "dtLogFrom", "dtLogUntil"}));
}

} // namespace
