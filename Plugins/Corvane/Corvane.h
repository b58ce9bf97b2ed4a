// Corvane: the plug-in object that the library's entry function hands to the host.
//
// TPlugin checks the host's core version, takes the host interfaces it works with, makes the
// host's application window the owner of the plug-in's windows and puts the Verify command into
// the host's menu; picking it opens the verification dialog. The host reads the plug-in's
// identity through IPlugin at any time and ends the plug-in with IDestroyNotify.Shutdown (any
// number of times) and its final Release, which runs the shutdown steps once more. Every operation
// the host calls runs guarded: a failure becomes a status with error information whose source is
// pluginsystem.TPlugin. Host user-interface thread only.
#pragma once

#include "PluginAPI/HostInterfaces.h"
#include "PluginAPI/PluginInterfaces.h"
#include "PluginAPI/Plugins/CheckedObject.h"
#include "PluginAPI/Plugins/InterfacePtr.h"
#include "PluginAPI/Plugins/PluginSupport.h"

#include <string_view>

// The host lacks a service the plug-in cannot work without.
CORVANE_BASE_EXCEPTION_CLASS(EUnsupportedCore, EBaseException);

// The plug-in's identity as IPlugin reports it.
namespace PluginIdentity {
// {4D2CDD32-0CF0-4680-A232-B5586B51CCB2}
constexpr GUID Id = {0x4D2CDD32, 0x0CF0, 0x4680, {0xA2, 0x32, 0xB5, 0x58, 0x6B, 0x51, 0xCC, 0xB2}};
// Also the menu command's caption and the dialog's title.
constexpr std::u16string_view Name = u"Verify logbook with LotW user inbox";
constexpr std::u16string_view Version = u"1.04.019 (1905)";
constexpr LONG Category = 1;
constexpr std::u16string_view Copyright = u"Copyright (c) 2026 The Corvane developers";
constexpr std::u16string_view HomePage = u"https://corvane.example.org/";
constexpr std::u16string_view Email = u"corvane@example.org";
// The oldest host core the plug-in works with: the digits of the version text "1.04.019".
constexpr LONG MinimumCoreVersion = 104019;
} // namespace PluginIdentity

class TPlugin final : public TCheckedInterfaces<TImplements<IDestroyNotify, IID_IDestroyNotify>,
                                                TImplements<IPlugin, IID_IPlugin>> {
public:
    // Takes a reference to `core` (not null) and, in this order: checks the core version
    // (below 104019 fails an assertion), asks for IHostKernel (optional), IHostServer (else
    // EUnsupportedCore) and IApplicationWindows (else EInvalidCoreVersion), hands the host's
    // application window to the user-interface layer and registers the Verify command. A
    // failure runs the shutdown steps, so nothing of the host's stays held, and passes on.
    explicit TPlugin(ICore* core);

    const char* ClassName() const override { return "TPlugin"; }

    // IDestroyNotify: removes the menu item, gives up the application window and releases the
    // host interfaces. A refused menu-item removal stops it there and is reported.
    HRESULT PLUGIN_STDCALL Shutdown() override;

    // IPlugin: constants; text results are new system strings the caller owns.
    HRESULT PLUGIN_STDCALL GetID(GUID* id) override;
    HRESULT PLUGIN_STDCALL GetName(BSTR* name) override;
    HRESULT PLUGIN_STDCALL GetVersion(BSTR* version) override;
    HRESULT PLUGIN_STDCALL GetCategory(LONG* category) override;
    HRESULT PLUGIN_STDCALL GetCopyright(BSTR* text) override;
    HRESULT PLUGIN_STDCALL GetHomePage(BSTR* address) override;
    HRESULT PLUGIN_STDCALL GetEmail(BSTR* address) override;

private:
    // Destruction runs the shutdown steps once more.
    ~TPlugin() override;

    void CheckCoreVersion();
    void AcquireHostInterfaces();
    void AdoptApplicationWindow();
    void RegisterVerifyCommand();
    // The Verify command: opens the verification dialog modally with the host's context values
    // and destroys it however the display ends. Without IHostKernel it raises EUnsupportedCore
    // and shows nothing.
    void ShowVerifyDialog(TPluginMenuItem& sender);

    // Shutdown step 1: takes the menu item out of FMenuItem and frees it (raises when the host
    // refuses the removal).
    void FreeMenuItem();
    // Shutdown steps 2 and 3: no application window, then every host interface released in
    // reverse order of acquisition.
    void ReleaseHost() noexcept;
    // All shutdown steps where no failure can be reported: a refused removal is dropped.
    void ShutdownQuietly() noexcept;

    // Stores a constant into the host's variable; a null variable is the EInvalidPointer status.
    template <class T> HRESULT ReturnValue(T* result, const T& value) {
        return SafeCall(*this, [&] { *CheckedResult(result) = value; });
    }
    HRESULT ReturnText(BSTR* result, std::u16string_view text);
    template <class T> static T* CheckedResult(T* result) {
        if (result == nullptr)
            throw EInvalidPointer(u"No variable for the result.");
        return result;
    }

    TInterfacePtr<ICore> FCore;
    TInterfacePtr<IApplicationWindows> FApplicationWindows;
    TInterfacePtr<IHostKernel> FHostKernel;
    TInterfacePtr<IHostServer> FHostServer;
    // Owned; ended with Free().
    TPluginMenuItem* FMenuItem = nullptr;
};
