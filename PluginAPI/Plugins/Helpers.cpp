#include "PluginAPI/Plugins/Helpers.h"

#include "Platform/ErrorInfo.h"
#include "Platform/Locale.h"
#include "Platform/SysString.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr unsigned FacilityItf = 4;
constexpr unsigned FacilityWin32 = 7;
constexpr GUID ZeroGUID{};

unsigned Facility(HRESULT status) {
    return (static_cast<std::uint32_t>(status) >> 16) & 0x1FFFu;
}

// Releases an interface reference when the scope ends.
template <class I> struct TReleaser {
    void operator()(I* object) const { object->Release(); }
};
template <class I> using TOwnedInterface = std::unique_ptr<I, TReleaser<I>>;

// ---- Error information received with a failing status ----

struct TReceivedError {
    HRESULT Status = 0;
    std::u16string Source;
    std::u16string Description;
    std::u16string HelpFile;
    std::int32_t HelpContext = 0;
};

// Takes the thread's error information away; all fields stay empty when there is none.
TReceivedError TakeErrorInfo(HRESULT status) {
    TReceivedError received;
    received.Status = status;
    IErrorInfo* raw = nullptr;
    if (GetErrorInfo(0, &raw) != S_OK || raw == nullptr)
        return received;
    TOwnedInterface<IErrorInfo> info(raw);
    TSysString source, description, helpFile;
    DWORD helpContext = 0;
    info->GetSource(source.Out());
    info->GetDescription(description.Out());
    info->GetHelpFile(helpFile.Out());
    info->GetHelpContext(&helpContext);
    received.Source = source.Text();
    received.Description = description.Text();
    received.HelpFile = helpFile.Text();
    received.HelpContext = static_cast<std::int32_t>(helpContext);
    return received;
}

// Builds an exception of class E from a received status, by the construction its kind takes.
template <class E> std::unique_ptr<Exception> Build(const TReceivedError& r) {
    if constexpr (std::is_base_of_v<EOleException, E>) {
        return std::make_unique<E>(r.Description, r.Status, r.Source, r.HelpFile, r.HelpContext);
    } else if constexpr (std::is_base_of_v<EBaseException, E>) {
        return std::make_unique<E>(TReceivedStatus{}, r.Description, r.Status, r.HelpContext);
    } else if constexpr (std::is_base_of_v<EOleSysError, E>) {
        return std::make_unique<E>(r.Description, r.Status, r.HelpContext);
    } else {
        auto e = std::make_unique<E>(r.Description);
        if constexpr (std::is_base_of_v<EOSError, E>)
            e->SetErrorCode(static_cast<std::uint32_t>(r.Status) & 0xFFFFu);
        return e;
    }
}

using TBuilder = std::unique_ptr<Exception> (*)(const TReceivedError&);

struct TClassEntry {
    HRESULT Code;
    TBuilder Builder;
};

#define CORVANE_CLASS_ENTRY(Name, Parent) TClassEntry{ClassErrorCode(#Name), &Build<Name>},

// The classes a received class-name code turns back into, sorted by code: every class of the
// plug-in framework's list and of the run-time support's list.
std::vector<TClassEntry> MakeClassTable() {
    std::vector<TClassEntry> table = {CORVANE_PLUGIN_EXCEPTION_CLASSES(CORVANE_CLASS_ENTRY)
                                          CORVANE_RUNTIME_EXCEPTION_CLASSES(CORVANE_CLASS_ENTRY)};
    std::sort(table.begin(), table.end(),
              [](const TClassEntry& a, const TClassEntry& b) { return a.Code < b.Code; });
    return table;
}

#undef CORVANE_CLASS_ENTRY

TBuilder ClassBuilder(HRESULT status) {
    if (Facility(status) == FacilityWin32)
        return &Build<EOSError>;
    static const std::vector<TClassEntry> table = MakeClassTable();
    const auto found =
        std::lower_bound(table.begin(), table.end(), status,
                         [](const TClassEntry& entry, HRESULT code) { return entry.Code < code; });
    if (found != table.end() && found->Code == status)
        return found->Builder;
    return &Build<EOleException>;
}

// ---- The failure hook ----

TFailureHook CurrentFailureHook = nullptr;

// Installs RaiseStatusError as the failure hook while the library is loaded.
struct TFailureHookInstaller {
    TFailureHookInstaller() { SetFailureHook(&RaiseStatusError); }
    ~TFailureHookInstaller() { SetFailureHook(nullptr); }
    TFailureHookInstaller(const TFailureHookInstaller&) = delete;
    TFailureHookInstaller& operator=(const TFailureHookInstaller&) = delete;
};

const TFailureHookInstaller FailureHookInstaller;

} // namespace

// ---- Status codes ----

HRESULT ExceptionToStatus(const Exception& e) {
    if (std::string_view(e.ClassName()) == "Exception")
        return E_UNEXPECTED;
    if (const auto* ole = dynamic_cast<const EOleSysError*>(&e))
        return ole->ErrorCode();
    if (const auto* os = dynamic_cast<const EOSError*>(&e)) {
        if (os->ErrorCode() == 0)
            return S_OK;
        return static_cast<HRESULT>(0x80070000u | (os->ErrorCode() & 0xFFFFu));
    }
    return ClassErrorCode(e.ClassName());
}

HRESULT HandleSafeCallException(std::string_view objectClassName, const Exception* e) {
    try {
        ICreateErrorInfo* raw = nullptr;
        if (FAILED(CreateErrorInfo(&raw)) || raw == nullptr)
            return E_UNEXPECTED;
        TOwnedInterface<ICreateErrorInfo> created(raw);

        const TSysString source(u"pluginsystem." + Platform::Utf8ToUtf16(objectClassName));
        created->SetSource(source.Get());
        HRESULT status = E_UNEXPECTED;
        if (e != nullptr) {
            const TSysString description(e->Message());
            created->SetDescription(description.Get());
            created->SetHelpContext(static_cast<DWORD>(e->HelpContext()));
            status = ExceptionToStatus(*e);
        }
        created->SetGUID(Facility(status) == FacilityItf ? PluginSystemErrorGUID : ZeroGUID);

        void* info = nullptr;
        if (SUCCEEDED(created->QueryInterface(IID_IErrorInfo, &info)) && info != nullptr) {
            TOwnedInterface<IErrorInfo> errorInfo(static_cast<IErrorInfo*>(info));
            SetErrorInfo(0, errorInfo.get());
        }
        return status;
    } catch (...) {
        // Out of memory while describing the failure: report it without error information.
        return E_UNEXPECTED;
    }
}

std::unique_ptr<Exception> StatusToException(HRESULT status) {
    const TBuilder build = ClassBuilder(status);
    return build(TakeErrorInfo(status));
}

void RaiseStatusError(HRESULT status, const TCallSite& callSite) {
    std::unique_ptr<Exception> e = StatusToException(status);
    e->SetAddress(callSite);
    e->Raise();
    __builtin_unreachable(); // Raise() is [[noreturn]], which a virtual call does not carry
}

TFailureHook FailureHook() {
    return CurrentFailureHook;
}

void SetFailureHook(TFailureHook hook) {
    CurrentFailureHook = hook;
}
