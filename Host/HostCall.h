// HostCall: the boundary wrapper around the body of every host operation.
//
// THostCalls::Run(operation, body) first asks the fault plan whether this call is scheduled to
// fail; if so it returns that status with its error information without running the body.
// Otherwise it runs the body and returns S_OK, or turns what the body throws into a failing
// status with error information set through the platform (CreateErrorInfo, SetErrorInfo):
//   EHostError            -> the class-name code of its class, its message as description;
//   std::bad_alloc        -> E_OUTOFMEMORY;
//   any other exception   -> E_FAIL (with its message when it has one).
// The error information's source is "refhost"; nothing ever escapes to the caller. Every call
// is also reported to the observer (HostEvents.h), on entry and on return. Host thread only.
#pragma once

#include "Host/FaultPlan.h"
#include "Host/HostEvents.h"

#include "Platform/PlatformTypes.h"

#include <string>
#include <string_view>

namespace RefHost {

class THostCalls {
public:
    THostCalls(TFaultPlan& faults, THostEvents& events) : FFaults(faults), FEvents(events) {}

    template <class TBody> HRESULT Run(const char* operation, TBody&& body) noexcept {
        try {
            FEvents.Called(operation);
            const TReturnNotice notice{FEvents, operation};
            if (auto fault = FFaults.NextCall(operation))
                return Fail(fault->Status, fault->Description);
            body();
            return S_OK;
        } catch (...) {
            return Failed();
        }
    }

    THostEvents& Events() const { return FEvents; }

    // Makes `description` the thread's error information and returns `status`.
    static HRESULT Fail(HRESULT status, std::string_view description);

private:
    struct TReturnNotice {
        THostEvents& Events;
        const char* Operation;
        ~TReturnNotice() { Events.Returned(Operation); }
    };

    // Translates the exception in flight.
    static HRESULT Failed() noexcept;

    TFaultPlan& FFaults;
    THostEvents& FEvents;
};

} // namespace RefHost
