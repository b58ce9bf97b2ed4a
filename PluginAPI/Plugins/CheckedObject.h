// CheckedObject: the checked reference-counted base of the plug-in's boundary objects.
//
// Reference counts change atomically; a boundary operation's body runs through SafeCall
// (Helpers.h), so no exception leaves an object towards the host.
#pragma once

#include "Platform/PlatformTypes.h"
#include "PluginAPI/IInterface.h"
#include "PluginAPI/Plugins/Helpers.h"
#include "PluginAPI/Plugins/PluginExceptions.h"

#include <atomic>
#include <string>
#include <tuple>
#include <utility>

// The reference-counted base of the plug-in's boundary objects, with misuse detection.
//
// Create objects with CreateCheckedObject<T>(...): the count is 1 while constructors run and
// drops to 0 after the last one (AfterConstruction), so a reference taken and dropped inside a
// constructor does not destroy the object. A constructor that fails frees the object at once,
// without BeforeDestruction's tests. CheckedRelease to 0 destroys the object; Free() destroys
// it explicitly. Destruction first runs BeforeDestruction, which raises
// ECheckedInterfacedObjectDeleteError while references are held and
// ECheckedInterfacedObjectDoubleFreeError once destruction has begun; either leaves the object
// alive and unchanged. From then until the storage goes the count is -1, and CheckedAddRef
// raises ECheckedInterfacedObjectUseDeletedError. A boundary object derives from
// TCheckedInterfaces below rather than from this class directly.
class TCheckedInterfacedObject {
public:
    TCheckedInterfacedObject(const TCheckedInterfacedObject&) = delete;
    TCheckedInterfacedObject& operator=(const TCheckedInterfacedObject&) = delete;

    // The exact class name of the most derived class.
    virtual const char* ClassName() const = 0;
    // "[$XXXXXXXX] ClassName": the object's address in upper-case hexadecimal (at least 8
    // digits) and its class name, cut to 99 characters. Valid once construction has ended.
    std::string DebugTag() const;
    LONG RefCount() const { return FRefCount.load(); }

    // Raises ECheckedInterfacedObjectUseDeletedError once destruction has begun; otherwise
    // increments the count and returns the new value.
    LONG CheckedAddRef();
    // Decrements the count and destroys the object when it reaches 0; returns the new value.
    LONG CheckedRelease();
    // Destroys the object: BeforeDestruction's tests, then the destructor.
    void Free();
    // HandleSafeCallException with this object's class name.
    virtual HRESULT SafeCallException(const Exception* e);

    // Called once by CreateCheckedObject after the last constructor.
    void AfterConstruction();

protected:
    TCheckedInterfacedObject() = default;
    virtual ~TCheckedInterfacedObject() = default;
    // Raises the misuse exceptions; on success marks destruction as begun (count -1). An
    // override calls this one first.
    virtual void BeforeDestruction();

    // The IInterface operations as the host sees them: no exception leaves them. A misuse
    // exception becomes this object's error information (SafeCallException); AddRef and
    // Release then answer the count as it stands, QueryInterface the exception's status.
    // `found` is the interface pointer for the requested IID, null when it is not offered.
    HRESULT BoundaryQueryInterface(void* found, void** object) noexcept;
    LONG BoundaryAddRef() noexcept;
    LONG BoundaryRelease() noexcept;

private:
    std::atomic<LONG> FRefCount{1};
};

template <class T, class... TArgs> T* CreateCheckedObject(TArgs&&... args) {
    T* object = new T(std::forward<TArgs>(args)...);
    object->AfterConstruction();
    return object;
}

// One interface a boundary object offers, with its IID.
template <class TInterface, GUID Iid> struct TImplements {
    using Interface = TInterface;
    static constexpr GUID Id = Iid;
};

// A checked object that offers the listed interfaces and answers their IInterface operations:
// QueryInterface finds IInterface (as the first listed interface) and each listed IID, and
// AddRef/Release are the checked count's. The derived class implements ClassName() and the
// interfaces' own operations, running each body through SafeCall(*this, ...). For example:
//
//   class TPlugin : public TCheckedInterfaces<TImplements<IDestroyNotify, IID_IDestroyNotify>,
//                                             TImplements<IPlugin, IID_IPlugin>> { ... };
template <class... TOffered>
class TCheckedInterfaces : public TCheckedInterfacedObject, public TOffered::Interface... {
    static_assert(sizeof...(TOffered) > 0, "a boundary object offers at least one interface");
    using TFirst = std::tuple_element_t<0, std::tuple<typename TOffered::Interface...>>;

public:
    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override {
        return BoundaryQueryInterface(Find(iid), object);
    }
    LONG PLUGIN_STDCALL AddRef() override { return BoundaryAddRef(); }
    LONG PLUGIN_STDCALL Release() override { return BoundaryRelease(); }

private:
    void* Find(REFIID iid) {
        if (iid == IID_IInterface)
            return static_cast<IInterface*>(static_cast<TFirst*>(this));
        void* found = nullptr;
        ((found == nullptr&& iid == TOffered::Id
              ? found = static_cast<typename TOffered::Interface*>(this)
              : found),
         ...);
        return found;
    }
};
