// RefHost: the reference host's core object (ICore) and the services it offers.
//
// TRefHost is what a plug-in's entry function receives. Its QueryInterface hands out the host
// services: IHostServer (the logbook's SQL service), IHostKernel, IApplicationWindows,
// IMenuManager, and IApplicationIcons when icons are given. As a test bench it can leave out
// any of them (by interface name), report any core version, and make the Nth call of any host
// operation fail (TFaultPlan; the core's own operations are "ICore.QueryInterface" and
// "ICore.GetVersion"). The host owns every service for its whole life. Host thread only.
#pragma once

#include "Host/FaultPlan.h"
#include "Host/HostCall.h"
#include "Host/HostKernel.h"
#include "Host/HostMenu.h"
#include "Host/HostObject.h"
#include "Host/HostServer.h"
#include "Host/HostWindows.h"

#include <set>
#include <string>

namespace RefHost {

// The core version this host reports unless told otherwise.
inline constexpr LONG DefaultCoreVersion = 104019;

struct TRefHostSetup {
    LONG CoreVersion = DefaultCoreVersion;
    // Interfaces left out, by name ("IHostServer", "IApplicationIcons", ...).
    std::set<std::string> Omitted;
    TFaultPlan Faults;
    THostValues Values;
    // The journal file (UTF-8 path); empty for none.
    std::string JournalPath;
    THandleSource ApplicationHandle;
    HICON SmallIcon = nullptr;
    HICON LargeIcon = nullptr;
};

// The interface names a setup may leave out. Throws std::invalid_argument for another name.
void CheckInterfaceName(const std::string& name);

class TRefHost final : public THostObject<ICore> {
public:
    TRefHost(TRefHostSetup setup, TLogbook& logbook, THostEvents& events);
    TRefHost(const TRefHost&) = delete;
    TRefHost& operator=(const TRefHost&) = delete;

    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override;
    HRESULT PLUGIN_STDCALL GetVersion(LONG* version) override;

    THostServer& Server() { return FServer; }
    THostKernel& Kernel() { return FKernel; }
    THostMenu& Menu() { return FMenu; }
    THostWindows& Windows() { return FWindows; }
    TFaultPlan& Faults() { return FSetup.Faults; }

    // References the plug-in holds on the core and its services (0 after a clean shutdown).
    LONG OutstandingReferences() const;

private:
    TRefHostSetup FSetup;
    THostCalls FCalls;
    THostServer FServer;
    THostKernel FKernel;
    THostMenu FMenu;
    THostWindows FWindows;
    THostIcons FIcons;
};

} // namespace RefHost
