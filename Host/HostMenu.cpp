#include "Host/HostMenu.h"

#include "Host/HostError.h"

#include "Platform/SysString.h"

#include <algorithm>
#include <utility>

namespace RefHost {

HRESULT PLUGIN_STDCALL THostMenuItem::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IMenuItem || iid == IID_IInterface) {
        *object = static_cast<IMenuItem*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

LONG PLUGIN_STDCALL THostMenuItem::Release() {
    const LONG count = --FReferences;
    if (count == 0)
        delete this;
    return count;
}

THostMenuItem::~THostMenuItem() {
    DropListener();
}

void THostMenuItem::DropListener() {
    if (INotifyEvent* listener = std::exchange(FOnClick, nullptr))
        listener->Release();
}

HRESULT PLUGIN_STDCALL THostMenuItem::GetEnabled(LONG* enabled) {
    return FCalls.Run("IMenuItem.GetEnabled", [&] {
        RequireResultPointer(enabled);
        *enabled = FEnabled ? -1 : 0;
    });
}

HRESULT PLUGIN_STDCALL THostMenuItem::SetCaption(BSTR caption) {
    return FCalls.Run("IMenuItem.SetCaption", [&] {
        FCaption = SysStringView(caption);
        FCalls.Events().MenuChanged();
    });
}

HRESULT PLUGIN_STDCALL THostMenuItem::SetShortCut(LONG shortCut) {
    return FCalls.Run("IMenuItem.SetShortCut", [&] { FShortCut = shortCut; });
}

HRESULT PLUGIN_STDCALL THostMenuItem::SetImageIndex(LONG index) {
    return FCalls.Run("IMenuItem.SetImageIndex", [&] { FImageIndex = index; });
}

HRESULT PLUGIN_STDCALL THostMenuItem::SetHint(BSTR hint) {
    return FCalls.Run("IMenuItem.SetHint", [&] {
        FHint = SysStringView(hint);
        FCalls.Events().MenuChanged();
    });
}

HRESULT PLUGIN_STDCALL THostMenuItem::SetCategory(LONG category) {
    return FCalls.Run("IMenuItem.SetCategory", [&] { FCategory = category; });
}

HRESULT PLUGIN_STDCALL THostMenuItem::SetOnClick(INotifyEvent* ev) {
    return FCalls.Run("IMenuItem.SetOnClick", [&] {
        if (ev)
            ev->AddRef();
        DropListener();
        FOnClick = ev;
    });
}

HRESULT THostMenuItem::Click() {
    if (FOnClick == nullptr)
        return S_OK;
    // The item stays alive while its listener runs, even if the plug-in removes it meanwhile.
    AddRef();
    INotifyEvent* listener = FOnClick;
    listener->AddRef();
    const HRESULT status = listener->Notify(static_cast<IMenuItem*>(this));
    listener->Release();
    Release();
    return status;
}

THostMenu::~THostMenu() {
    for (auto* item : FItems) {
        item->DropListener();
        item->Release();
    }
}

HRESULT PLUGIN_STDCALL THostMenu::CreateMenuItem(IMenuItem** item) {
    return FCalls.Run("IMenuManager.CreateMenuItem", [&] {
        RequireResultPointer(item);
        *item = nullptr;
        auto* created = new THostMenuItem(FCalls);
        created->AddRef(); // the menu's reference
        FItems.push_back(created);
        created->AddRef(); // the caller's
        *item = created;
        FCalls.Events().MenuChanged();
    });
}

HRESULT PLUGIN_STDCALL THostMenu::RemoveMenuItem(IMenuItem** item) {
    return FCalls.Run("IMenuManager.RemoveMenuItem", [&] {
        RequireResultPointer(item);
        if (*item == nullptr)
            return;
        auto found = std::find_if(FItems.begin(), FItems.end(), [&](THostMenuItem* candidate) {
            return static_cast<IMenuItem*>(candidate) == *item;
        });
        if (found == FItems.end())
            throw EHostError(HostErrorClass, "The menu item to remove is not in the menu");
        THostMenuItem* removed = *found;
        FItems.erase(found);
        removed->DropListener();
        std::exchange(*item, nullptr)->Release(); // the caller's reference
        removed->Release();                       // the menu's
        FCalls.Events().MenuChanged();
    });
}

void THostMenu::AbandonListeners() {
    for (auto* item : FItems)
        item->AbandonListener();
}

THostMenuItem* THostMenu::Find(std::u16string_view caption) const {
    for (auto* item : FItems)
        if (item->Caption() == caption)
            return item;
    return nullptr;
}

} // namespace RefHost
