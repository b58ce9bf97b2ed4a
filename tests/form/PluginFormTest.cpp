// The form base: the host's window services around modal displays and the host's icons.
#include "tests/support/DialogTestSupport.h"

#include "Base/Exceptions.h"
#include "Platform/Icons.h"
#include "Platform/qt/ImageIcon.h"
#include "PluginForm/PluginForm.h"
#include "tests/support/FakeHost.h"

#include <QImage>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::InSequence;
using testing::Return;
using Toolkit::mrCancel;
using Toolkit::mrOk;
using Toolkit::TBorderStyle;
using Toolkit::TButton;
using Toolkit::TControlDescriptor;
using Toolkit::TControlKind;
using Toolkit::TFormDescriptor;

namespace {

const TControlDescriptor Controls[] = {
    {.Name = u"btnOk",
     .Kind = TControlKind::Button,
     .Bounds = {10, 10, 60, 25},
     .Caption = u"OK",
     .TabOrder = 0,
     .ModalResult = mrOk},
};
const TFormDescriptor Layout = {.Name = u"frmPlain",
                                .ClientWidth = 100,
                                .ClientHeight = 50,
                                .BorderStyle = TBorderStyle::Dialog,
                                .Controls = Controls};

// A new icon of `size` pixels; the caller destroys it.
HICON MakeIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    return Platform::CreateIconFromImage(image);
}

class PluginForm : public testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(FHost.UnbalancedReferences().empty()); }

    // The host's icons, handed out by GetSmallIcon and GetLargeIcon.
    void OfferHostIcons() {
        FHostSmall = MakeIcon(16);
        FHostBig = MakeIcon(32);
        ON_CALL(FHost.FIcons, GetSmallIcon).WillByDefault([this](HICON* icon) {
            *icon = FHostSmall;
            return S_OK;
        });
        ON_CALL(FHost.FIcons, GetLargeIcon).WillByDefault([this](HICON* icon) {
            *icon = FHostBig;
            return S_OK;
        });
    }
    void DestroyHostIcons() {
        Platform::DestroyIcon(FHostSmall);
        Platform::DestroyIcon(FHostBig);
    }

    TFakeHost FHost;
    HICON FHostSmall = nullptr;
    HICON FHostBig = nullptr;
};

TEST_F(PluginForm, ACoreWithoutApplicationWindowsIsRefusedBeforeAnyWindowExists) {
    FHost.FCore.Withhold(IID_IApplicationWindows);
    const auto windowsBefore = QApplication::topLevelWidgets().size();
    try {
        TForm form(&FHost.FCore, Layout);
        ADD_FAILURE() << "the form was built";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), u"Assertion failure (PluginAPI\\Plugins\\PluginForm, line 47)");
    }
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
}

TEST_F(PluginForm, ModalDisplayIsBracketedByBeginAndEndModal) {
    InSequence order;
    EXPECT_CALL(FHost.FWindows, BeginModal()).WillOnce(Return(S_OK));
    EXPECT_CALL(FHost.FWindows, EndModal()).WillOnce(Return(S_OK));
    TForm form(&FHost.FCore, Layout);
    EXPECT_EQ(ShowModalWhile(form, [&] { form.Control<TButton>(u"btnOk").Click(); }), mrOk);
}

TEST_F(PluginForm, AFailingBeginModalShowsNothingAndSkipsEndModal) {
    EXPECT_CALL(FHost.FWindows, BeginModal()).WillOnce(Return(E_FAIL));
    EXPECT_CALL(FHost.FWindows, EndModal()).Times(0);
    EXPECT_CALL(FHost.FIcons, GetSmallIcon).Times(0);
    TForm form(&FHost.FCore, Layout);
    EXPECT_THROW(form.ShowModal(), Exception);
    EXPECT_FALSE(form.Visible());
}

