// The Win32 backend of a form: a top-level window of the form class with one child window per
// control descriptor. Places come from the alignment rules (Toolkit/Align.h), the Tab order from
// Toolkit/FocusOrder.h. Containers (panels, groups, the status bar) are windows of the pane
// class, which hands its children's notifications on to their controls.
#include "Toolkit/win32/Win32Form.h"

#include "Base/Exceptions.h"
#include "Toolkit/Align.h"
#include "Toolkit/Application.h"
#include "Toolkit/FocusOrder.h"
#include "Toolkit/FormBackend.h"
#include "Toolkit/win32/Win32Controls.h"
#include "Toolkit/win32/Win32Image.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace Toolkit::Win32Backend {

namespace {

constexpr wchar_t FormClassName[] = L"ToolkitForm";
constexpr wchar_t PaneClassName[] = L"ToolkitPane";
// Posted by Show: the activation notification runs as the first thing the message loop does.
constexpr UINT WM_TOOLKIT_ACTIVATE = WM_APP + 1;

// Raises EOSError with `message` and the calling thread's last error code.
[[noreturn]] void RaiseLastOSError(std::u16string message) {
    EOSError error(std::move(message));
    error.SetErrorCode(GetLastError());
    throw error;
}

bool Has(const TControlDescriptor& control, TControlFlags flag) {
    return (control.Flags & flag) != 0;
}

// Window style bits, when `on`.
DWORD StyleIf(bool on, long bits) {
    return on ? static_cast<DWORD>(bits) : 0;
}

HINSTANCE ModuleInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
    return module;
}

// Hands a child's notification or colour request on to the child's control. True when handled.
bool RouteToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    TWindowPart* child = TWindowPart::Of(reinterpret_cast<HWND>(lParam));
    if (child == nullptr)
        return false;
    switch (message) {
    case WM_COMMAND:
        child->Command(HIWORD(wParam));
        result = 0;
        return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (HBRUSH brush = child->Colors(reinterpret_cast<HDC>(wParam))) {
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        return false;
    default:
        return false;
    }
}

LRESULT CALLBACK PaneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteToChild(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        if (const TWindowPart* part = TWindowPart::Of(window))
            part->Paint(dc, client);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(window, &client);
        if (const TWindowPart* part = TWindowPart::Of(window))
            part->Paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void RegisterWindowClasses() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW form{};
        form.cbSize = sizeof form;
        form.lpfnWndProc = FormWindowProc;
        form.hInstance = ModuleInstance();
        form.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        form.lpszClassName = FormClassName;
        WNDCLASSEXW pane = form;
        pane.lpfnWndProc = PaneWindowProc;
        pane.lpszClassName = PaneClassName;
        return RegisterClassExW(&form) != 0 && RegisterClassExW(&pane) != 0;
    }();
    if (!registered)
        RaiseLastOSError(u"The window classes of the toolkit cannot be registered");
}

// The rectangle of `window` in the client coordinates of `relativeTo`.
RECT PlaceIn(HWND window, HWND relativeTo) {
    RECT place;
    GetWindowRect(window, &place);
    MapWindowPoints(HWND_DESKTOP, relativeTo, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// Prints the client area of `window` and its visible children, the lowest of the Z order first,
// into `target` (a memory DC of `root`'s client size), each as it would paint itself, inside
// `clip` (in `root`'s client coordinates). Each window paints into a bitmap of its own at its
// own origin, since controls set their clipping in device coordinates. A control's sunken edge
// is drawn here; other parts of the frame (scroll bars) are the system's and left out.
void PrintWindowTree(HWND root, HWND window, HDC target, const RECT& clip) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin{0, 0};
    MapWindowPoints(window, root, &origin, 1);
    RECT shown{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    if (!IntersectRect(&shown, &shown, &clip))
        return;
    std::uint32_t* pixels = nullptr;
    if (const HBITMAP bitmap = CreateBitmap32(client.right, client.bottom, &pixels)) {
        HDC dc = CreateCompatibleDC(target);
        const HGDIOBJ previous = SelectObject(dc, bitmap);
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                     PRF_CLIENT | PRF_ERASEBKGND);
        BitBlt(target, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top,
               dc, shown.left - origin.x, shown.top - origin.y, SRCCOPY);
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    for (HWND child = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST); child != nullptr;
         child = GetWindow(child, GW_HWNDPREV)) {
        if ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0)
            continue;
        PrintWindowTree(root, child, target, shown);
        const auto extendedStyle = static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE));
        if ((extendedStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) == 0)
            continue;
        RECT frame = PlaceIn(child, root);
        const int saved = SaveDC(target);
        IntersectClipRect(target, shown.left, shown.top, shown.right, shown.bottom);
        DrawEdge(target, &frame,
                 (extendedStyle & WS_EX_CLIENTEDGE) != 0 ? EDGE_SUNKEN : BDR_SUNKENOUTER, BF_RECT);
        RestoreDC(target, saved);
    }
}

