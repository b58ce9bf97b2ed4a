// The toolkit over Win32, driven by window messages: modal display and its endings, the keys a
// form answers, deferred close, errors in handlers, the busy pointer, the owner window, the
// input controls as their windows hold them, the painted panes and rendering to a PNG file. The
// cases that need no backend's own means are in ../PortableToolkitTest.cpp.
#include "tests/support/RecordedErrors.h"
#include "tests/support/TestForm.h"
#include "tests/support/win32/FormDriver.h"
#include "tests/support/win32/PngImage.h"

#include "Base/Exceptions.h"
#include "Toolkit/Application.h"
#include "Toolkit/Form.h"

#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

using namespace Toolkit;
using namespace ToolkitTesting;
using testing::ElementsAre;

namespace {

HWND Window(const TTestForm& form, std::u16string_view name) {
    return ControlWindow(form, TestLayout, name);
}

std::u16string TextOf(HWND window) {
    wchar_t text[256] = {};
    const int length = GetWindowTextW(window, text, 256);
    return {reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length)};
}

std::filesystem::path TempFile(const char* name) {
    return std::filesystem::temp_directory_path() / name;
}

TEST(ToolkitForm, EveryWayOfClosingEndsTheDisplayWithItsResult) {
    struct TCase {
        const char* Way;
        std::function<void(TTestForm&)> Close;
        TModalResult Expected;
    };
    const TCase cases[] = {
        {"a click on a button with a result",
         [](TTestForm& f) { SendMessageW(Window(f, u"btnOk"), BM_CLICK, 0, 0); }, mrOk},
        {"Esc presses the cancel button",
         [](TTestForm& f) { PressKey(Window(f, u"edText"), VK_ESCAPE); }, mrCancel},
        {"title bar close box",
         [](TTestForm& f) { PostMessageW(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, mrCancel},
        {"Close()", [](TTestForm& f) { f.Close(); }, mrCancel},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Way);
        TTestForm form;
        EXPECT_EQ(ShowModalWhile(form, [&] { c.Close(form); }), c.Expected);
        EXPECT_FALSE(form.Visible());
        EXPECT_FALSE(IsWindowVisible(form.Handle()));
        EXPECT_THAT(form.FEvents, ElementsAre("show", "activate", "close"));
    }
}

TEST(ToolkitForm, EnterPressesNoButtonWithoutADefaultButtonAndTabFollowsTheTabOrder) {
    TTestForm form;
    int clicks = 0;
    for (const char16_t* name : {u"btnRun", u"btnOk", u"btnCancel"})
        form.Control<TButton>(name).SetOnClick([&] { ++clicks; });
    std::vector<HWND> visited;
    const TModalResult result = ShowModalWhile(form, [&] {
        PressKey(Window(form, u"edText"), VK_RETURN);
        visited.push_back(GetFocus());
        for (int i = 0; i < 6; ++i) {
            PressKey(GetFocus(), VK_TAB);
            visited.push_back(GetFocus());
        }
        form.SetModalResult(mrOk);
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(clicks, 0);
    std::vector<HWND> expected;
    for (const char16_t* name :
         {u"edText", u"btnRun", u"btnOk", u"btnCancel", u"dtDay", u"mLog", u"edText"})
        expected.push_back(Window(form, name));
    EXPECT_EQ(visited, expected);
}

TEST(ToolkitForm, CloseRequestedInsideAHandlerWaitsUntilItReturns) {
    TTestForm form;
    bool visibleAtHandlerEnd = false;
    form.Control<TButton>(u"btnRun").SetOnClick([&] {
        form.FEvents.push_back("run begins");
        // Both a close by code and the close box, handled while the handler lets messages run.
        form.Close();
        PostMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        Application().ProcessMessages();
        visibleAtHandlerEnd = form.Visible();
        form.FEvents.push_back("run ends");
    });
    const TModalResult result =
        ShowModalWhile(form, [&] { SendMessageW(Window(form, u"btnRun"), BM_CLICK, 0, 0); });
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
        SendMessageW(Window(form, u"btnRun"), BM_CLICK, 0, 0);
        SendMessageW(Window(form, u"edText"), WM_CHAR, L'x', 1);
        visibleAfterErrors = form.Visible();
        form.Close();
    });
    EXPECT_TRUE(visibleAfterErrors);
    EXPECT_THAT(errors.Messages(), ElementsAre(u"not a number", u"bad text"));
}

TEST(ToolkitApplication, BusyPointerCoversEveryControlAndRestoresTheirOwn) {
    TTestForm form;
    const HCURSOR wait = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
    const HCURSOR beam = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_IBEAM));
    auto pointerOver = [](HWND window) {
        SetCursor(nullptr);
        SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    ASSERT_EQ(pointerOver(Window(form, u"edText")), beam);

    Application().SetCursor(TCursor::HourGlass);
    TTestForm later;
    for (TTestForm* f : {&form, &later}) {
        EXPECT_EQ(pointerOver(f->Handle()), wait);
        for (const TControlDescriptor& control : TestControls)
            EXPECT_EQ(pointerOver(Window(*f, control.Name)), wait);
    }
    Application().SetCursor(TCursor::Default);
    EXPECT_EQ(pointerOver(Window(form, u"edText")), beam);
}

