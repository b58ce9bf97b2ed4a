// LoadedPlugin: one plug-in started in the host, from its entry function to its unloading.
//
// Starting loads the library, calls the entry function with the host's core and keeps the
// IPlugin it returns. A plug-in that refuses to start (a failing status, or no IPlugin) throws
// EPluginRefused with the status and the error information's description, after the library
// has been unloaded again. Unload() (also run by the destructor) asks the plug-in to shut down
// through IDestroyNotify, releases it, calls the done function and unloads the library; it
// returns the shutdown's status. Host thread only.
#pragma once

#include "Host/PluginLibrary.h"

#include "PluginAPI/HostInterfaces.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace RefHost {

// "0x8004D63A (pluginsystem.TPlugin: description)": a failing status with the thread's error
// information, which it takes away.
std::string DescribeFailure(HRESULT status);

class EPluginRefused : public std::runtime_error {
public:
    EPluginRefused(HRESULT status, const std::string& message)
        : std::runtime_error(message), FStatus(status) {}
    HRESULT Status() const { return FStatus; }

private:
    HRESULT FStatus;
};

class TLoadedPlugin {
public:
    TLoadedPlugin(const std::string& path, ICore* core);
    ~TLoadedPlugin();
    TLoadedPlugin(const TLoadedPlugin&) = delete;
    TLoadedPlugin& operator=(const TLoadedPlugin&) = delete;

    IPlugin* Plugin() const { return FPlugin; }
    // The plug-in's name through IPlugin.GetName (empty when it fails).
    std::u16string Name() const;
    HRESULT Unload();

private:
    std::unique_ptr<TPluginLibrary> FLibrary;
    IPlugin* FPlugin = nullptr;
};

} // namespace RefHost
