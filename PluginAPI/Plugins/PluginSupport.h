// PluginSupport: one plug-in command in the host's menu.
//
// TPluginMenuItem asks the host's menu manager for a new item, gives it default properties and
// registers itself as the item's click listener (INotifyEvent). When the host reports a click
// and the item is enabled, OnClick runs with the menu item as sender. The object is not
// reference-counted: AddRef and Release answer -1 and change nothing, and its owner ends it
// with Free(), which takes the item out of the host's menu before the storage goes. Every host
// call's status is checked; a failure raises the matching exception. Host thread only.
#pragma once

#include "Base/Exceptions.h"
#include "PluginAPI/HostInterfaces.h"
#include "PluginAPI/PluginInterfaces.h"
#include "PluginAPI/Plugins/InterfacePtr.h"

#include <functional>

class TPluginMenuItem;

// The click callback: receives the menu item that was chosen.
using TMenuClickEvent = std::function<void(TPluginMenuItem& sender)>;

class TPluginMenuItem : public INotifyEvent {
public:
    // Creates the host menu item from `core`'s IMenuManager and sets, in this order: caption
    // "PluginMenuItem", an empty hint, `category`, image index -1, shortcut 0, and this object
    // as the click listener. A core without IMenuManager raises EAssertionFailed before any
    // host call. Any later failure takes the half-made item out of the host's menu again (as
    // Free does) and passes the failure on.
    TPluginMenuItem(ICore* core, LONG category);
    TPluginMenuItem(const TPluginMenuItem&) = delete;
    TPluginMenuItem& operator=(const TPluginMenuItem&) = delete;

    // Removes the item from the host's menu (RemoveMenuItem with this object's item variable),
    // lets go of the host's interfaces and destroys the object. When the host refuses the
    // removal, the failure is raised and the object stays alive: the host may still call it.
    void Free();

    // IInterface and INotifyEvent, as the host sees them.
    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override;
    LONG PLUGIN_STDCALL AddRef() override { return -1; }
    LONG PLUGIN_STDCALL Release() override { return -1; }
    // Runs Click guarded: 0, or the status SafeCallException gives for the failure.
    HRESULT PLUGIN_STDCALL Notify(IInterface* sender) override;

    // Asks the host whether the item is enabled (any non-zero flag) and, when it is and a
    // callback is set, calls OnClick.
    virtual void Click();

    // HandleSafeCallException with this object's class name.
    HRESULT SafeCallException(const Exception* e);
    virtual const char* ClassName() const { return "TPluginMenuItem"; }

    // The host's menu item, for the owner to set caption and hint.
    IMenuItem* MenuItem() const { return FMenuItem.Get(); }
    const TMenuClickEvent& OnClick() const { return FOnClick; }
    void SetOnClick(TMenuClickEvent callback) { FOnClick = std::move(callback); }

protected:
    // Only Free() ends the object.
    virtual ~TPluginMenuItem() = default;

private:
    void ApplyDefaults(LONG category);
    // RemoveMenuItem (when a menu manager was obtained), then release the host's interfaces.
    void RemoveFromHost();

    TInterfacePtr<IMenuManager> FMenuManager;
    TInterfacePtr<IMenuItem> FMenuItem;
    TMenuClickEvent FOnClick;
};
