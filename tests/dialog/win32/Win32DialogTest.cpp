// The verification dialog over Win32, driven by window messages to its controls: its windows
// where the layout puts them, typing that enables "Verify", password bullets, the progress log
// scrolled to its end, the ways out, the Tab order and rendering to a PNG file.
#include "tests/support/DialogFixture.h"
#include "tests/support/win32/FormDriver.h"
#include "tests/support/win32/PngImage.h"

#include "Base/Exceptions.h"
#include "Plugins/Corvane/uCorvaneLayout.h"

#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace Toolkit;
using testing::ElementsAreArray;

namespace {

class Win32Dialog : public TDialogFixture {
protected:
    HWND Window(std::u16string_view name) const {
        return ControlWindow(FDialog, TFRMCORVANE, name);
    }

    void Type(std::u16string_view name, std::u16string_view text) { TypeText(Window(name), text); }
};

TEST_F(Win32Dialog, EveryControlIsAWindowWhereTheLayoutPutsIt) {
    RECT client;
    GetClientRect(FDialog.Handle(), &client);
    EXPECT_EQ(client.right, 394);
    EXPECT_EQ(client.bottom, 260);
    for (const TControlDescriptor& control : TFRMCORVANE.Controls) {
        SCOPED_TRACE(std::string(control.Name.begin(), control.Name.end()));
        const HWND window = Window(control.Name);
        ASSERT_NE(window, nullptr);
        const HWND parent = control.Parent.empty() ? FDialog.Handle() : Window(control.Parent);
        EXPECT_EQ(GetParent(window), parent);
        RECT place;
        GetWindowRect(window, &place);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
        const TRect& r = control.Bounds;
        // An autosized label's width follows its text; its right edge and line stay.
        if ((control.Flags & cfAutoSize) == 0) {
            EXPECT_EQ(place.left, r.Left);
        }
        EXPECT_EQ(place.right, r.Right());
        EXPECT_EQ(place.top, r.Top);
        EXPECT_EQ(place.bottom, r.Bottom());
        EXPECT_EQ((GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) == 0,
                  (control.Flags & cfHidden) != 0);
    }
    wchar_t caption[64] = {};
    GetWindowTextW(Window(u"dbtUpdateOk"), caption, 64);
    EXPECT_STREQ(caption, L"Verify");
    EXPECT_EQ(FDialog.grSrvAcc.Caption(), u"ARRL LotW user account");
    EXPECT_EQ(SendMessageW(Window(u"cbVisiblePwd"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Win32Dialog, TypingBothAccountFieldsEnablesVerifyAndThePasswordShowsAsBullets) {
    const HWND verify = Window(u"dbtUpdateOk");
    const HWND password = Window(u"edPassword");
    FDialog.CheckActions();
    EXPECT_FALSE(IsWindowEnabled(verify));
    Type(u"edLogin", u"W1AW");
    EXPECT_FALSE(IsWindowEnabled(verify));
    Type(u"edPassword", u"  ");
    EXPECT_FALSE(IsWindowEnabled(verify));
    Type(u"edPassword", u"abc");
    EXPECT_TRUE(IsWindowEnabled(verify));
    EXPECT_EQ(FDialog.edPassword.Text(), u"abc");

    EXPECT_EQ(SendMessageW(password, EM_GETPASSWORDCHAR, 0, 0), 0x2022);
    SendMessageW(Window(u"cbVisiblePwd"), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(password, EM_GETPASSWORDCHAR, 0, 0), 0);
    SendMessageW(Window(u"cbVisiblePwd"), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(password, EM_GETPASSWORDCHAR, 0, 0), 0x2022);
    EXPECT_EQ(FDialog.edPassword.Text(), u"abc");

    // Typing during a run does not enable "Verify".
    SetRunFlag(true);
    Type(u"edLogin", u"K1ABC");
    EXPECT_FALSE(IsWindowEnabled(verify));
}

TEST_F(Win32Dialog, TheProgressLogScrollsToItsLastLine) {
    FDialog.Show();
    for (int i = 0; i < 20; ++i)
        FDialog.MsgProgress(0, u"* line", true);
    const HWND log = Window(u"mProgress");
    const auto first = SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(first, 0);
    SendMessageW(log, EM_LINESCROLL, 0, 1);
    EXPECT_EQ(SendMessageW(log, EM_GETFIRSTVISIBLELINE, 0, 0), first);
    FDialog.Hide();
}

TEST_F(Win32Dialog, EscCloseAndTheCloseBoxEndTheDialogWithCancel) {
    const std::function<void(TfrmCorvane&, HWND)> ways[] = {
        [](TfrmCorvane& d, HWND login) {
            (void)d;
            PressKey(login, VK_ESCAPE);
        },
        [](TfrmCorvane& d, HWND) {
            SendMessageW(ControlWindow(d, TFRMCORVANE, u"dbtUpdateCancel"), BM_CLICK, 0, 0);
        },
        [](TfrmCorvane& d, HWND) { PostMessageW(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& close : ways) {
        TfrmCorvane dialog(&FHost.FCore, HostContext());
        EXPECT_EQ(
            ShowModalWhile(dialog,
                           [&] { close(dialog, ControlWindow(dialog, TFRMCORVANE, u"edLogin")); }),
            mrCancel);
    }
}

TEST_F(Win32Dialog, EnterPressesNothingAndTabFollowsTheDialogsFocusOrder) {
    std::vector<std::u16string> visited;
    const TModalResult result = ShowModalWhile(FDialog, [&] {
        // Activation has emptied the account fields; filled, they enable "Verify".
        FDialog.edLogin.SetText(u"W1AW");
        FDialog.edPassword.SetText(u"secret");
        PressKey(Window(u"edLogin"), VK_RETURN);
        SetFocus(Window(u"dbtUpdateOk"));
        for (int i = 0; i < 8; ++i) {
            const HWND focus = GetFocus();
            std::u16string name = u"-";
            for (const TControlDescriptor& control : TFRMCORVANE.Controls)
                if (const HWND window = Window(control.Name);
                    window == focus || IsChild(window, focus))
                    name = control.Name;
            visited.push_back(name);
            PressKey(focus, VK_TAB);
        }
        FDialog.Close();
    });
    EXPECT_EQ(result, mrCancel);
    EXPECT_THAT(visited, ElementsAreArray<std::u16string>(
                             {u"dbtUpdateOk", u"dbtUpdateCancel", u"mProgress", u"edPassword",
                              u"edLogin", u"cbVisiblePwd", u"dtLogFrom", u"dtLogUntil"}));
}

TEST_F(Win32Dialog, RendersToAPngFileWithTheLogo) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "corvane-dialog-test.png";
    FDialog.SaveImage(file.u16string());
    const TImage image = ReadPng(file);
    std::filesystem::remove(file);
    ASSERT_EQ(image.Width, 394u);
    ASSERT_EQ(image.Height, 260u);
    // The logo is drawn at the foot of the button column: more than a plain background.
    std::set<COLORREF> colours;
    for (int y = 241 - 68; y < 241; ++y)
        for (int x = 307; x < 394; ++x)
            colours.insert(image.At(x, y));
    EXPECT_GT(colours.size(), 10u);
    EXPECT_THROW(FDialog.SaveImage((file.parent_path() / "no such folder" / "d.png").u16string()),
                 EFCreateError);
}

} // namespace
