// Helpers: how failures cross the host/plug-in boundary.
//
// Outbound: an operation the host calls on a plug-in object runs its body through SafeCall;
// an escaping exception becomes the owner's SafeCallException status plus the thread's error
// information. Inbound: every host call's status goes through CheckHostStatus; a negative
// status raises, through the failure hook installed at library load, the exception that
// StatusToException builds for it. Everything here runs on the caller's thread. The boundary
// objects that use SafeCall are in CheckedObject.h; the plug-in's exception classes in
// PluginExceptions.h; the rule that names a status after an exception class in
// PluginAPI/StatusCodes.h.
#pragma once

#include "Base/Exceptions.h"
#include "Platform/PlatformTypes.h"
#include "PluginAPI/Plugins/PluginExceptions.h"
#include "PluginAPI/StatusCodes.h"

#include <memory>
#include <string_view>
#include <utility>

// {43B2F1E1-E897-4584-A92A-06AE75DF834D}: the GUID of error information with a facility-4 status.
constexpr GUID PluginSystemErrorGUID = {
    0x43B2F1E1, 0xE897, 0x4584, {0xA9, 0x2A, 0x06, 0xAE, 0x75, 0xDF, 0x83, 0x4D}};

// The status an exception stands for at the boundary.
HRESULT ExceptionToStatus(const Exception& e);

// The status a failed boundary operation of an object of class `objectClassName` reports;
// sets the thread's error information (source "pluginsystem." + class name, the message, the
// help context, PluginSystemErrorGUID for a facility-4 status). `e` is null for a failure that
// is no Exception. Never raises: when no error information can be made it returns
// E_UNEXPECTED and leaves the thread's record as it was.
HRESULT HandleSafeCallException(std::string_view objectClassName, const Exception* e);

// A new exception for a failing status, built from (and consuming) the thread's error info.
std::unique_ptr<Exception> StatusToException(HRESULT status);

// Raises what StatusToException builds, with `callSite` as its address. Never returns.
[[noreturn]] void RaiseStatusError(HRESULT status, const TCallSite& callSite);

// The process-wide failure hook: installed when the library loads, removed when it unloads.
using TFailureHook = void (*)(HRESULT status, const TCallSite& callSite);
TFailureHook FailureHook();
void SetFailureHook(TFailureHook hook);

// The test after every host call: a negative status goes to the failure hook. With no hook
// installed (the library is unloading) the status is still raised, never taken as success.
inline void CheckHostStatus(HRESULT status, const TCallSite& callSite = TCallSite::Current()) {
    if (status < 0) {
        if (TFailureHook hook = FailureHook())
            hook(status, callSite);
        RaiseStatusError(status, callSite);
    }
}

// Runs the body of a boundary operation: 0 when it completes, otherwise what
// owner.SafeCallException gives for the escaping exception. Never lets an exception out.
template <class TOwner, class TBody> HRESULT SafeCall(TOwner& owner, TBody&& body) noexcept {
    try {
        std::forward<TBody>(body)();
        return S_OK;
    } catch (const Exception& e) {
        return owner.SafeCallException(&e);
    } catch (...) {
        return owner.SafeCallException(nullptr);
    }
}
