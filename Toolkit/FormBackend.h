// FormBackend: what a toolkit backend provides for one form, and how it reports back.
//
// Internal to the toolkit: TForm keeps the form's state (modal result, handler depth, deferred
// close) and asks its backend for the native window and the controls. A backend calls the
// Notify... functions below when the window system reports the matching event. Each backend
// (qt/, later win32/) defines CreateFormBackend.
#pragma once

#include "Platform/PlatformTypes.h"
#include "Toolkit/Controls.h"
#include "Toolkit/Form.h"
#include "Toolkit/Layout.h"

#include <memory>
#include <string>
#include <string_view>

namespace Toolkit {

class TFormBackend {
public:
    TFormBackend(const TFormBackend&) = delete;
    TFormBackend& operator=(const TFormBackend&) = delete;
    virtual ~TFormBackend() = default;

    virtual HWND Handle() = 0;
    virtual std::u16string Caption() const = 0;
    virtual void SetCaption(std::u16string_view caption) = 0;
    // Makes the window visible (application-modal when `modal`), owned by the application
    // window; runs the show notification before and queues the activation notification.
    virtual void Show(bool modal) = 0;
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    // The control named `name`, or null.
    virtual TControl* FindControl(std::u16string_view name) const = 0;
    virtual void ApplyCursor(TCursor cursor) = 0;
    // False when the file cannot be written.
    virtual bool SaveImage(std::u16string_view path) const = 0;

protected:
    explicit TFormBackend(TForm& form) : FForm(form) {}

    TForm& Form() const { return FForm; }
    void NotifyShow() { FForm.NotifyShow(); }
    void NotifyActivate() { FForm.NotifyActivate(); }

private:
    TForm& FForm;
};

// Builds `form`'s window and controls from `layout`.
std::unique_ptr<TFormBackend> CreateFormBackend(TForm& form, const TFormDescriptor& layout);

} // namespace Toolkit
