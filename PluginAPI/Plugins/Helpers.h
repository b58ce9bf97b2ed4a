// Helpers: how failures cross the host/plug-in boundary, and the checked reference-counted
// base of the plug-in's boundary objects.
//
// Outbound: an operation the host calls on a plug-in object runs its body through SafeCall;
// an escaping exception becomes the owner's SafeCallException status plus the thread's error
// information. Inbound: every host call's status goes through CheckHostStatus; a negative
// status raises, through the failure hook installed at library load, the exception that
// StatusToException builds for it. Everything here runs on the caller's thread; reference
// counts change atomically.
#pragma once

#include "Platform/PlatformTypes.h"
#include "PluginAPI/IInterface.h"
#include "PluginAPI/Plugins/Exceptions.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <source_location>
#include <string>
#include <string_view>
#include <utility>

// {43B2F1E1-E897-4584-A92A-06AE75DF834D}: the GUID of error information with a facility-4 status.
constexpr GUID PluginSystemErrorGUID = {
    0x43B2F1E1, 0xE897, 0x4584, {0xA9, 0x2A, 0x06, 0xAE, 0x75, 0xDF, 0x83, 0x4D}};

// The plug-in's own exception classes. EBaseException computes its status from the class
// actually constructed, so every descendant carries its own class-name code.
class EBaseException : public EOleSysError {
public:
    // `className` is the class being constructed; the macro below passes it.
    EBaseException(const char* className, std::u16string message);
    const char* ClassName() const override { return "EBaseException"; }
};

#define CORVANE_BASE_EXCEPTION_CLASS(Name, Parent)                                                 \
    class Name : public Parent {                                                                   \
    public:                                                                                        \
        explicit Name(std::u16string message) : Parent(#Name, std::move(message)) {}               \
        const char* ClassName() const override { return #Name; }                                   \
                                                                                                   \
    protected:                                                                                     \
        Name(const char* className, std::u16string message)                                        \
            : Parent(className, std::move(message)) {}                                             \
    }

CORVANE_BASE_EXCEPTION_CLASS(ECheckedInterfacedObjectError, EBaseException);
CORVANE_BASE_EXCEPTION_CLASS(ECheckedInterfacedObjectDeleteError, ECheckedInterfacedObjectError);
CORVANE_BASE_EXCEPTION_CLASS(ECheckedInterfacedObjectDoubleFreeError,
                             ECheckedInterfacedObjectError);
CORVANE_BASE_EXCEPTION_CLASS(ECheckedInterfacedObjectUseDeletedError,
                             ECheckedInterfacedObjectError);
CORVANE_BASE_EXCEPTION_CLASS(EInvalidCoreVersion, EBaseException);

// Formats "%s" (text) and "%d" (integer) placeholders in order; "%%" is a percent sign.
std::u16string FormatText(std::u16string_view format, std::initializer_list<std::u16string> args);

// 0x80040000 or the CRC-16 of the class name's UTF-8 bytes.
HRESULT ClassErrorCode(std::string_view className);

// The status an exception stands for at the boundary.
HRESULT ExceptionToStatus(const Exception& e);

// The status a failed boundary operation of an object of class `objectClassName` reports;
// sets the thread's error information. `e` is null for a failure that is no Exception.
HRESULT HandleSafeCallException(std::string_view objectClassName, const Exception* e);

// A new exception for a failing status, built from (and consuming) the thread's error info.
std::unique_ptr<Exception> StatusToException(HRESULT status);

// Raises what StatusToException builds, with `callSite` as its address. Never returns.
[[noreturn]] void RaiseStatusError(HRESULT status, const std::source_location& callSite);

// The process-wide failure hook: installed when the library loads, removed when it unloads.
using TFailureHook = void (*)(HRESULT status, const std::source_location& callSite);
TFailureHook FailureHook();
void SetFailureHook(TFailureHook hook);

// The test after every host call: a negative status goes to the failure hook.
inline void CheckHostStatus(HRESULT status,
                            const std::source_location& callSite = std::source_location::current()) {
    if (status < 0) {
        if (TFailureHook hook = FailureHook())
            hook(status, callSite);
        RaiseStatusError(status, callSite);
    }
}

// Runs the body of a boundary operation: 0 when it completes, otherwise what
// owner.SafeCallException gives for the escaping exception. Never lets an exception out.
template <class TOwner, class TBody>
HRESULT SafeCall(TOwner& owner, TBody&& body) noexcept {
    try {
        std::forward<TBody>(body)();
        return S_OK;
    } catch (const Exception& e) {
        return owner.SafeCallException(&e);
    } catch (...) {
        return owner.SafeCallException(nullptr);
    }
}

// The reference-counted base of the plug-in's boundary objects, with misuse detection.
//
// Create objects with CreateCheckedObject<T>(...): the count is 1 while constructors run and
// drops to 0 after the last one, so a reference taken and dropped inside a constructor does not
// destroy the object. Release to 0 destroys it; Free() destroys it explicitly and raises the
// misuse exceptions when references are still held or destruction has already begun.
class TCheckedInterfacedObject {
public:
    TCheckedInterfacedObject(const TCheckedInterfacedObject&) = delete;
    TCheckedInterfacedObject& operator=(const TCheckedInterfacedObject&) = delete;

    // The exact class name of the most derived class.
    virtual const char* ClassName() const = 0;
    // "[$XXXXXXXX] ClassName", at most 99 characters.
    const std::string& DebugTag() const { return FDebugTag; }
    LONG RefCount() const { return FRefCount.load(); }

    LONG CheckedAddRef();
    LONG CheckedRelease();
    // Destroys the object: BeforeDestruction's tests, then the destructor.
    void Free();
    // HandleSafeCallException with this object's class name.
    virtual HRESULT SafeCallException(const Exception* e);

    // Called once by CreateCheckedObject after the last constructor.
    void AfterConstruction();

protected:
    TCheckedInterfacedObject();
    virtual ~TCheckedInterfacedObject() = default;
    // Raises the misuse exceptions; on success marks destruction as begun (count -1).
    virtual void BeforeDestruction();
    // Builds DebugTag; the most derived constructor calls it (the class name is known then).
    void InitDebugTag();

private:
    std::atomic<LONG> FRefCount{1};
    std::string FDebugTag;
};

template <class T, class... TArgs> T* CreateCheckedObject(TArgs&&... args) {
    T* object = new T(std::forward<TArgs>(args)...);
    object->AfterConstruction();
    return object;
}
