#include "Host/RefHost.h"

#include "Host/HostError.h"

#include <stdexcept>

namespace RefHost {

namespace {

const std::set<std::string> OptionalInterfaces = {
    "IHostServer", "IHostKernel", "IApplicationWindows", "IApplicationIcons", "IMenuManager"};

} // namespace

void CheckInterfaceName(const std::string& name) {
    if (!OptionalInterfaces.contains(name))
        throw std::invalid_argument("no host interface is called \"" + name + "\"");
}

TRefHost::TRefHost(TRefHostSetup setup, TLogbook& logbook, THostEvents& events)
    : THostObject(IID_ICore), FSetup(std::move(setup)), FCalls(FSetup.Faults, events),
      FServer(logbook, FCalls), FKernel(FSetup.Values, FSetup.JournalPath, FCalls), FMenu(FCalls),
      FWindows(FSetup.ApplicationHandle, FCalls),
      FIcons(FSetup.SmallIcon, FSetup.LargeIcon, FCalls) {
    for (const auto& name : FSetup.Omitted)
        CheckInterfaceName(name);
    if (FSetup.SmallIcon == nullptr || FSetup.LargeIcon == nullptr)
        FSetup.Omitted.insert("IApplicationIcons");
}

HRESULT PLUGIN_STDCALL TRefHost::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    HRESULT status = E_NOINTERFACE;
    const HRESULT call = FCalls.Run("ICore.QueryInterface", [&] {
        auto offer = [&](const char* name, IInterface* service) {
            if (FSetup.Omitted.contains(name))
                return;
            service->AddRef();
            *object = service;
            status = S_OK;
        };
        if (iid == IID_ICore || iid == IID_IInterface) {
            AddRef();
            *object = static_cast<ICore*>(this);
            status = S_OK;
        } else if (iid == IID_IHostServer) {
            offer("IHostServer", static_cast<IHostServer*>(&FServer));
        } else if (iid == IID_IHostKernel) {
            offer("IHostKernel", static_cast<IHostKernel*>(&FKernel));
        } else if (iid == IID_IApplicationWindows) {
            offer("IApplicationWindows", static_cast<IApplicationWindows*>(&FWindows));
        } else if (iid == IID_IApplicationIcons) {
            offer("IApplicationIcons", static_cast<IApplicationIcons*>(&FIcons));
        } else if (iid == IID_IMenuManager) {
            offer("IMenuManager", static_cast<IMenuManager*>(&FMenu));
        }
    });
    return call < 0 ? call : status;
}

HRESULT PLUGIN_STDCALL TRefHost::GetVersion(LONG* version) {
    return FCalls.Run("ICore.GetVersion", [&] {
        RequireResultPointer(version);
        *version = FSetup.CoreVersion;
    });
}

LONG TRefHost::OutstandingReferences() const {
    return References() + FServer.References() + FKernel.References() + FMenu.References() +
           FWindows.References() + FIcons.References();
}

} // namespace RefHost
