#include "Host/HostWindows.h"

#include "Host/HostError.h"

namespace RefHost {

HRESULT PLUGIN_STDCALL THostWindows::GetApplicationHandle(HWND* handle) {
    return FCalls.Run("IApplicationWindows.GetApplicationHandle", [&] {
        RequireResultPointer(handle);
        *handle = FHandle ? FHandle() : nullptr;
    });
}

HRESULT PLUGIN_STDCALL THostWindows::BeginModal() {
    return FCalls.Run("IApplicationWindows.BeginModal", [&] {
        ++FModalDepth;
        ++FModalCount;
    });
}

HRESULT PLUGIN_STDCALL THostWindows::EndModal() {
    return FCalls.Run("IApplicationWindows.EndModal", [&] {
        if (FModalDepth == 0)
            throw EHostError(HostErrorClass, "EndModal without BeginModal");
        --FModalDepth;
    });
}

HRESULT PLUGIN_STDCALL THostIcons::GetSmallIcon(HICON* icon) {
    return FCalls.Run("IApplicationIcons.GetSmallIcon", [&] {
        RequireResultPointer(icon);
        *icon = FSmall;
    });
}

HRESULT PLUGIN_STDCALL THostIcons::GetLargeIcon(HICON* icon) {
    return FCalls.Run("IApplicationIcons.GetLargeIcon", [&] {
        RequireResultPointer(icon);
        *icon = FLarge;
    });
}

} // namespace RefHost
