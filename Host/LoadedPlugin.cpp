#include "Host/LoadedPlugin.h"

#include "Platform/ErrorInfo.h"
#include "Platform/Locale.h"
#include "Platform/SysString.h"

#include <cstdio>

namespace RefHost {

std::string DescribeFailure(HRESULT status) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || info == nullptr)
        return code;
    TSysString source;
    TSysString description;
    info->GetSource(source.Out());
    info->GetDescription(description.Out());
    info->Release();
    return std::string(code) + " (" + Platform::Utf16ToUtf8(source.Text()) + ": " +
           Platform::Utf16ToUtf8(description.Text()) + ")";
}

TLoadedPlugin::TLoadedPlugin(const std::string& path, ICore* core)
    : FLibrary(std::make_unique<TPluginLibrary>(path)) {
    const HRESULT status = FLibrary->Entry()(core, &FPlugin);
    if (status < 0 || FPlugin == nullptr) {
        const std::string reason = "The plug-in \"" + path + "\" refused to start: " +
                                   (status < 0 ? DescribeFailure(status) : "no IPlugin");
        if (FPlugin)
            FPlugin->Release();
        FPlugin = nullptr;
        FLibrary->Done()();
        throw EPluginRefused(status < 0 ? status : E_NOINTERFACE, reason);
    }
}

TLoadedPlugin::~TLoadedPlugin() {
    Unload();
}

std::u16string TLoadedPlugin::Name() const {
    TSysString name;
    if (FPlugin == nullptr || FPlugin->GetName(name.Out()) < 0)
        return {};
    return name.Text();
}

HRESULT TLoadedPlugin::Unload() {
    if (!FLibrary)
        return S_OK;
    HRESULT status = S_OK;
    if (FPlugin) {
        IDestroyNotify* notify = nullptr;
        if (FPlugin->QueryInterface(IID_IDestroyNotify, reinterpret_cast<void**>(&notify)) >= 0 &&
            notify) {
            status = notify->Shutdown();
            notify->Release();
        }
        FPlugin->Release();
        FPlugin = nullptr;
    }
    FLibrary->Done()();
    FLibrary.reset();
    return status;
}

} // namespace RefHost
