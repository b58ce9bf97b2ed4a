// HostKernel: IHostKernel, the host's values, journal, message box and commands.
//
// GetValue answers the host values held in THostValues ("APPPATH", "APPNAME", "APPINI",
// "DOWNLOAD", "PLUGIN.NAME", "LOG.NAME", "LOG.TABLE", "LOG.OPERATOR"); an unknown name is a
// failing status (class "EHostError"). WriteLog appends the line with a time stamp to the
// journal file (when one is set; UTF-8, one line each) and reports it to the host's events;
// ShowMessage and ExecuteCommand report to the events. The host knows the command "REFRESH";
// any other is a failing status. Host thread only.
#pragma once

#include "Host/HostCall.h"
#include "Host/HostObject.h"

#include "PluginAPI/HostInterfaces.h"

#include <map>
#include <string>

namespace RefHost {

using THostValues = std::map<std::u16string, std::u16string>;

class THostKernel final : public THostObject<IHostKernel> {
public:
    // `journalPath` (UTF-8) may be empty: no journal file is written then.
    THostKernel(THostValues values, std::string journalPath, THostCalls& calls);

    HRESULT PLUGIN_STDCALL WriteLog(BSTR line) override;
    HRESULT PLUGIN_STDCALL ShowMessage(BSTR text, BSTR caption) override;
    HRESULT PLUGIN_STDCALL ExecuteCommand(BSTR command, BSTR parameter) override;
    HRESULT PLUGIN_STDCALL GetValue(BSTR name, BSTR* value) override;

    const THostValues& Values() const { return FValues; }

    HOST_RESERVED_SLOT(5)
    HOST_RESERVED_SLOT(6)
    HOST_RESERVED_SLOT(7)
    HOST_RESERVED_SLOT(8)

private:
    THostValues FValues;
    std::string FJournalPath;
    THostCalls& FCalls;
};

} // namespace RefHost