TEST(ToolkitApplication, TheApplicationWindowOwnsFormsAndAModalDisplayDisablesIt) {
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    Application().SetApplicationWindow(host);
    EXPECT_EQ(Application().ApplicationWindow(), host);
    {
        TTestForm form;
        bool hostEnabledDuringDisplay = true;
        ShowModalWhile(form, [&] {
            EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), host);
            hostEnabledDuringDisplay = IsWindowEnabled(host) != FALSE;
            form.Close();
        });
        EXPECT_FALSE(hostEnabledDuringDisplay);
        EXPECT_TRUE(IsWindowEnabled(host));
    }
    DestroyWindow(host);
    EXPECT_EQ(Application().ApplicationWindow(), nullptr);

    Application().SetApplicationWindow(reinterpret_cast<HWND>(&errno));
    EXPECT_EQ(Application().ApplicationWindow(), nullptr);
    TTestForm ownerless;
    ownerless.Show();
    EXPECT_EQ(GetWindow(ownerless.Handle(), GW_OWNER), nullptr);
    Application().SetApplicationWindow(nullptr);
}

TEST(ToolkitControls, EditTypingFiresChangesAndPasswordCharactersMaskTheText) {
    TTestForm form;
    TEdit& edit = form.Control<TEdit>(u"edText");
    int changes = 0;
    edit.SetOnChange([&] { ++changes; });
    const HWND window = Window(form, u"edText");
    SendMessageW(window, WM_CHAR, L'a', 1);
    SendMessageW(window, WM_CHAR, L'b', 1);
    EXPECT_EQ(edit.Text(), u"ab");
    EXPECT_EQ(changes, 2);
    edit.SetText(u"ab");
    EXPECT_EQ(changes, 2);
    edit.SetText(u"secret");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(TextOf(window), u"secret");

    EXPECT_EQ(edit.PasswordChar(), u'\0');
    edit.SetPasswordChar(u'\u2022');
    EXPECT_EQ(edit.PasswordChar(), u'\u2022');
    EXPECT_EQ(SendMessageW(window, EM_GETPASSWORDCHAR, 0, 0), 0x2022);
    EXPECT_NE(GetWindowLongW(window, GWL_STYLE) & ES_PASSWORD, 0);
    edit.SetPasswordChar(u'\0');
    EXPECT_EQ(edit.PasswordChar(), u'\0');
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & ES_PASSWORD, 0);
    EXPECT_EQ(edit.Text(), u"secret");
}

TEST(ToolkitControls, DateFieldWindowHoldsTheDateAndRefusesDatesBeforeItsRange) {
    TTestForm form;
    TDateField& day = form.Control<TDateField>(u"dtDay");
    const HWND window = Window(form, u"dtDay");
    SYSTEMTIME shown{};
    EXPECT_EQ(SendMessageW(window, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)),
              GDT_NONE);
    day.SetDate(TDate{2024, 2, 29});
    ASSERT_EQ(SendMessageW(window, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)),
              GDT_VALID);
    EXPECT_EQ(shown.wYear * 10000 + shown.wMonth * 100 + shown.wDay, 20240229);
    EXPECT_THROW(day.SetDate(TDate{1500, 1, 1}), EConvertError);
    EXPECT_EQ(day.Date(), (TDate{2024, 2, 29}));
}

TEST(ToolkitControls, MemoScrollMovesTheWindowsFirstVisibleLine) {
    TTestForm form;
    form.Show();
    TMemo& memo = form.Control<TMemo>(u"mLog");
    memo.SetText(LinesOfText(30));
    memo.LineScroll(0, 5);
    EXPECT_EQ(SendMessageW(Window(form, u"mLog"), EM_GETFIRSTVISIBLELINE, 0, 0), 5);
}

// A status bar with a text pane and a segmented progress pane, in colours the test can tell
// apart.
const TControlDescriptor PaneControls[] = {
    {.Name = u"sbStatus",
     .Kind = TControlKind::StatusBar,
     .Bounds = {0, 80, 200, 20},
     .Align = TAlign::Bottom},
    {.Name = u"psText",
     .Kind = TControlKind::StatusPane,
     .Parent = u"sbStatus",
     .Bounds = {0, 0, 100, 20},
     .Align = TAlign::Client,
     .Caption = u"Ready",
     .Frame = TFrame::ThinSunken},
    {.Name = u"psBar",
     .Kind = TControlKind::ProgressPane,
     .Parent = u"sbStatus",
     .Bounds = {100, 0, 100, 20},
     .Align = TAlign::Right,
     .Color = TColor::Window,
     .Segments = 10,
     .BarColor = TColor::WindowText},
};
const TFormDescriptor PaneLayout = {
    .Name = u"frmPanes", .ClientWidth = 200, .ClientHeight = 100, .Controls = PaneControls};

TEST(ToolkitRendering, TheFormRendersToAPngWithItsSegmentedProgress) {
    TTestForm form(PaneLayout);
    TProgressPane& bar = form.Control<TProgressPane>(u"psBar");
    EXPECT_EQ(bar.BoundsRect(), (TRect{100, 0, 100, 20}));
    bar.SetPercent(250);
    EXPECT_EQ(bar.Percent(), 100);
    bar.SetPercent(50);
    EXPECT_EQ(form.Control<TStatusPane>(u"psText").Caption(), u"Ready");

    const std::filesystem::path file = TempFile("toolkit-panes.png");
    std::filesystem::remove(file);
    form.SaveImage(file.u16string());
    const TImage image = ReadPng(file);
    ASSERT_EQ(image.Width, 200u);
    ASSERT_EQ(image.Height, 100u);
    EXPECT_EQ(image.At(5, 5), GetSysColor(COLOR_BTNFACE));
    // Half of the ten segments are filled: the first in the bar's colour, the last not.
    const COLORREF segment = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_EQ(image.At(100 + 5, 90), segment);
    EXPECT_EQ(image.At(100 + 45, 90), segment);
    EXPECT_EQ(image.At(100 + 55, 90), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(image.At(100 + 95, 90), GetSysColor(COLOR_WINDOW));
    std::filesystem::remove(file);

    EXPECT_THROW(form.SaveImage((TempFile("no such folder") / "x.png").u16string()), EFCreateError);
}

} // namespace
