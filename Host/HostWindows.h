// HostWindows: IApplicationWindows and IApplicationIcons, the host's main window and icons.
//
// GetApplicationHandle answers the handle of the host's application window, which owns the
// plug-ins' windows; the handle comes from whoever shows the window (a null handle when the
// host runs without one). BeginModal and EndModal bracket a plug-in's modal window; the host
// counts the depth, and EndModal without BeginModal is a failing status. The icons are the
// host's small and large window icons; the host keeps them (the plug-in never frees them).
// Host thread only.
#pragma once

#include "Host/HostCall.h"
#include "Host/HostObject.h"

#include "PluginAPI/HostInterfaces.h"

#include <functional>

namespace RefHost {

using THandleSource = std::function<HWND()>;

class THostWindows final : public THostObject<IApplicationWindows> {
public:
    THostWindows(THandleSource handle, THostCalls& calls)
        : THostObject(IID_IApplicationWindows), FHandle(std::move(handle)), FCalls(calls) {}

    HRESULT PLUGIN_STDCALL GetApplicationHandle(HWND* handle) override;
    HRESULT PLUGIN_STDCALL BeginModal() override;
    HRESULT PLUGIN_STDCALL EndModal() override;

    HOST_RESERVED_SLOT(4)
    HOST_RESERVED_SLOT(5)
    HOST_RESERVED_SLOT(6)
    HOST_RESERVED_SLOT(7)
    HOST_RESERVED_SLOT(10)
    HOST_RESERVED_SLOT(11)

    // Modal windows begun and not ended.
    int ModalDepth() const { return FModalDepth; }
    // How many modal windows were begun in all.
    int ModalCount() const { return FModalCount; }

private:
    THandleSource FHandle;
    THostCalls& FCalls;
    int FModalDepth = 0;
    int FModalCount = 0;
};

class THostIcons final : public THostObject<IApplicationIcons> {
public:
    THostIcons(HICON small, HICON large, THostCalls& calls)
        : THostObject(IID_IApplicationIcons), FSmall(small), FLarge(large), FCalls(calls) {}

    HRESULT PLUGIN_STDCALL GetSmallIcon(HICON* icon) override;
    HRESULT PLUGIN_STDCALL GetLargeIcon(HICON* icon) override;

private:
    HICON FSmall;
    HICON FLarge;
    THostCalls& FCalls;
};

} // namespace RefHost
