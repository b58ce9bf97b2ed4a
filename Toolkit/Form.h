// Form: a top-level window of the plug-in, built from its layout (a form resource).
//
// A form is created hidden with every control of its layout, owned by the form. Its owner
// window is the application window handed to the toolkit (TApplication::SetApplicationWindow).
// ShowModal shows it and runs a message loop until a modal result is set: pressing a button
// that carries one, Esc (which presses the cancel button), the title bar's close box or Close()
// all end the display, after the close handler (DoClose) has agreed. Notifications: DoShow runs
// each time the form is about to become visible, DoActivate once each time it has been shown,
// as the first thing its message loop does.
//
// Event handlers: every notification and control event runs through RunHandler. An exception
// escaping a handler is shown by the application (TApplication::HandleException) and the form
// stays open. A close requested while a handler runs (for example from a click processed while
// a long handler lets messages run) takes effect only after the outermost handler has returned.
// User-interface thread only.
#pragma once

#include "Platform/PlatformTypes.h"
#include "Toolkit/Controls.h"
#include "Toolkit/Layout.h"
#include "Toolkit/Types.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Toolkit {

class TFormBackend;

class TForm {
public:
    // Builds the window and its controls from `layout`. A layout that names an unknown parent
    // or repeats a name raises EComponentError.
    explicit TForm(const TFormDescriptor& layout);
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;
    virtual ~TForm();

    std::u16string Caption() const;
    void SetCaption(std::u16string_view caption);

    // Shows the form modally and returns its modal result. A form that is already visible
    // raises EInvalidOperation ("Cannot make a visible window modal") and is left as it was.
    virtual TModalResult ShowModal();
    // Shows the form without a modal loop, or hides it.
    void Show();
    void Hide();
    bool Visible() const;
    bool Modal() const { return FModal; }

    TModalResult ModalResult() const { return FModalResult; }
    // A nonzero result ends the modal display once the running handlers have returned.
    void SetModalResult(TModalResult result);
    // Asks the form to close: a modal display ends with mrCancel; a form shown without one
    // hides. Deferred while a handler runs.
    void Close();

    // The native window handle.
    HWND Handle() const;
    // Writes the client area as it is drawn now to a PNG file at `path`; works without a
    // display. A file that cannot be written raises EFCreateError.
    void SaveImage(std::u16string_view path) const;

    // The control named `name`, of kind T. An unknown name or another kind raises
    // EComponentError.
    template <class T> T& Control(std::u16string_view name) const {
        return FindControl<T>(FindControl(name), name);
    }
    TControl& FindControl(std::u16string_view name) const;

    // Runs `handler` as an event handler of this form (see the header comment).
    void RunHandler(const std::function<void()>& handler);
    bool InHandler() const { return FHandlerDepth > 0; }

    // Sets the pointer over every control of this form (TApplication does it for all forms).
    void ApplyCursor(TCursor cursor);

protected:
    // The show notification: runs each time the form is about to become visible.
    virtual void DoShow() {}
    // The activation notification: runs once each time the form has been shown.
    virtual void DoActivate() {}
    // The close notification: may set `action` to TCloseAction::None to keep the form open.
    virtual void DoClose(TCloseAction& action) { (void)action; }

private:
    friend class TFormBackend;

    template <class T> static T& FindControl(TControl& control, std::u16string_view name) {
        if (auto* typed = dynamic_cast<T*>(&control))
            return *typed;
        RaiseWrongKind(name);
    }
    [[noreturn]] static void RaiseWrongKind(std::u16string_view name);

    // Called by the backend.
    void NotifyShow();
    void NotifyActivate();
    // Runs the close handler and hides the form unless it refuses; ends a modal display.
    void CloseNow();

    std::unique_ptr<TFormBackend> FBackend;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    bool FCloseDeferred = false;
    int FHandlerDepth = 0;
};

} // namespace Toolkit