// A font of the user's message face, with the layout's face and pixel height where it names them.
HFONT CreateLayoutFont(const TFormDescriptor& layout, bool bold) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    if (!layout.FontName.empty()) {
        const std::size_t length = std::min(layout.FontName.size(), std::size(font.lfFaceName) - 1);
        std::copy_n(layout.FontName.begin(), length, font.lfFaceName);
        font.lfFaceName[length] = L'\0';
    }
    if (layout.FontHeight > 0)
        font.lfHeight = -layout.FontHeight;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    return CreateFontIndirectW(&font);
}

class TWin32FormBackend final : public TFormBackend {
public:
    TWin32FormBackend(TForm& form, const TFormDescriptor& layout);
    ~TWin32FormBackend() override;

    HWND Handle() override { return FWindow; }
    std::u16string Caption() const override { return WindowText(FWindow); }
    void SetCaption(std::u16string_view caption) override {
        SetWindowTextW(FWindow, Wide(std::u16string(caption)));
    }
    void Show(bool modal) override;
    void Hide() override;
    bool Visible() const override { return IsWindowVisible(FWindow) != FALSE; }
    TControl* FindControl(std::u16string_view name) const override;
    void ApplyCursor(TCursor cursor) override;
    bool SaveImage(std::u16string_view path) const override;

    // The form whose window is `window`, or null for any other window.
    static TWin32FormBackend* Of(HWND window);
    bool HandleKey(WPARAM key);

private:
    struct TEntry {
        const TControlDescriptor* Descriptor;
        HWND Window;
        std::unique_ptr<TControl> Control;
    };

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    friend LRESULT CALLBACK FormWindowProc(HWND, UINT, WPARAM, LPARAM);

    void BuildWindow(const TFormDescriptor& layout);
    // Destroys the windows, then the controls and the fonts.
    void Destroy();
    TEntry& Build(const TControlDescriptor& control, int id);
    const TEntry* Find(std::u16string_view name) const;
    // The colours a control shows: its own, else its parent's, else the form's.
    TColor InheritedTextColor(const TControlDescriptor& control) const;
    TColor InheritedBackground(const TControlDescriptor& control) const;
    void Place(const TFormDescriptor& layout);
    void MoveFocus(bool forward);
    void FocusFirstControl();
    void PressButton(TControlFlags flag);

    HWND FWindow = nullptr;
    HFONT FFont = nullptr;
    HFONT FBoldFont = nullptr;
    TColor FTextColor = TColor::WindowText;
    TColor FColor = TColor::BtnFace;
    std::vector<TEntry> FControls;
    std::vector<HWND> FFocusChain;
    TFormPosition FPosition = TFormPosition::Designed;
    bool FPlaced = false;
    TCursor FCursor = TCursor::Default;
    // The owner disabled for a modal display, enabled again when the form hides.
    HWND FDisabledOwner = nullptr;
    // The control that had the focus when the form was last deactivated.
    HWND FLastFocus = nullptr;
};

LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        // The form knows its window from the first message on, before CreateWindowExW returns.
        auto* backend = static_cast<TWin32FormBackend*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        backend->FWindow = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(backend));
    }
    if (TWin32FormBackend* backend = TWin32FormBackend::Of(window))
        return backend->WindowProc(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

TWin32FormBackend::TWin32FormBackend(TForm& form, const TFormDescriptor& layout)
    : TFormBackend(form) {
    Application();
    RegisterWindowClasses();
    try {
        BuildWindow(layout);
        FControls.reserve(layout.Controls.size());
        int id = FirstControlId;
        for (const TControlDescriptor& control : layout.Controls) {
            if (Find(control.Name) != nullptr)
                throw EComponentError(u"A control named '" + std::u16string(control.Name) +
                                      u"' already exists");
            Build(control, id++);
        }
    } catch (...) {
        Destroy();
        throw;
    }
    Place(layout);
    for (std::size_t index : FocusOrder(layout))
        FFocusChain.push_back(FControls[index].Window);
}

TWin32FormBackend::~TWin32FormBackend() {
    Destroy();
}

void TWin32FormBackend::Destroy() {
    // No message of the dying windows reaches the form or its controls any more.
    for (TEntry& entry : FControls)
        SetWindowLongPtrW(entry.Window, GWLP_USERDATA, 0);
    if (FWindow != nullptr) {
        Hide();
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
    }
    FControls.clear();
    if (FFont != nullptr)
        DeleteObject(FFont);
    if (FBoldFont != nullptr)
        DeleteObject(FBoldFont);
}

TWin32FormBackend* TWin32FormBackend::Of(HWND window) {
    // The class's window procedure tells this module's forms from any other module's.
    if (window == nullptr ||
        GetClassLongPtrW(window, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&FormWindowProc))
        return nullptr;
    return reinterpret_cast<TWin32FormBackend*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void TWin32FormBackend::BuildWindow(const TFormDescriptor& layout) {
    FTextColor = layout.FontColor == TColor::Default ? TColor::WindowText : layout.FontColor;
    FColor = layout.Color == TColor::Default ? TColor::BtnFace : layout.Color;
    FPosition = layout.Position;
    FFont = CreateLayoutFont(layout, false);
    FBoldFont = CreateLayoutFont(layout, true);
    const bool dialog = layout.BorderStyle == TBorderStyle::Dialog;
    const DWORD style =
        WS_CLIPCHILDREN | (dialog ? WS_POPUP | WS_CAPTION | WS_SYSMENU : WS_OVERLAPPEDWINDOW);
    const DWORD extendedStyle = dialog ? WS_EX_DLGMODALFRAME : 0;
    RECT frame{0, 0, layout.ClientWidth, layout.ClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, extendedStyle);
    if (CreateWindowExW(extendedStyle, FormClassName, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                        ModuleInstance(), this) == nullptr) {
        FWindow = nullptr;
        RaiseLastOSError(u"The window of the form cannot be created");
    }
    SendMessageW(FWindow, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
}

TColor TWin32FormBackend::InheritedTextColor(const TControlDescriptor& control) const {
    if (control.FontColor != TColor::Default)
        return control.FontColor;
    const TEntry* parent = Find(control.Parent);
    return parent == nullptr ? FTextColor : InheritedTextColor(*parent->Descriptor);
}

TColor TWin32FormBackend::InheritedBackground(const TControlDescriptor& control) const {
    if (control.Color != TColor::Default)
        return control.Color;
    const TEntry* parent = Find(control.Parent);
    return parent == nullptr ? FColor : InheritedBackground(*parent->Descriptor);
}

TWin32FormBackend::TEntry& TWin32FormBackend::Build(const TControlDescriptor& control, int id) {
    HWND parent = FWindow;
    if (!control.Parent.empty()) {
        const TEntry* parentEntry = Find(control.Parent);
        if (parentEntry == nullptr)
            throw EComponentError(u"The parent '" + std::u16string(control.Parent) + u"' of '" +
                                  std::u16string(control.Name) + u"' does not come before it");
        parent = parentEntry->Window;
    }

    const wchar_t* windowClass = PaneClassName;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD extendedStyle = 0;
    switch (control.Kind) {
    case TControlKind::Panel:
    case TControlKind::StatusBar:
    case TControlKind::Group:
        style |= WS_CLIPCHILDREN;
        break;
    case TControlKind::Label:
        windowClass = L"STATIC";
        style |= SS_NOPREFIX | StyleIf(Has(control, cfRightAlignText), SS_RIGHT) |
                 StyleIf(!Has(control, cfRightAlignText), SS_LEFTNOWORDWRAP);
        break;
    case TControlKind::Edit:
        windowClass = L"EDIT";
        style |= StyleIf(true, ES_AUTOHSCROLL) | StyleIf(Has(control, cfReadOnly), ES_READONLY);
        break;
    case TControlKind::Memo:
        windowClass = L"EDIT";
        style |= StyleIf(true, ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL) |
                 StyleIf(Has(control, cfReadOnly), ES_READONLY) |
                 StyleIf(Has(control, cfScrollBars), WS_VSCROLL | WS_HSCROLL);
        break;
    case TControlKind::CheckBox:
        windowClass = L"BUTTON";
        style |= StyleIf(true, BS_AUTOCHECKBOX) |
                 StyleIf(Has(control, cfCaptionLeft), BS_LEFTTEXT | BS_RIGHT);
        break;
    case TControlKind::Button:
        windowClass = L"BUTTON";
        style |= StyleIf(Has(control, cfDefault), BS_DEFPUSHBUTTON) |
                 StyleIf(!Has(control, cfDefault), BS_PUSHBUTTON);
        break;
    case TControlKind::DateField:
        windowClass = DATETIMEPICK_CLASSW;
        style |= StyleIf(true, DTS_SHORTDATEFORMAT | DTS_SHOWNONE) |
                 StyleIf(!Has(control, cfCalendar), DTS_UPDOWN);
        break;
    case TControlKind::StatusPane:
    case TControlKind::ProgressPane:
    case TControlKind::Picture:
        break;
    }
    if (CanTakeFocus(control.Kind) && control.TabOrder >= 0)
        style |= WS_TABSTOP;
    if (!Has(control, cfHidden))
        style |= WS_VISIBLE;
    // Input fields draw their own frame; panes paint theirs inside their area.
    if (windowClass != PaneClassName && control.Frame == TFrame::Framed)
        extendedStyle |= WS_EX_CLIENTEDGE;
    else if (windowClass != PaneClassName && control.Frame == TFrame::ThinSunken)
        extendedStyle |= WS_EX_STATICEDGE;

    const std::u16string caption(control.Kind == TControlKind::Memo ? std::u16string_view{}
                                                                    : control.Caption);
    HWND window = CreateWindowExW(
        extendedStyle, windowClass, Wide(caption), style, control.Bounds.Left, control.Bounds.Top,
        control.Bounds.Width, control.Bounds.Height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
    if (window == nullptr)
        RaiseLastOSError(u"The window of '" + std::u16string(control.Name) +
                         u"' cannot be created");
    // Later controls lie above earlier ones, as the layout draws them.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    std::u16string name(control.Name);
    TForm& form = Form();
    const TColor text = InheritedTextColor(control);
    const TColor background = InheritedBackground(control);
    std::unique_ptr<TControl> made;
    TWindowPart* part = nullptr;
    auto make = [&]<class T>(std::unique_ptr<T> built) {
        part = built.get();
        made = std::move(built);
    };
    switch (control.Kind) {
    case TControlKind::Panel:
    case TControlKind::StatusBar:
        make(std::make_unique<TWin32Panel>(std::move(name), window, form, text, background,
                                           control.Frame));
        break;
    case TControlKind::Group:
        make(std::make_unique<TWin32Group>(std::move(name), window, form, text, background,
                                           control.Bold ? FBoldFont : FFont));
        break;
    case TControlKind::Label:
        make(std::make_unique<TWin32Label>(std::move(name), window, form, text, background,
                                           Has(control, cfAutoSize), Has(control, cfAnchorRight)));
        break;
    case TControlKind::StatusPane:
        make(std::make_unique<TWin32StatusPane>(std::move(name), window, form, text, background,
                                                control.Frame));
        static_cast<TStatusPane&>(*made).SetCaption(control.Caption);
        break;
    case TControlKind::ProgressPane:
        make(std::make_unique<TWin32ProgressPane>(
            std::move(name), window, form, text, background, control.Frame, control.Segments,
            control.BarColor == TColor::Default ? TColor::ActiveCaption : control.BarColor));
        break;
    case TControlKind::Picture:
        make(std::make_unique<TWin32Picture>(std::move(name), window, form, text, background,
                                             DecodeImage(control.Picture)));
        break;
    case TControlKind::Button:
        make(std::make_unique<TWin32Button>(std::move(name), window, form, text, background,
                                            control.ModalResult));
        break;
    case TControlKind::CheckBox:
        make(std::make_unique<TWin32CheckBox>(std::move(name), window, form, text, background));
        break;
    case TControlKind::Edit:
        make(std::make_unique<TWin32Edit>(std::move(name), window, form, text,
                                          control.Color == TColor::Default ? TColor::Window
                                                                           : control.Color));
        break;
    case TControlKind::DateField:
        make(std::make_unique<TWin32DateField>(std::move(name), window, form, text, background));
        static_cast<TDateField&>(*made).SetDate(std::nullopt);
        break;
    case TControlKind::Memo:
        make(std::make_unique<TWin32Memo>(std::move(name), window, form, text,
                                          control.Color == TColor::Default ? TColor::Window
                                                                           : control.Color));
        // A progress log grows past the edit's default limit of 32 767 characters.
        SendMessageW(window, EM_SETLIMITTEXT, 0, 0);
        static_cast<TMemo&>(*made).SetText(control.Caption);
        break;
    }
    // A group's bold caption is its own; its children keep the form's font.
    part->SetFont(control.Bold && control.Kind != TControlKind::Group ? FBoldFont : FFont);
    return FControls.emplace_back(TEntry{&control, window, std::move(made)});
}

void TWin32FormBackend::Place(const TFormDescriptor& layout) {
    const std::vector<TRect> places = PlaceLayout(layout);
    for (std::size_t i = 0; i < places.size(); ++i)
        MoveWindow(FControls[i].Window, places[i].Left, places[i].Top, places[i].Width,
                   places[i].Height, FALSE);
    // Captions that size their labels are applied once the places are known.
    for (TEntry& entry : FControls)
        if (entry.Descriptor->Kind == TControlKind::Label && Has(*entry.Descriptor, cfAutoSize))
            static_cast<TLabel&>(*entry.Control).SetCaption(entry.Descriptor->Caption);
}

void TWin32FormBackend::Show(bool modal) {
    if (IsWindowVisible(FWindow))
        return;
    NotifyShow();
    const HWND owner = Application().ApplicationWindow();
    SetWindowLongPtrW(FWindow, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (!FPlaced && FPosition == TFormPosition::ScreenCenter) {
        RECT frame;
        GetWindowRect(FWindow, &frame);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(
            MonitorFromWindow(owner != nullptr ? owner : FWindow, MONITOR_DEFAULTTOPRIMARY),
            &monitor);
        const RECT& area = monitor.rcWork;
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        SetWindowPos(FWindow, nullptr, area.left + (area.right - area.left - width) / 2,
                     area.top + (area.bottom - area.top - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FPlaced = true;
    if (modal && owner != nullptr && IsWindowEnabled(owner)) {
        EnableWindow(owner, FALSE);
        FDisabledOwner = owner;
    }
    ShowWindow(FWindow, SW_SHOW);
    SetForegroundWindow(FWindow);
    FocusFirstControl();
    PostMessageW(FWindow, WM_TOOLKIT_ACTIVATE, 0, 0);
}

void TWin32FormBackend::Hide() {
    // The owner takes input again before the form goes, so that it is activated in its place.
    if (FDisabledOwner != nullptr) {
        EnableWindow(FDisabledOwner, TRUE);
        FDisabledOwner = nullptr;
    }
    ShowWindow(FWindow, SW_HIDE);
}

TControl* TWin32FormBackend::FindControl(std::u16string_view name) const {
    const TEntry* entry = Find(name);
    return entry == nullptr ? nullptr : entry->Control.get();
}

const TWin32FormBackend::TEntry* TWin32FormBackend::Find(std::u16string_view name) const {
    for (const TEntry& entry : FControls)
        if (entry.Descriptor->Name == name)
            return &entry;
    return nullptr;
}

void TWin32FormBackend::ApplyCursor(TCursor cursor) {
    FCursor = cursor;
    // The pointer changes now when it is over the form, not only when it next moves.
    POINT position;
    if (!GetCursorPos(&position))
        return;
    HWND under = WindowFromPoint(position);
    if (under != nullptr && GetAncestor(under, GA_ROOT) == FWindow)
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

bool TWin32FormBackend::SaveImage(std::u16string_view path) const {
    RECT client;
    GetClientRect(FWindow, &client);
    std::uint32_t* pixels = nullptr;
    const HBITMAP bitmap = CreateBitmap32(client.right, client.bottom, &pixels);
    if (bitmap == nullptr)
        return false;
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    if (IsWindowVisible(FWindow)) {
        // On the screen, the form is copied as the system has drawn it, frames and all.
        RedrawWindow(FWindow, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        POINT origin{0, 0};
        ClientToScreen(FWindow, &origin);
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
        ReleaseDC(nullptr, screen);
    } else {
        PrintWindowTree(FWindow, FWindow, dc, client);
    }
    GdiFlush();
    const bool written = WritePng(
        std::u16string(path), client.right, client.bottom,
        {pixels, static_cast<std::size_t>(client.right) * static_cast<std::size_t>(client.bottom)});
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return written;
}

void TWin32FormBackend::FocusFirstControl() {
    for (HWND control : FFocusChain)
        if (IsWindowVisible(control) && IsWindowEnabled(control)) {
            SetFocus(control);
            return;
        }
}

void TWin32FormBackend::MoveFocus(bool forward) {
    if (FFocusChain.empty())
        return;
    const HWND focus = GetFocus();
    const auto count = static_cast<std::ptrdiff_t>(FFocusChain.size());
    const auto found = std::find_if(FFocusChain.begin(), FFocusChain.end(), [&](HWND control) {
        return control == focus || IsChild(control, focus);
    });
    std::ptrdiff_t at =
        found == FFocusChain.end() ? (forward ? -1 : count) : found - FFocusChain.begin();
    for (std::ptrdiff_t step = 0; step < count; ++step) {
        at = (at + (forward ? 1 : count - 1)) % count;
        const HWND next = FFocusChain[static_cast<std::size_t>(at)];
        if (IsWindowVisible(next) && IsWindowEnabled(next)) {
            SetFocus(next);
            // An edit reached by Tab has its text selected, as in any dialog.
            if ((SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0)
                SendMessageW(next, EM_SETSEL, 0, -1);
            return;
        }
    }
}

void TWin32FormBackend::PressButton(TControlFlags flag) {
    for (TEntry& entry : FControls)
        if (entry.Descriptor->Kind == TControlKind::Button && Has(*entry.Descriptor, flag)) {
            static_cast<TButton&>(*entry.Control).Click();
            return;
        }
}

bool TWin32FormBackend::HandleKey(WPARAM key) {
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
        return false;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (key) {
    case VK_ESCAPE:
        if (shift)
            return false;
        PressButton(cfCancel);
        return true;
    case VK_RETURN:
        if (shift)
            return false;
        PressButton(cfDefault);
        return true;
    case VK_TAB:
        MoveFocus(!shift);
        return true;
    default:
        return false;
    }
}

LRESULT TWin32FormBackend::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteToChild(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_CLOSE:
        Form().RunHandler([this] { Form().Close(); });
        return 0;
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(FWindow, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, SystemBrush(FColor));
        return 1;
    }
    case WM_SETCURSOR:
        if (FCursor == TCursor::HourGlass) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // The focus goes back to the control that had it when the form was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            FLastFocus = focus != nullptr && IsChild(FWindow, focus) ? focus : nullptr;
        } else if (FLastFocus != nullptr && IsWindow(FLastFocus)) {
            SetFocus(FLastFocus);
            return 0;
        }
        break;
    case WM_TOOLKIT_ACTIVATE:
        NotifyActivate();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(FWindow, message, wParam, lParam);
}

} // namespace

int ControlId(const TFormDescriptor& layout, std::u16string_view name) {
    const auto found = std::find_if(layout.Controls.begin(), layout.Controls.end(),
                                    [&](const TControlDescriptor& c) { return c.Name == name; });
    return found == layout.Controls.end()
               ? -1
               : FirstControlId + static_cast<int>(found - layout.Controls.begin());
}

bool HandleFormKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.hwnd == nullptr)
        return false;
    TWin32FormBackend* form = TWin32FormBackend::Of(GetAncestor(message.hwnd, GA_ROOT));
    return form != nullptr && form->HandleKey(message.wParam);
}

} // namespace Toolkit::Win32Backend

namespace Toolkit {

std::unique_ptr<TFormBackend> CreateFormBackend(TForm& form, const TFormDescriptor& layout) {
    return std::make_unique<Win32Backend::TWin32FormBackend>(form, layout);
}

} // namespace Toolkit
