// FormDriver: driving toolkit forms on Windows as a user would, by window messages to the
// controls' windows.
//
// A control's window is found from the form's layout (its ID, Toolkit/win32/Win32Form.h). Modal
// displays run their own message loop, so a test hands ShowModalWhile what to do once the form
// is shown and activated; a watchdog ends a display that a broken close would leave open.
// RunLater queues work for the message loop, behind the messages already waiting.
#pragma once

#include "Toolkit/Application.h"
#include "Toolkit/Form.h"
#include "Toolkit/win32/Win32Form.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>

// The modal result the watchdog ends a display with.
inline constexpr Toolkit::TModalResult WatchdogResult = 99;

namespace FormDriverDetail {

struct TSearch {
    int Id;
    HWND Found;
};

inline BOOL CALLBACK MatchId(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<TSearch*>(data);
    if (GetDlgCtrlID(child) != search->Id)
        return TRUE;
    search->Found = child;
    return FALSE;
}

inline std::map<UINT_PTR, std::function<void()>>& Pending() {
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

inline void CALLBACK RunPending(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    const auto found = Pending().find(timer);
    if (found == Pending().end())
        return;
    const std::function<void()> run = std::move(found->second);
    Pending().erase(found);
    run();
}

inline Toolkit::TForm*& Watched() {
    static Toolkit::TForm* watched = nullptr;
    return watched;
}

inline void CALLBACK EndWatchedDisplay(HWND, UINT, UINT_PTR, DWORD) {
    if (Watched() != nullptr)
        Watched()->SetModalResult(WatchdogResult);
}

} // namespace FormDriverDetail

// The window of the control `name` of the form window `form`, built from `layout`; null when
// there is none.
inline HWND ControlWindow(HWND form, const Toolkit::TFormDescriptor& layout,
                          std::u16string_view name) {
    FormDriverDetail::TSearch search{Toolkit::Win32Backend::ControlId(layout, name), nullptr};
    EnumChildWindows(form, FormDriverDetail::MatchId, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}
inline HWND ControlWindow(const Toolkit::TForm& form, const Toolkit::TFormDescriptor& layout,
                          std::u16string_view name) {
    return ControlWindow(form.Handle(), layout, name);
}

// Types `text` into the edit `field` as the keyboard would, after emptying it.
inline void TypeText(HWND field, std::u16string_view text) {
    SendMessageW(field, EM_SETSEL, 0, -1);
    SendMessageW(field, WM_CLEAR, 0, 0);
    for (char16_t c : text)
        SendMessageW(field, WM_CHAR, c, 1);
}

// Runs `work` from the message loop once the messages waiting now have been handled.
inline void RunLater(std::function<void()> work) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 0, FormDriverDetail::RunPending);
    FormDriverDetail::Pending()[timer] = std::move(work);
}

// A key pressed and released in `window`, as the keyboard delivers it.
inline void PressKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    Toolkit::Application().ProcessMessages();
}

// Shows `form` modally; `whileShown` runs inside the display once the form is activated.
inline Toolkit::TModalResult ShowModalWhile(Toolkit::TForm& form,
                                            std::function<void()> whileShown) {
    RunLater([whileShown = std::move(whileShown)] {
        // The activation notification is queued by the display itself; let it run first.
        Toolkit::Application().ProcessMessages();
        whileShown();
    });
    FormDriverDetail::Watched() = &form;
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, FormDriverDetail::EndWatchedDisplay);
    struct TWatchEnd {
        UINT_PTR Timer;
        ~TWatchEnd() {
            KillTimer(nullptr, Timer);
            FormDriverDetail::Watched() = nullptr;
        }
    } watchEnd{watchdog};
    return form.ShowModal();
}
