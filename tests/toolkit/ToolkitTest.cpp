// The toolkit over Qt, driven through its widgets: modal display and its endings, the keys a form
// answers, deferred close, errors in handlers, the busy pointer, the owner window and icon
// handles. The cases that need no backend's own means are in PortableToolkitTest.cpp.
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TestForm.h"

#include "Base/Exceptions.h"
#include "Platform/Icons.h"
#include "Platform/qt/ImageIcon.h"
#include "Toolkit/Application.h"
#include "Toolkit/Form.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace Toolkit;
using namespace ToolkitTesting;
using testing::ElementsAre;

namespace {

TEST(ToolkitForm, EveryWayOfClosingEndsTheDisplayWithItsResult) {
    struct TCase {
        const char* Way;
        std::function<void(TTestForm&)> Close;
        TModalResult Expected;
    };
    const TCase cases[] = {
        {"button with a result", [](TTestForm& f) { f.Control<TButton>(u"btnOk").Click(); }, mrOk},
        {"Esc presses the cancel button",
         [](TTestForm& f) { QTest::keyClick(FindWidget<QLineEdit>(f, "edText"), Qt::Key_Escape); },
         mrCancel},
        {"title bar close box", [](TTestForm& f) { FormWidget(f)->close(); }, mrCancel},
        {"Close()", [](TTestForm& f) { f.Close(); }, mrCancel},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Way);
        TTestForm form;
        EXPECT_EQ(ShowModalWhile(form, [&] { c.Close(form); }), c.Expected);
        EXPECT_FALSE(form.Visible());
        EXPECT_THAT(form.FEvents, ElementsAre("show", "activate", "close"));
    }
}

TEST(ToolkitForm, EnterPressesNoButtonWithoutADefaultButton) {
    TTestForm form;
    int clicks = 0;
    for (const char16_t* name : {u"btnRun", u"btnOk", u"btnCancel"})
        form.Control<TButton>(name).SetOnClick([&] { ++clicks; });
    const TModalResult result = ShowModalWhile(form, [&] {
        QTest::keyClick(FindWidget<QLineEdit>(form, "edText"), Qt::Key_Return);
        form.SetModalResult(mrOk);
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(clicks, 0);
}

TEST(ToolkitForm, CloseRequestedInsideAHandlerWaitsUntilItReturns) {
    TTestForm form;
    bool visibleAtHandlerEnd = false;
    form.Control<TButton>(u"btnRun").SetOnClick([&] {
        form.FEvents.push_back("run begins");
        // Both a close by code and the close box, handled while the handler lets messages run.
        form.Close();
        QCoreApplication::postEvent(FormWidget(form), new QCloseEvent);
        Application().ProcessMessages();
        visibleAtHandlerEnd = form.Visible();
        form.FEvents.push_back("run ends");
    });
    const TModalResult result =
        ShowModalWhile(form, [&] { form.Control<TButton>(u"btnRun").Click(); });
    EXPECT_EQ(result, mrCancel);
    EXPECT_TRUE(visibleAtHandlerEnd);
    EXPECT_THAT(form.FEvents, ElementsAre("show", "activate", "run begins", "run ends", "close"));
}

TEST(ToolkitForm, AnErrorEscapingAHandlerIsShownAndTheFormStaysOpen) {
    TRecordedErrors errors;
    TTestForm form;
    form.Control<TButton>(u"btnRun").SetOnClick([] { throw EConvertError(u"not a number"); });
    form.Control<TEdit>(u"edText").SetOnChange([] { throw std::runtime_error("bad text"); });
    bool visibleAfterErrors = false;
    ShowModalWhile(form, [&] {
        form.Control<TButton>(u"btnRun").Click();
        form.Control<TEdit>(u"edText").SetText(u"x");
        visibleAfterErrors = form.Visible();
        form.Close();
    });
    EXPECT_TRUE(visibleAfterErrors);
    EXPECT_THAT(errors.Messages(), ElementsAre(u"not a number", u"bad text"));
}

TEST(ToolkitApplication, BusyPointerCoversEveryWidgetAndRestoresTheirOwn) {
    TTestForm form;
    QWidget* edit = FindWidget<QWidget>(form, "edText");
    const Qt::CursorShape editOwn = edit->cursor().shape();
    ASSERT_EQ(editOwn, Qt::IBeamCursor);

    Application().SetCursor(TCursor::HourGlass);
    TTestForm later;
    for (TTestForm* f : {&form, &later}) {
        EXPECT_EQ(FormWidget(*f)->cursor().shape(), Qt::WaitCursor);
        for (QWidget* child : FormWidget(*f)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_EQ(child->cursor().shape(), Qt::WaitCursor);
        EXPECT_EQ(FindWidget<QWidget>(*f, "edText")->cursor().shape(), Qt::WaitCursor);
    }
    Application().SetCursor(TCursor::Default);
    EXPECT_EQ(edit->cursor().shape(), editOwn);
    EXPECT_EQ(FormWidget(form)->cursor().shape(), Qt::ArrowCursor);
}

TEST(ToolkitApplication, TheApplicationWindowOwnsFormsWhileItLives) {
    Application();
    auto host = std::make_unique<QWidget>();
    host->winId();
    const HWND handle = Platform::HandleOfWindow(host->windowHandle());
    Application().SetApplicationWindow(handle);
    EXPECT_EQ(Application().ApplicationWindow(), handle);
    {
        TTestForm form;
        form.Show();
        EXPECT_EQ(FormWidget(form)->windowHandle()->transientParent(), host->windowHandle());
    }
    host.reset();
    EXPECT_EQ(Application().ApplicationWindow(), nullptr);

    Application().SetApplicationWindow(reinterpret_cast<HWND>(&errno));
    EXPECT_EQ(Application().ApplicationWindow(), nullptr);
    TTestForm ownerless;
    ownerless.Show();
    EXPECT_EQ(FormWidget(ownerless)->windowHandle()->transientParent(), nullptr);
    Application().SetApplicationWindow(nullptr);
}

TEST(PlatformIcons, SettingAnIconReturnsTheOneTheWindowHeld) {
    const std::size_t before = Platform::LiveIconCount();
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const HICON first = Platform::CreateIconFromImage(image);
    const HICON second = Platform::CreateIconFromImage(image);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Platform::LiveIconCount(), before + 2);
    const std::uint8_t junk[] = {1, 2, 3};
    EXPECT_EQ(Platform::CreateIconFromImageData(junk, sizeof junk), nullptr);

    TTestForm form;
    const HWND window = form.Handle();
    using Platform::TIconKind;
    EXPECT_EQ(Platform::SendSetIconMessage(window, TIconKind::Small, first), nullptr);
    EXPECT_EQ(Platform::SendSetIconMessage(window, TIconKind::Small, second), first);
    EXPECT_EQ(Platform::WindowIcon(window, TIconKind::Small), second);
    EXPECT_EQ(Platform::WindowIcon(window, TIconKind::Big), nullptr);
    EXPECT_FALSE(FormWidget(form)->windowHandle()->icon().isNull());
    EXPECT_EQ(Platform::SendSetIconMessage(reinterpret_cast<HWND>(&errno), TIconKind::Big, first),
              nullptr);

    EXPECT_TRUE(Platform::DestroyIcon(first));
    EXPECT_FALSE(Platform::DestroyIcon(first));
    EXPECT_FALSE(Platform::DestroyIcon(nullptr));
    EXPECT_TRUE(Platform::DestroyIcon(second));
    EXPECT_EQ(Platform::LiveIconCount(), before);
}

} // namespace
