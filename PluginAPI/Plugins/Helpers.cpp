#include "PluginAPI/Plugins/Helpers.h"

#include "Platform/ErrorInfo.h"
#include "Platform/Locale.h"
#include "Platform/SysString.h"
#include "PluginAPI/Plugins/CRC16.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>
#include <vector>

namespace {

constexpr std::uint32_t ClassCodeBase = 0x80040000u;
constexpr unsigned FacilityItf = 4;
constexpr unsigned FacilityWin32 = 7;
constexpr GUID ZeroGUID{};
constexpr std::size_t DebugTagLimit = 99;

unsigned Facility(HRESULT status) {
    return (static_cast<std::uint32_t>(status) >> 16) & 0x1FFFu;
}

std::u16string Widen(std::string_view ascii) {
    return Platform::Utf8ToUtf16(ascii);
}

// Releases an interface reference when the scope ends.
template <class I> struct TReleaser {
    void operator()(I* object) const { object->Release(); }
};
template <class I> using TOwnedInterface = std::unique_ptr<I, TReleaser<I>>;

// ---- Formatting ----

[[noreturn]] void RaiseBadFormat(std::u16string_view format) {
    throw EConvertError(u"Invalid format text or argument: '" + std::u16string(format) + u"'");
}

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
        if constexpr (std::is_base_of_v<EOSError, E>) {
            e->SetErrorCode(static_cast<std::uint32_t>(r.Status) & 0xFFFFu);
            e->SetReceivedStatus(r.Status);
        }
        return e;
    }
}

using TBuilder = std::unique_ptr<Exception> (*)(const TReceivedError&);

struct TClassEntry {
    HRESULT Code;
    TBuilder Builder;
};

#define CORVANE_CLASS_ENTRY(Name)                                                                  \
    TClassEntry {                                                                                  \
        ClassErrorCode(#Name), &Build<Name>                                                        \
    }

// The classes a received class-name code turns back into, sorted by code.
std::vector<TClassEntry> MakeClassTable() {
    std::vector<TClassEntry> table = {
        CORVANE_CLASS_ENTRY(ECheckedInterfacedObjectError),
        CORVANE_CLASS_ENTRY(ECheckedInterfacedObjectDeleteError),
        CORVANE_CLASS_ENTRY(ECheckedInterfacedObjectDoubleFreeError),
        CORVANE_CLASS_ENTRY(ECheckedInterfacedObjectUseDeletedError),
        CORVANE_CLASS_ENTRY(EInvalidCoreVersion),
        CORVANE_CLASS_ENTRY(EAbort),
        CORVANE_CLASS_ENTRY(EAbstractError),
        CORVANE_CLASS_ENTRY(EArgumentException),
        CORVANE_CLASS_ENTRY(EArgumentOutOfRangeException),
        CORVANE_CLASS_ENTRY(EAssertionFailed),
        CORVANE_CLASS_ENTRY(EBitsError),
        CORVANE_CLASS_ENTRY(EClassNotFound),
        CORVANE_CLASS_ENTRY(EComponentError),
        CORVANE_CLASS_ENTRY(EConvertError),
        CORVANE_CLASS_ENTRY(EDirectoryNotFoundException),
        CORVANE_CLASS_ENTRY(EFCreateError),
        CORVANE_CLASS_ENTRY(EFOpenError),
        CORVANE_CLASS_ENTRY(EFileNotFoundException),
        CORVANE_CLASS_ENTRY(EFileStreamError),
        CORVANE_CLASS_ENTRY(EFilerError),
        CORVANE_CLASS_ENTRY(EHeapException),
        CORVANE_CLASS_ENTRY(EInOutError),
        CORVANE_CLASS_ENTRY(EIntfCastError),
        CORVANE_CLASS_ENTRY(EInvalidCast),
        CORVANE_CLASS_ENTRY(EInvalidContainer),
        CORVANE_CLASS_ENTRY(EInvalidImage),
        CORVANE_CLASS_ENTRY(EInvalidInsert),
        CORVANE_CLASS_ENTRY(EInvalidOperation),
        CORVANE_CLASS_ENTRY(EInvalidPointer),
        CORVANE_CLASS_ENTRY(EListError),
        CORVANE_CLASS_ENTRY(EMethodNotFound),
        CORVANE_CLASS_ENTRY(EMonitor),
        CORVANE_CLASS_ENTRY(EMonitorLockException),
        CORVANE_CLASS_ENTRY(ENoConstructException),
        CORVANE_CLASS_ENTRY(ENoMonitorSupportException),
        CORVANE_CLASS_ENTRY(ENotSupportedException),
        CORVANE_CLASS_ENTRY(EOutOfMemory),
        CORVANE_CLASS_ENTRY(EOutOfResources),
        CORVANE_CLASS_ENTRY(EPackageError),
        CORVANE_CLASS_ENTRY(EParserError),
        CORVANE_CLASS_ENTRY(EPathTooLongException),
        CORVANE_CLASS_ENTRY(EProgrammerNotFound),
        CORVANE_CLASS_ENTRY(EPropReadOnly),
        CORVANE_CLASS_ENTRY(EPropWriteOnly),
        CORVANE_CLASS_ENTRY(EReadError),
        CORVANE_CLASS_ENTRY(EResNotFound),
        CORVANE_CLASS_ENTRY(EStreamError),
        CORVANE_CLASS_ENTRY(EStringListError),
        CORVANE_CLASS_ENTRY(EVariantError),
        CORVANE_CLASS_ENTRY(EWriteError),
    };
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

// Made at load time, so that reporting exhausted memory needs none.
const EOutOfMemory OutOfMemoryReport(u"Out of memory.");

} // namespace

// ---- Formatting and the plug-in's exception classes ----

std::u16string FormatText(std::u16string_view format, std::initializer_list<TFormatArg> args) {
    std::u16string out;
    const TFormatArg* next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            out.push_back(format[i]);
            continue;
        }
        if (++i == format.size())
            RaiseBadFormat(format);
        const char16_t kind = format[i];
        if (kind == u'%') {
            out.push_back(u'%');
            continue;
        }
        if (next == args.end())
            RaiseBadFormat(format);
        const TFormatArg& arg = *next++;
        if (kind == u's' && arg.IsText())
            out += arg.Text();
        else if (kind == u'd' && !arg.IsText())
            out += Widen(std::to_string(arg.Integer()));
        else
            RaiseBadFormat(format);
    }
    return out;
}

