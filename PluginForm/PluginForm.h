// PluginForm: TForm, the base of every window the plug-in shows.
//
// It is the toolkit's form tied to the host's window services. Construction requires the
// host's IApplicationWindows (an assertion failure otherwise) and holds it and the core for the
// form's lifetime. ShowModal tells the host when a modal display begins and ends (BeginModal,
// EndModal). Each time the form is about to be shown it takes the host's application icons when
// the host offers IApplicationIcons, destroying only the icons the window held before. Every
// host call's status is checked; a failure raises the matching exception. Host thread only.
#pragma once

#include "PluginAPI/HostInterfaces.h"
#include "PluginAPI/Plugins/InterfacePtr.h"
#include "Toolkit/Form.h"

// The host references a form holds. A base of its own, so that they are taken (and the core
// refused) before the toolkit builds anything, and released after the window is gone.
struct TFormHost {
    explicit TFormHost(ICore* core);

    TInterfacePtr<ICore> FCore;
    TInterfacePtr<IApplicationWindows> FApplicationWindows;
};

class TForm : private TFormHost, public Toolkit::TForm {
public:
    // Builds the form from `layout` with `core` as its host. A core without
    // IApplicationWindows raises EAssertionFailed and nothing is built.
    TForm(ICore* core, const Toolkit::TFormDescriptor& layout);

    // BeginModal (a failure: nothing is shown, no EndModal), the toolkit's modal display, then
    // EndModal however the display ended. The display's error comes first; otherwise a failing
    // EndModal replaces the modal result.
    Toolkit::TModalResult ShowModal() override;

protected:
    // Applies the host's icons (ApplyHostIcons). Replaces the toolkit's notification.
    void DoShow() override;

private:
    void ApplyHostIcons();
};
