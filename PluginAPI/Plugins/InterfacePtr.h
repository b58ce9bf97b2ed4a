// InterfacePtr: one counted reference to a boundary interface, released when the holder lets go.
//
// TInterfacePtr<I> owns at most one reference. Out() hands a host call the variable for a new
// reference (dropping the old one first); InOut() hands over the variable itself for a call that
// takes it by reference and may release and clear it. Copying takes a further reference. Not
// thread-safe; boundary objects live on the host's user-interface thread.
#pragma once

#include "PluginAPI/IInterface.h"

#include <utility>

template <class I> class TInterfacePtr {
public:
    TInterfacePtr() = default;
    // Takes a further reference to `object` (null allowed).
    explicit TInterfacePtr(I* object) : FObject(object) {
        if (FObject != nullptr)
            FObject->AddRef();
    }
    TInterfacePtr(const TInterfacePtr& other) : TInterfacePtr(other.FObject) {}
    TInterfacePtr(TInterfacePtr&& other) noexcept
        : FObject(std::exchange(other.FObject, nullptr)) {}
    TInterfacePtr& operator=(TInterfacePtr other) noexcept {
        std::swap(FObject, other.FObject);
        return *this;
    }
    ~TInterfacePtr() { Reset(); }

    I* Get() const { return FObject; }
    I* operator->() const { return FObject; }
    explicit operator bool() const { return FObject != nullptr; }

    // Releases the held reference, if any, leaving the holder empty.
    void Reset() {
        if (I* object = std::exchange(FObject, nullptr))
            object->Release();
    }
    // Empties the holder and returns its variable for an out-parameter.
    I** Out() {
        Reset();
        return &FObject;
    }
    // The variable itself, for a call that may release and clear it.
    I** InOut() { return &FObject; }

    // Asks `source` for interface `iid` into this holder; returns the query's status. The holder
    // is empty unless the query succeeded with an object.
    HRESULT Query(IInterface* source, REFIID iid) {
        const HRESULT status = source->QueryInterface(iid, reinterpret_cast<void**>(Out()));
        if (status < 0)
            FObject = nullptr;
        return status;
    }

private:
    I* FObject = nullptr;
};