EBaseException::EBaseException(const char* className, std::u16string message)
    : EOleSysError(std::move(message), ClassErrorCode(className), 0) {}

EBaseException::EBaseException(const char* className, std::u16string_view format,
                               std::initializer_list<TFormatArg> args)
    : EBaseException(className, FormatText(format, args)) {}

EBaseException::EBaseException(TReceivedStatus, std::u16string message, HRESULT status,
                               std::int32_t helpContext)
    : EOleSysError(std::move(message), status, helpContext) {}

// ---- Status codes ----

HRESULT ClassErrorCode(std::string_view className) {
    const std::uint16_t crc = Crc16(className.data(), static_cast<std::int64_t>(className.size()));
    return static_cast<HRESULT>(ClassCodeBase | crc);
}

HRESULT ExceptionToStatus(const Exception& e) {
    if (std::string_view(e.ClassName()) == "Exception")
        return E_UNEXPECTED;
    if (const auto* ole = dynamic_cast<const EOleSysError*>(&e))
        return ole->ErrorCode();
    if (const auto* os = dynamic_cast<const EOSError*>(&e)) {
        if (os->ErrorCode() == 0)
            return FAILED(os->ReceivedStatus()) ? os->ReceivedStatus() : S_OK;
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

const Exception& StandardExceptionReport(const std::exception& e,
                                         std::optional<Exception>& storage) noexcept {
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr)
        return OutOfMemoryReport;
    try {
        return storage.emplace(Platform::Utf8ToUtf16(e.what()));
    } catch (...) {
        return OutOfMemoryReport;
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

// ---- TCheckedInterfacedObject ----

std::string TCheckedInterfacedObject::DebugTag() const {
    char buffer[DebugTagLimit + 1];
    std::snprintf(buffer, sizeof buffer, "[$%.8jX] %s",
                  static_cast<std::uintmax_t>(
                      reinterpret_cast<std::uintptr_t>(dynamic_cast<const void*>(this))),
                  ClassName());
    return buffer;
}

LONG TCheckedInterfacedObject::CheckedAddRef() {
    if (FRefCount.load() < 0)
        throw ECheckedInterfacedObjectUseDeletedError(u"Usage attempt with just deleted object %s",
                                                      {Widen(DebugTag())});
    return ++FRefCount;
}

LONG TCheckedInterfacedObject::CheckedRelease() {
    const LONG count = --FRefCount;
    if (count == 0)
        Free();
    return count;
}

void TCheckedInterfacedObject::Free() {
    BeforeDestruction();
    delete this;
}

HRESULT TCheckedInterfacedObject::SafeCallException(const Exception* e) {
    return HandleSafeCallException(ClassName(), e);
}

void TCheckedInterfacedObject::AfterConstruction() {
    --FRefCount;
}

void TCheckedInterfacedObject::BeforeDestruction() {
    const LONG count = FRefCount.load();
    if (count < 0)
        throw ECheckedInterfacedObjectDoubleFreeError(
            u"Object deletion attempt with just deleted one %s", {Widen(DebugTag())});
    if (count > 0)
        throw ECheckedInterfacedObjectDeleteError(
            u"Object deletion attempt %s with active interface link; counter: %d",
            {Widen(DebugTag()), count});
    FRefCount.store(-1);
}

HRESULT TCheckedInterfacedObject::BoundaryQueryInterface(void* found, void** object) noexcept {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (found == nullptr)
        return E_NOINTERFACE;
    const HRESULT status = SafeCall(*this, [this] { CheckedAddRef(); });
    if (SUCCEEDED(status))
        *object = found;
    return status;
}

LONG TCheckedInterfacedObject::BoundaryAddRef() noexcept {
    LONG count = 0;
    if (FAILED(SafeCall(*this, [&] { count = CheckedAddRef(); })))
        return RefCount();
    return count;
}

LONG TCheckedInterfacedObject::BoundaryRelease() noexcept {
    LONG count = 0;
    if (FAILED(SafeCall(*this, [&] { count = CheckedRelease(); })))
        return RefCount();
    return count;
}
