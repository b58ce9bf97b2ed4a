// The Win32 platform layer over the real system: icons and the window's WM_SETICON, the ANSI
// code page, the system's message texts and files that are missing.
#include "Platform/Files.h"
#include "Platform/Icons.h"
#include "Platform/Locale.h"
#include "Platform/System.h"
#include "tests/support/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::u16string BesideTheProgram(std::u16string_view name) {
    const std::u16string program = Platform::ExecutablePath();
    return program.substr(0, program.find_last_of(u"\\/") + 1) + std::u16string(name);
}

// A top-level window of the test, destroyed with the scope.
class TWindow {
public:
    TWindow()
        : FHandle(CreateWindowExW(0, L"STATIC", L"test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~TWindow() {
        if (FHandle != nullptr)
            DestroyWindow(FHandle);
    }
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Get() const { return FHandle; }

private:
    HWND FHandle;
};

TEST(Win32Icons, SetIconReturnsWhatTheWindowHeldAndOnlyMadeIconsAreCounted) {
    const std::size_t before = Platform::LiveIconCount();
    HICON first = Platform::CreateIconFromFile(BesideTheProgram(u"logo.png"));
    HICON second = Platform::CreateIconFromFile(BesideTheProgram(u"logo.png"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Platform::LiveIconCount(), before + 2);
    int width = 0;
    int height = 0;
    EXPECT_TRUE(Platform::IconSize(first, width, height));
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);

    TWindow window;
    ASSERT_NE(window.Get(), nullptr);
    using Platform::TIconKind;
    EXPECT_EQ(Platform::SendSetIconMessage(window.Get(), TIconKind::Small, first), nullptr);
    EXPECT_EQ(Platform::WindowIcon(window.Get(), TIconKind::Small), first);
    EXPECT_EQ(Platform::WindowIcon(window.Get(), TIconKind::Big), nullptr);
    EXPECT_EQ(Platform::SendSetIconMessage(window.Get(), TIconKind::Small, second), first);
    EXPECT_EQ(Platform::SendSetIconMessage(window.Get(), TIconKind::Small, nullptr), second);

    EXPECT_TRUE(Platform::DestroyIcon(first));
    EXPECT_TRUE(Platform::DestroyIcon(second));
    EXPECT_EQ(Platform::LiveIconCount(), before);
    EXPECT_FALSE(Platform::DestroyIcon(nullptr));
}

TEST(Win32Icons, NoImageAndNoWindowGiveNothing) {
    const std::uint8_t notAnImage[] = {'G', 'I', 'F', '?', 0, 1, 2, 3};
    EXPECT_EQ(Platform::CreateIconFromImageData(notAnImage, sizeof notAnImage), nullptr);
    EXPECT_EQ(Platform::CreateIconFromImageData(nullptr, 0), nullptr);
    EXPECT_EQ(Platform::CreateIconFromFile(BesideTheProgram(u"missing.png")), nullptr);
    HWND gone = nullptr;
    {
        TWindow window;
        gone = window.Get();
    }
    EXPECT_EQ(Platform::SendSetIconMessage(gone, Platform::TIconKind::Big, nullptr), nullptr);
}

TEST(Win32AnsiCodePage, RoundTripsWhatItHoldsAndMarksWhatItCannot) {
    if (GetACP() == CP_UTF8)
        GTEST_SKIP() << "the ANSI code page is UTF-8";
    const std::u16string latin = u"K1A \u00e4\u00f6\u00fc";
    const std::string bytes = Platform::ToAnsiCodePage(latin);
    EXPECT_EQ(bytes.size(), latin.size()) << "one byte a character";
    EXPECT_EQ(Platform::FromAnsiCodePage(bytes), latin);
    EXPECT_EQ(Platform::ToAnsiCodePage(u"a\u4e2db"), "a?b");
    EXPECT_EQ(Platform::ToAnsiCodePage(u""), "");
}

TEST(Win32System, MessageTextsAndMissingFiles) {
    EXPECT_EQ(U8(Platform::SystemMessageText(E_UNEXPECTED)), "Catastrophic failure");
    EXPECT_FALSE(Platform::SystemMessageText(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)).empty());

    std::string bytes;
    const int missingFile = Platform::ReadFileBytes(BesideTheProgram(u"missing.txt"), bytes);
    const int missingFolder =
        Platform::ReadFileBytes(BesideTheProgram(u"missing\\missing.txt"), bytes);
    EXPECT_TRUE(Platform::IsMissingFileError(missingFile));
    EXPECT_TRUE(Platform::IsMissingFileError(missingFolder));
    EXPECT_FALSE(Platform::IsMissingFileError(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(Platform::FileErrorText(missingFile).empty());

    const std::uint32_t start = Platform::TickCount();
    Sleep(20);
    EXPECT_GE(Platform::TickCount() - start, 10u);
}

} // namespace
