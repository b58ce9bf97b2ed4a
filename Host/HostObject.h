// HostObject: IInterface for the host's service objects.
//
// THostObject<I> (constructed with I's interface id) answers QueryInterface for I and IInterface
// and counts references. The host owns its services for its whole life: the count only records how
// many references the plug-in holds (References()), so a test can see that everything taken was
// given back; reaching 0 destroys nothing. HOST_RESERVED_SLOT(n) implements a slot the host does
// not describe: it answers E_NOTIMPL. Host thread only; counts change atomically.
#pragma once

#include "PluginAPI/IInterface.h"

#include <atomic>

namespace RefHost {

template <class TInterface> class THostObject : public TInterface {
public:
    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (iid == FInterfaceId || iid == IID_IInterface) {
            *object = static_cast<TInterface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    LONG PLUGIN_STDCALL AddRef() override { return ++FReferences; }
    LONG PLUGIN_STDCALL Release() override { return --FReferences; }

    // References taken and not yet given back (negative: released more often than taken).
    LONG References() const { return FReferences.load(); }

protected:
    explicit THostObject(const IID& interfaceId) : FInterfaceId(interfaceId) {}
    ~THostObject() = default;

private:
    IID FInterfaceId;
    std::atomic<LONG> FReferences{0};
};

#define HOST_RESERVED_SLOT(n)                                                                      \
    HRESULT PLUGIN_STDCALL ReservedSlot##n() override {                                            \
        return E_NOTIMPL;                                                                          \
    }

} // namespace RefHost
