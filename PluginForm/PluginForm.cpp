#include "PluginForm/PluginForm.h"

#include "Platform/Icons.h"
#include "PluginAPI/Plugins/Helpers.h"

TFormHost::TFormHost(ICore* core) : FCore(core) {
    if (core == nullptr || FApplicationWindows.Query(core, IID_IApplicationWindows) < 0 ||
        !FApplicationWindows)
        RaiseAssertion(u"PluginAPI\\Plugins\\PluginForm", 47);
}

TForm::TForm(ICore* core, const Toolkit::TFormDescriptor& layout)
    : TFormHost(core), Toolkit::TForm(layout) {}

Toolkit::TModalResult TForm::ShowModal() {
    CheckHostStatus(FApplicationWindows->BeginModal());
    Toolkit::TModalResult result;
    try {
        result = Toolkit::TForm::ShowModal();
    } catch (...) {
        // The display's own error is the one the caller hears of; a failing EndModal is
        // checked (which consumes its error information) and then dropped.
        try {
            CheckHostStatus(FApplicationWindows->EndModal());
        } catch (...) {
        }
        throw;
    }
    CheckHostStatus(FApplicationWindows->EndModal());
    return result;
}

void TForm::DoShow() {
    ApplyHostIcons();
}

void TForm::ApplyHostIcons() {
    TInterfacePtr<IApplicationIcons> icons;
    if (icons.Query(FCore.Get(), IID_IApplicationIcons) < 0 || !icons)
        return;
    const HWND window = Handle();
    HICON icon = nullptr;
    CheckHostStatus(icons->GetSmallIcon(&icon));
    Platform::DestroyIcon(Platform::SendSetIconMessage(window, Platform::TIconKind::Small, icon));
    icon = nullptr;
    CheckHostStatus(icons->GetLargeIcon(&icon));
    Platform::DestroyIcon(Platform::SendSetIconMessage(window, Platform::TIconKind::Big, icon));
}
