// The library's two exports and the plug-in object.
#include "Plugins/Corvane/Corvane.h"

#include "Platform/SysString.h"
#include "Plugins/Corvane/HostCalls.h"
#include "Plugins/Corvane/uCorvane.h"
#include "Toolkit/Application.h"

#include <memory>
#include <utility>

namespace {

// Where the assertion for a too old host core points.
constexpr std::u16string_view kUnitSource = u"Plugins\\Corvane\\Corvane";
constexpr int kCoreVersionLine = 73;

constexpr std::u16string_view kMenuHint =
    u"Verify your current logbook with ARRL LotW inbox data (uploaded QSO)";
constexpr std::u16string_view kUnsupportedCore = u"Host does not support required functionality."
                                                 u"\r\nUpgrade your application to latest version.";
// The section of the host's settings file that holds the account.
constexpr std::u16string_view kSettingsSection = u"LotW Inbox";

// The owner window of the plug-in's top-level windows: the host's application window while a
// plug-in object lives, none otherwise. The toolkit learns it only when a dialog is about to be
// shown, so that a plug-in whose command is never picked starts no user-interface application
// of its own.
HWND GApplicationWindow = nullptr;
bool GToolkitInUse = false;

void SetApplicationWindow(HWND window) {
    GApplicationWindow = window;
    if (GToolkitInUse)
        Toolkit::Application().SetApplicationWindow(window);
}

void StartToolkit() {
    GToolkitInUse = true;
    Toolkit::Application().SetApplicationWindow(GApplicationWindow);
}

} // namespace

TPlugin::TPlugin(ICore* core) : FCore(core) {
    try {
        CheckCoreVersion();
        AcquireHostInterfaces();
        AdoptApplicationWindow();
        RegisterVerifyCommand();
    } catch (...) {
        ShutdownQuietly();
        throw;
    }
}

TPlugin::~TPlugin() {
    ShutdownQuietly();
}

void TPlugin::CheckCoreVersion() {
    LONG version = 0;
    CheckHostStatus(FCore->GetVersion(&version));
    if (version < PluginIdentity::MinimumCoreVersion)
        RaiseAssertion(kUnitSource, kCoreVersionLine);
}

void TPlugin::AcquireHostInterfaces() {
    FHostKernel.Query(FCore.Get(), IID_IHostKernel);
    if (FHostServer.Query(FCore.Get(), IID_IHostServer) < 0 || !FHostServer)
        throw EUnsupportedCore(std::u16string(kUnsupportedCore));
    if (FApplicationWindows.Query(FCore.Get(), IID_IApplicationWindows) < 0 || !FApplicationWindows)
        throw EInvalidCoreVersion(u"This plugin needs windows support.");
}

void TPlugin::AdoptApplicationWindow() {
    HWND window = nullptr;
    CheckHostStatus(FApplicationWindows->GetApplicationHandle(&window));
    SetApplicationWindow(window);
}

void TPlugin::RegisterVerifyCommand() {
    LONG category = 0;
    CheckHostStatus(GetCategory(&category));
    FMenuItem = new TPluginMenuItem(FCore.Get(), category);
    FMenuItem->SetOnClick([this](TPluginMenuItem& sender) { ShowVerifyDialog(sender); });
    CheckHostStatus(FMenuItem->MenuItem()->SetCaption(TSysString(PluginIdentity::Name).Get()));
    CheckHostStatus(FMenuItem->MenuItem()->SetHint(TSysString(kMenuHint).Get()));
}

void TPlugin::ShowVerifyDialog(TPluginMenuItem&) {
    // A host may start the plug-in without offering IHostKernel; the dialog cannot work then.
    if (!FHostKernel)
        throw EUnsupportedCore(std::u16string(kUnsupportedCore));
    StartToolkit();
    TDialogContext context{.HostKernel = FHostKernel,
                           .HostServer = FHostServer,
                           .SettingsPath = GetHostValue(*FHostKernel.Get(), u"APPINI"),
                           .SettingsSection = std::u16string(kSettingsSection),
                           .Resource = std::u16string(DefaultResource),
                           .OperatorCall = GetHostValue(*FHostKernel.Get(), u"LOG.OPERATOR")};
    const auto dialog = std::make_unique<TfrmCorvane>(FCore.Get(), std::move(context));
    dialog->SetCaption(PluginIdentity::Name);
    dialog->ShowModal();
}

