#include "Toolkit/win32/Win32Controls.h"

#include "Base/Exceptions.h"

#include <commctrl.h>

#include <algorithm>

namespace Toolkit::Win32Backend {

namespace {

// `length` wide characters as UTF-16 text.
std::u16string TextOf(const wchar_t* text, int length) {
    return {reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length)};
}

// Whether the window and every window above it take input, as a press by the user needs.
bool EnabledWithParents(HWND window) {
    for (; window != nullptr; window = GetParent(window))
        if (!IsWindowEnabled(window))
            return false;
        else if ((GetWindowLongW(window, GWL_STYLE) & WS_CHILD) == 0)
            break;
    return true;
}

// `text` with every line break (CR LF, CR or LF) written as CR LF.
std::u16string WithCrLf(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            result += u"\r\n";
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace

std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    return TextOf(text.data(), std::max(0, copied));
}

COLORREF SystemColor(TColor color) {
    return GetSysColor([color] {
        switch (color) {
        case TColor::WindowText:
            return COLOR_WINDOWTEXT;
        case TColor::Window:
            return COLOR_WINDOW;
        case TColor::GrayText:
            return COLOR_GRAYTEXT;
        case TColor::ActiveCaption:
            return COLOR_ACTIVECAPTION;
        case TColor::BtnFace:
        case TColor::Default:
            break;
        }
        return COLOR_BTNFACE;
    }());
}

HBRUSH SystemBrush(TColor color) {
    switch (color) {
    case TColor::WindowText:
        return GetSysColorBrush(COLOR_WINDOWTEXT);
    case TColor::Window:
        return GetSysColorBrush(COLOR_WINDOW);
    case TColor::GrayText:
        return GetSysColorBrush(COLOR_GRAYTEXT);
    case TColor::ActiveCaption:
        return GetSysColorBrush(COLOR_ACTIVECAPTION);
    case TColor::BtnFace:
    case TColor::Default:
        break;
    }
    return GetSysColorBrush(COLOR_BTNFACE);
}

TWindowPart::TWindowPart(HWND window, TColor textColor, TColor background)
    : FWindow(window), FTextColor(textColor), FBackground(background) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWindowPart* TWindowPart::Of(HWND window) {
    return window == nullptr
               ? nullptr
               : reinterpret_cast<TWindowPart*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HBRUSH TWindowPart::Colors(HDC dc) const {
    SetTextColor(dc, SystemColor(FTextColor));
    SetBkColor(dc, SystemColor(FBackground));
    return SystemBrush(FBackground);
}

void TWindowPart::SetFont(HFONT font) {
    FFont = font;
    SendMessageW(FWindow, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

RECT TWindowPart::PaintFrame(HDC dc, const RECT& client, TFrame frame) const {
    FillRect(dc, &client, SystemBrush(FBackground));
    RECT inside = client;
    if (frame == TFrame::Framed)
        DrawEdge(dc, &inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    else if (frame == TFrame::ThinSunken)
        DrawEdge(dc, &inside, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    return inside;
}

TWin32Label::TWin32Label(std::u16string name, HWND window, TForm& form, TColor textColor,
                         TColor background, bool autoSize, bool anchorRight)
    : TWin32CaptionControl(std::move(name), window, form, textColor, background),
      FAutoSize(autoSize), FAnchorRight(anchorRight) {}

void TWin32Label::SetCaption(std::u16string_view caption) {
    TWin32CaptionControl::SetCaption(caption);
    if (!FAutoSize)
        return;
    const std::u16string text(caption);
    SIZE extent{};
    if (HDC dc = GetDC(Window())) {
        const HGDIOBJ previous = SelectObject(dc, Font());
        GetTextExtentPoint32W(dc, Wide(text), static_cast<int>(text.size()), &extent);
        SelectObject(dc, previous);
        ReleaseDC(Window(), dc);
    }
    const TRect place = BoundsRect();
    const int left = FAnchorRight ? place.Right() - extent.cx : place.Left;
    MoveWindow(Window(), left, place.Top, extent.cx, place.Height, TRUE);
}

TWin32Panel::TWin32Panel(std::u16string name, HWND window, TForm& form, TColor textColor,
                         TColor background, TFrame frame)
    : TWin32Control(std::move(name), window, form, textColor, background), FFrame(frame) {}

void TWin32Panel::Paint(HDC dc, const RECT& client) const {
    PaintFrame(dc, client, FFrame);
}

TWin32Group::TWin32Group(std::u16string name, HWND window, TForm& form, TColor textColor,
                         TColor background, HFONT captionFont)
    : TWin32CaptionControl(std::move(name), window, form, textColor, background),
      FCaptionFont(captionFont) {}

void TWin32Group::Paint(HDC dc, const RECT& client) const {
    PaintFrame(dc, client, TFrame::None);
    const HGDIOBJ previous = SelectObject(dc, FCaptionFont);
    SetTextColor(dc, SystemColor(TextColor()));
    SetBkMode(dc, TRANSPARENT);
    const std::u16string caption = Caption();
    TextOutW(dc, 0, 0, Wide(caption), static_cast<int>(caption.size()));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    // An etched line: shadow over light, like a sunken rule.
    const int y = metrics.tmHeight + 1;
    const RECT shadow{client.left, y, client.right, y + 1};
    const RECT light{client.left, y + 1, client.right, y + 2};
    FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
    FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

TWin32StatusPane::TWin32StatusPane(std::u16string name, HWND window, TForm& form, TColor textColor,
                                   TColor background, TFrame frame)
    : TWin32CaptionControl(std::move(name), window, form, textColor, background), FFrame(frame) {}

void TWin32StatusPane::Paint(HDC dc, const RECT& client) const {
    RECT text = PaintFrame(dc, client, FFrame);
    text.left += 2;
    const HGDIOBJ previous = SelectObject(dc, Font());
    SetTextColor(dc, SystemColor(TextColor()));
    SetBkMode(dc, TRANSPARENT);
    std::u16string caption = Caption();
    DrawTextW(dc, const_cast<wchar_t*>(Wide(caption)), static_cast<int>(caption.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, previous);
}

TWin32ProgressPane::TWin32ProgressPane(std::u16string name, HWND window, TForm& form,
                                       TColor textColor, TColor background, TFrame frame,
                                       int segments, TColor barColor)
    : TWin32Control(std::move(name), window, form, textColor, background), FFrame(frame),
      FSegments(std::max(1, segments)), FBarColor(barColor) {}

void TWin32ProgressPane::SetPercent(std::uint16_t percent) {
    percent = std::min<std::uint16_t>(percent, 100);
    if (percent == FPercent)
        return;
    FPercent = percent;
    InvalidateRect(Window(), nullptr, FALSE);
}

void TWin32ProgressPane::Paint(HDC dc, const RECT& client) const {
    const RECT inside = PaintFrame(dc, client, FFrame);
    const RECT area{inside.left + 2, inside.top + 2, inside.right - 2, inside.bottom - 2};
    const int width = area.right - area.left;
    if (width <= 0 || area.bottom <= area.top)
        return;
    constexpr int gap = 1;
    const int filled = FPercent * FSegments / 100;
    for (int i = 0; i < filled; ++i) {
        const RECT segment{area.left + i * width / FSegments, area.top,
                           area.left + (i + 1) * width / FSegments - gap, area.bottom};
        FillRect(dc, &segment, SystemBrush(FBarColor));
    }
}

TWin32Picture::TWin32Picture(std::u16string name, HWND window, TForm& form, TColor textColor,
                             TColor background, HBITMAP image)
    : TWin32Control(std::move(name), window, form, textColor, background), FImage(image) {}

TWin32Picture::~TWin32Picture() {
    if (FImage != nullptr)
        DeleteObject(FImage);
}

void TWin32Picture::Paint(HDC dc, const RECT& client) const {
    PaintFrame(dc, client, TFrame::None);
    BITMAP image{};
    if (FImage == nullptr || GetObjectW(FImage, sizeof image, &image) == 0)
        return;
    HDC source = CreateCompatibleDC(dc);
    const HGDIOBJ previous = SelectObject(source, FImage);
    const int left = client.left + (client.right - client.left - image.bmWidth) / 2;
    const int top = client.top + (client.bottom - client.top - image.bmHeight) / 2;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, left, top, image.bmWidth, image.bmHeight, source, 0, 0, image.bmWidth,
               image.bmHeight, blend);
    SelectObject(source, previous);
    DeleteDC(source);
}

TWin32Button::TWin32Button(std::u16string name, HWND window, TForm& form, TColor textColor,
                           TColor background, TModalResult modalResult)
    : TWin32CaptionControl(std::move(name), window, form, textColor, background),
      FModalResult(modalResult) {}

void TWin32Button::Click() {
    if (IsWindowVisible(Window()) && EnabledWithParents(Window()))
        Clicked();
}

void TWin32Button::Command(UINT code) {
    if (code == BN_CLICKED)
        Clicked();
}

void TWin32Button::Clicked() {
    Form().RunHandler([this] {
        if (FModalResult != mrNone)
            Form().SetModalResult(FModalResult);
        if (FOnClick)
            FOnClick();
    });
}

bool TWin32CheckBox::Checked() const {
    return SendMessageW(Window(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TWin32CheckBox::SetChecked(bool checked) {
    if (checked == Checked())
        return;
    SendMessageW(Window(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Form().RunHandler(FOnClick);
}

void TWin32CheckBox::Command(UINT code) {
    if (code == BN_CLICKED)
        Form().RunHandler(FOnClick);
}

void TWin32Edit::SetText(std::u16string_view text) {
    if (text == Text())
        return;
    FSettingText = true;
    SetWindowTextW(Window(), Wide(std::u16string(text)));
    FSettingText = false;
    Form().RunHandler(FOnChange);
}

char16_t TWin32Edit::PasswordChar() const {
    return static_cast<char16_t>(SendMessageW(Window(), EM_GETPASSWORDCHAR, 0, 0));
}

void TWin32Edit::SetPasswordChar(char16_t passwordChar) {
    SendMessageW(Window(), EM_SETPASSWORDCHAR, passwordChar, 0);
    InvalidateRect(Window(), nullptr, TRUE);
}

void TWin32Edit::Command(UINT code) {
    if (code == EN_CHANGE && !FSettingText)
        Form().RunHandler(FOnChange);
}

std::optional<TDate> TWin32DateField::Date() const {
    SYSTEMTIME shown{};
    if (SendMessageW(Window(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)) != GDT_VALID)
        return std::nullopt;
    return TDate{shown.wYear, shown.wMonth, shown.wDay};
}

void TWin32DateField::SetDate(std::optional<TDate> date) {
    // The picker reads the structure even when it is told to empty the field.
    SYSTEMTIME shown{};
    if (!date) {
        SendMessageW(Window(), DTM_SETSYSTEMTIME, GDT_NONE, reinterpret_cast<LPARAM>(&shown));
        return;
    }
    if (!date->IsValid())
        throw EConvertError(u"Invalid argument to date encode");
    shown.wYear = static_cast<WORD>(date->Year);
    shown.wMonth = static_cast<WORD>(date->Month);
    shown.wDay = static_cast<WORD>(date->Day);
    // A picker refuses a date outside its range, by its answer or by keeping the date it had.
    if (SendMessageW(Window(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&shown)) ==
            0 ||
        Date() != date)
        throw EConvertError(u"Date is before the earliest date the field can show");
}

void TWin32Memo::SetText(std::u16string_view text) {
    SetWindowTextW(Window(), Wide(WithCrLf(text)));
}

int TWin32Memo::LineCount() const {
    const std::u16string text = Text();
    if (text.empty())
        return 0;
    int breaks = 0;
    for (std::size_t at = text.find(u"\r\n"); at != std::u16string::npos;
         at = text.find(u"\r\n", at + 2))
        ++breaks;
    return text.ends_with(u"\r\n") ? breaks : breaks + 1;
}

int TWin32Memo::TopLine() const {
    return static_cast<int>(SendMessageW(Window(), EM_GETFIRSTVISIBLELINE, 0, 0));
}

void TWin32Memo::LineScroll(int columns, int lines) {
    SendMessageW(Window(), EM_LINESCROLL, static_cast<WPARAM>(columns), lines);
}

} // namespace Toolkit::Win32Backend
