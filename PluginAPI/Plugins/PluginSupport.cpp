#include "PluginAPI/Plugins/PluginSupport.h"

#include "Platform/SysString.h"
#include "PluginAPI/Plugins/Helpers.h"

namespace {

// Where the assertion for a core without a menu manager points.
constexpr std::u16string_view kUnitSource = u"PluginAPI\\Plugins\\PluginSupport";
constexpr int kNoMenuManagerLine = 52;

} // namespace

TPluginMenuItem::TPluginMenuItem(ICore* core, LONG category) {
    if (core == nullptr || FMenuManager.Query(core, IID_IMenuManager) < 0 || !FMenuManager)
        RaiseAssertion(kUnitSource, kNoMenuManagerLine);
    try {
        CheckHostStatus(FMenuManager->CreateMenuItem(FMenuItem.Out()));
        // A host that reports success without an item would leave every later call on null.
        if (!FMenuItem)
            throw EIntfCastError(u"The host created no menu item.");
        ApplyDefaults(category);
    } catch (...) {
        RemoveFromHost();
        throw;
    }
}

void TPluginMenuItem::ApplyDefaults(LONG category) {
    CheckHostStatus(FMenuItem->SetCaption(TSysString(u"PluginMenuItem").Get()));
    CheckHostStatus(FMenuItem->SetHint(nullptr));
    CheckHostStatus(FMenuItem->SetCategory(category));
    CheckHostStatus(FMenuItem->SetImageIndex(-1));
    CheckHostStatus(FMenuItem->SetShortCut(0));
    CheckHostStatus(FMenuItem->SetOnClick(this));
}

void TPluginMenuItem::RemoveFromHost() {
    if (FMenuManager) {
        CheckHostStatus(FMenuManager->RemoveMenuItem(FMenuItem.InOut()));
        FMenuManager.Reset();
    }
    FMenuItem.Reset();
}

void TPluginMenuItem::Free() {
    RemoveFromHost();
    // Freed from inside its own Notify (the host ended the plug-in while the command ran):
    // Notify still reports the command's outcome through this object, then ends it.
    if (FNotifyDepth > 0)
        FFreePending = true;
    else
        delete this;
}

HRESULT PLUGIN_STDCALL TPluginMenuItem::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_INotifyEvent || iid == IID_IInterface) {
        *object = static_cast<INotifyEvent*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT PLUGIN_STDCALL TPluginMenuItem::Notify(IInterface* sender) {
    ++FNotifyDepth;
    const HRESULT status = SafeCall(*this, [&] {
        const TInterfacePtr<IInterface> heldSender(sender);
        Click();
    });
    if (--FNotifyDepth == 0 && FFreePending)
        delete this;
    return status;
}

void TPluginMenuItem::Click() {
    LONG enabled = 0;
    CheckHostStatus(FMenuItem->GetEnabled(&enabled));
    if (enabled == 0 || !FOnClick)
        return;
    // The callback may clear or replace OnClick while it runs; this copy outlives the call.
    const TMenuClickEvent callback = FOnClick;
    callback(*this);
}

HRESULT TPluginMenuItem::SafeCallException(const Exception* e) {
    return HandleSafeCallException(ClassName(), e);
}