TEST_F(PluginForm, ADisplayEndingInAnErrorCallsEndModalOnceThenPassesTheErrorOn) {
    InSequence order;
    EXPECT_CALL(FHost.FWindows, BeginModal()).WillOnce(Return(S_OK));
    // Even a failing EndModal does not hide the display's own error.
    EXPECT_CALL(FHost.FWindows, EndModal()).WillOnce(Return(E_FAIL));
    TForm form(&FHost.FCore, Layout);
    form.Show();
    EXPECT_THROW(form.ShowModal(), EInvalidOperation);
}

TEST_F(PluginForm, AFailingEndModalReplacesTheModalResult) {
    EXPECT_CALL(FHost.FWindows, BeginModal()).WillOnce(Return(S_OK));
    EXPECT_CALL(FHost.FWindows, EndModal()).WillOnce(Return(E_UNEXPECTED));
    TForm form(&FHost.FCore, Layout);
    EXPECT_THROW(ShowModalWhile(form, [&] { form.Close(); }), Exception);
    EXPECT_FALSE(form.Visible());
}

TEST_F(PluginForm, AFreshFormDestroysNoIconAndKeepsTheHostsIcons) {
    OfferHostIcons();
    const std::size_t liveBefore = Platform::LiveIconCount();
    {
        TForm form(&FHost.FCore, Layout);
        ShowModalWhile(form, [&] {
            EXPECT_EQ(Platform::WindowIcon(form.Handle(), Platform::TIconKind::Small), FHostSmall);
            EXPECT_EQ(Platform::WindowIcon(form.Handle(), Platform::TIconKind::Big), FHostBig);
            form.Close();
        });
        EXPECT_EQ(Platform::LiveIconCount(), liveBefore);
    }
    EXPECT_EQ(Platform::LiveIconCount(), liveBefore);
    DestroyHostIcons();
}

TEST_F(PluginForm, IconsTheWindowHeldBeforeAreDestroyed) {
    OfferHostIcons();
    TForm form(&FHost.FCore, Layout);
    const HICON ownSmall = MakeIcon(16);
    const HICON ownBig = MakeIcon(32);
    Platform::SendSetIconMessage(form.Handle(), Platform::TIconKind::Small, ownSmall);
    Platform::SendSetIconMessage(form.Handle(), Platform::TIconKind::Big, ownBig);
    const std::size_t liveBefore = Platform::LiveIconCount();
    form.Show();
    EXPECT_EQ(Platform::LiveIconCount(), liveBefore - 2);
    EXPECT_FALSE(Platform::DestroyIcon(ownSmall));
    EXPECT_FALSE(Platform::DestroyIcon(ownBig));
    EXPECT_EQ(Platform::WindowIcon(form.Handle(), Platform::TIconKind::Big), FHostBig);
    DestroyHostIcons();
}

TEST_F(PluginForm, AHostWithoutApplicationIconsLeavesTheToolkitsIcons) {
    FHost.FCore.Withhold(IID_IApplicationIcons);
    TRecordedErrors errors;
    TForm form(&FHost.FCore, Layout);
    EXPECT_EQ(ShowModalWhile(form, [&] { form.Close(); }), mrCancel);
    EXPECT_EQ(Platform::WindowIcon(form.Handle(), Platform::TIconKind::Small), nullptr);
    EXPECT_TRUE(errors.Messages().empty());
}

TEST_F(PluginForm, AFailingIconRequestIsShownAndTheFormShowsAllTheSame) {
    OfferHostIcons();
    EXPECT_CALL(FHost.FIcons, GetLargeIcon).WillOnce(Return(E_FAIL));
    TRecordedErrors errors;
    TForm form(&FHost.FCore, Layout);
    bool shown = false;
    ShowModalWhile(form, [&] {
        shown = form.Visible();
        form.Close();
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(errors.Messages().size(), 1u);
    EXPECT_EQ(Platform::WindowIcon(form.Handle(), Platform::TIconKind::Small), FHostSmall);
    DestroyHostIcons();
}

} // namespace