void TPlugin::FreeMenuItem() {
    if (TPluginMenuItem* item = std::exchange(FMenuItem, nullptr)) {
        // An item the host refuses to remove stays alive and clickable; it must no longer
        // reach this object, which may be gone by then.
        item->SetOnClick({});
        item->Free();
    }
}

void TPlugin::ReleaseHost() noexcept {
    SetApplicationWindow(nullptr);
    FHostServer.Reset();
    FHostKernel.Reset();
    FApplicationWindows.Reset();
    FCore.Reset();
}

void TPlugin::ShutdownQuietly() noexcept {
    try {
        FreeMenuItem();
    } catch (...) {
        // The host refused to remove the item and keeps it; nobody is left to tell.
    }
    ReleaseHost();
}

HRESULT PLUGIN_STDCALL TPlugin::Shutdown() {
    return SafeCall(*this, [this] {
        FreeMenuItem();
        ReleaseHost();
    });
}

HRESULT TPlugin::ReturnText(BSTR* result, std::u16string_view text) {
    return SafeCall(*this, [&] {
        *CheckedResult(result) = nullptr;
        *result = SysStringFrom(text);
        if (*result == nullptr)
            throw EOutOfMemory(u"Out of memory.");
    });
}

HRESULT PLUGIN_STDCALL TPlugin::GetID(GUID* id) {
    return ReturnValue(id, PluginIdentity::Id);
}

HRESULT PLUGIN_STDCALL TPlugin::GetName(BSTR* name) {
    return ReturnText(name, PluginIdentity::Name);
}

HRESULT PLUGIN_STDCALL TPlugin::GetVersion(BSTR* version) {
    return ReturnText(version, PluginIdentity::Version);
}

HRESULT PLUGIN_STDCALL TPlugin::GetCategory(LONG* category) {
    return ReturnValue(category, PluginIdentity::Category);
}

HRESULT PLUGIN_STDCALL TPlugin::GetCopyright(BSTR* text) {
    return ReturnText(text, PluginIdentity::Copyright);
}

HRESULT PLUGIN_STDCALL TPlugin::GetHomePage(BSTR* address) {
    return ReturnText(address, PluginIdentity::HomePage);
}

HRESULT PLUGIN_STDCALL TPlugin::GetEmail(BSTR* address) {
    return ReturnText(address, PluginIdentity::Email);
}

// The exports carry names that begin with a digit, which only assembler labels allow. A label
// is the symbol exactly as written, so it carries the target's own prefix for C names ("_" on
// i686 Windows, where the module definition file finds the names; none on ELF, where the
// linker's version script keeps every other symbol inside the library).
#define PLUGIN_LABEL_TEXT(prefix) #prefix
#define PLUGIN_LABEL_PREFIX(prefix) PLUGIN_LABEL_TEXT(prefix)
#define PLUGIN_EXPORT_LABEL(name) __asm__("\"" PLUGIN_LABEL_PREFIX(__USER_LABEL_PREFIX__) name "\"")
#if defined(_WIN32)
#define PLUGIN_EXPORT_VISIBLE
#else
#define PLUGIN_EXPORT_VISIBLE __attribute__((visibility("default")))
#endif

extern "C" {

PLUGIN_EXPORT_VISIBLE HRESULT PLUGIN_STDCALL PluginEntry(ICore* core, IPlugin** plugin) noexcept
    PLUGIN_EXPORT_LABEL(PLUGIN_ENTRY_NAME);
PLUGIN_EXPORT_VISIBLE HRESULT PLUGIN_STDCALL PluginDone() noexcept
    PLUGIN_EXPORT_LABEL(PLUGIN_DONE_NAME);

// Creates a plug-in object and hands out its IPlugin face with the object's only reference.
// Any failure, including a missing core or result variable, gives E_UNEXPECTED, a null result
// and no error information; the host keeps nothing of a failed attempt.
HRESULT PLUGIN_STDCALL PluginEntry(ICore* core, IPlugin** plugin) noexcept {
    if (plugin != nullptr)
        *plugin = nullptr;
    if (core == nullptr || plugin == nullptr)
        return E_UNEXPECTED;
    try {
        IPlugin* face = CreateCheckedObject<TPlugin>(core);
        face->AddRef();
        *plugin = face;
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT PLUGIN_STDCALL PluginDone() noexcept {
    return S_OK;
}

} // extern "C"
