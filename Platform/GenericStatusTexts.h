// GenericStatusTexts: the texts Windows gives for the common COM statuses.
//
// The POSIX runtime has no message table of its own, and Wine's lacks these, so both look a
// status up here when the system has no text for it. Internal to Platform.
#pragma once

#include "Platform/PlatformTypes.h"

#include <string>
#include <string_view>

namespace Platform {

// The generic text of `status`, or empty when it is none of the common statuses.
inline std::u16string GenericStatusText(HRESULT status) {
    struct TStatusText {
        HRESULT Status;
        std::string_view Text;
    };
    static constexpr TStatusText Texts[] = {
        {E_UNEXPECTED, "Catastrophic failure"},
        {E_NOTIMPL, "Not implemented"},
        {E_NOINTERFACE, "No such interface supported"},
        {E_POINTER, "Invalid pointer"},
        {static_cast<HRESULT>(0x80004004u), "Operation aborted"},
        {E_FAIL, "Unspecified error"},
        {static_cast<HRESULT>(0x80070005u), "Access is denied."},
        {E_OUTOFMEMORY, "Not enough memory resources are available to complete this operation."},
        {E_INVALIDARG, "The parameter is incorrect."},
    };
    for (const TStatusText& entry : Texts)
        if (entry.Status == status)
            return {entry.Text.begin(), entry.Text.end()}; // plain ASCII
    return {};
}

} // namespace Platform
