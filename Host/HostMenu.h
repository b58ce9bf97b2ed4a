// HostMenu: IMenuManager and IMenuItem, the host's "Plugins" menu.
//
// CreateMenuItem adds an item (caption "", enabled) to the menu and hands the caller one
// reference; the menu holds its own. RemoveMenuItem takes the caller's variable: it takes the
// item out of the menu, releases the caller's reference and clears the variable (a null
// variable is allowed and does nothing). An item keeps the caption, hint, shortcut, image
// index and category the plug-in sets, and its click listener with a reference. Click() runs
// the listener's Notify with the item as sender and returns its status. Items are
// reference-counted and destroyed at the last Release. Host thread only.
#pragma once

#include "Host/HostCall.h"
#include "Host/HostObject.h"

#include "PluginAPI/HostInterfaces.h"
#include "PluginAPI/PluginInterfaces.h"

#include <atomic>
#include <string>
#include <vector>

namespace RefHost {

class THostMenuItem final : public IMenuItem {
public:
    explicit THostMenuItem(THostCalls& calls) : FCalls(calls) {}

    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override;
    LONG PLUGIN_STDCALL AddRef() override { return ++FReferences; }
    LONG PLUGIN_STDCALL Release() override;

    HRESULT PLUGIN_STDCALL GetEnabled(LONG* enabled) override;
    HRESULT PLUGIN_STDCALL SetCaption(BSTR caption) override;
    HRESULT PLUGIN_STDCALL SetShortCut(LONG shortCut) override;
    HRESULT PLUGIN_STDCALL SetImageIndex(LONG index) override;
    HRESULT PLUGIN_STDCALL SetHint(BSTR hint) override;
    HRESULT PLUGIN_STDCALL SetCategory(LONG category) override;
    HRESULT PLUGIN_STDCALL SetOnClick(INotifyEvent* ev) override;

    HOST_RESERVED_SLOT(3)
    HOST_RESERVED_SLOT(4)
    HOST_RESERVED_SLOT(6)
    HOST_RESERVED_SLOT(7)

    const std::u16string& Caption() const { return FCaption; }
    const std::u16string& Hint() const { return FHint; }
    LONG ShortCut() const { return FShortCut; }
    LONG ImageIndex() const { return FImageIndex; }
    LONG Category() const { return FCategory; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled) { FEnabled = enabled; }
    bool HasListener() const { return FOnClick != nullptr; }

    // The user chose the item: the listener's status (S_OK when there is none).
    HRESULT Click();
    // Lets go of the listener (when the item leaves the menu).
    void DropListener();
    // Forgets the listener without calling it (its plug-in is gone).
    void AbandonListener() { FOnClick = nullptr; }

private:
    ~THostMenuItem();

    THostCalls& FCalls;
    std::atomic<LONG> FReferences{0};
    std::u16string FCaption;
    std::u16string FHint;
    LONG FShortCut = 0;
    LONG FImageIndex = -1;
    LONG FCategory = 0;
    bool FEnabled = true;
    INotifyEvent* FOnClick = nullptr;
};

class THostMenu final : public THostObject<IMenuManager> {
public:
    explicit THostMenu(THostCalls& calls) : THostObject(IID_IMenuManager), FCalls(calls) {}
    ~THostMenu();
    THostMenu(const THostMenu&) = delete;
    THostMenu& operator=(const THostMenu&) = delete;

    HRESULT PLUGIN_STDCALL CreateMenuItem(IMenuItem** item) override;
    HRESULT PLUGIN_STDCALL RemoveMenuItem(IMenuItem** item) override;

    // The items in the menu, in the order they were created.
    const std::vector<THostMenuItem*>& Items() const { return FItems; }
    // The item with this caption, or null.
    THostMenuItem* Find(std::u16string_view caption) const;
    // Forgets every item's listener without calling it: for items a plug-in left behind when
    // it was unloaded.
    void AbandonListeners();

private:
    THostCalls& FCalls;
    std::vector<THostMenuItem*> FItems;
};

} // namespace RefHost
