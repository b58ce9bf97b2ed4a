// Helpers: how failures cross the host/plug-in boundary, and the checked reference-counted
// base of the plug-in's boundary objects.
//
// Outbound: an operation the host calls on a plug-in object runs its body through SafeCall;
// an escaping exception becomes the owner's SafeCallException status plus the thread's error
// information. Inbound: every host call's status goes through CheckHostStatus; a negative
// status raises, through the failure hook installed at library load, the exception that
// StatusToException builds for it. Everything here runs on the caller's thread; reference
// counts change atomically.
#pragma once

#include "Platform/PlatformTypes.h"
#include "PluginAPI/IInterface.h"
#include "PluginAPI/Plugins/Exceptions.h"

#include <atomic>
#include <concepts>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

// {43B2F1E1-E897-4584-A92A-06AE75DF834D}: the GUID of error information with a facility-4 status.
constexpr GUID PluginSystemErrorGUID = {
    0x43B2F1E1, 0xE897, 0x4584, {0xA9, 0x2A, 0x06, 0xAE, 0x75, 0xDF, 0x83, 0x4D}};

// One argument of FormatText: a text for %s or an integer for %d.
class TFormatArg {
public:
    TFormatArg(std::u16string_view text) : FText(text), FIsText(true) {}
    TFormatArg(const std::u16string& text) : TFormatArg(std::u16string_view(text)) {}
    TFormatArg(const char16_t* text) : TFormatArg(std::u16string_view(text)) {}
    template <std::integral T>
    requires(!std::is_same_v<T, bool> && !std::is_same_v<T, char> && !std::is_same_v<T, char16_t> &&
             !std::is_same_v<T, char32_t>) TFormatArg(T value)
        : FInteger(static_cast<std::int64_t>(value)) {}

    bool IsText() const { return FIsText; }
    std::u16string_view Text() const { return FText; }
    std::int64_t Integer() const { return FInteger; }

private:
    std::u16string_view FText;
    std::int64_t FInteger = 0;
    bool FIsText = false;
};

// Fills "%s" (text) and "%d" (integer) placeholders in order; "%%" is a percent sign. A
// placeholder without a matching argument, or any other placeholder, raises EConvertError.
std::u16string FormatText(std::u16string_view format, std::initializer_list<TFormatArg> args);

// Tag of the constructors that keep a received status as it is (see StatusToException).
struct TReceivedStatus {};

// The plug-in's own exception classes. EBaseException computes its status from the class
// actually constructed, so every descendant carries its own class-name code, help context 0.
// The TReceivedStatus constructors build the EOleSysError part from a status received from
// the host instead, with the message rules of EOleSysError.
class EBaseException : public EOleSysError {
public:
    // `className` is the class being constructed; the macro below passes it.
    EBaseException(const char* className, std::u16string message);
    EBaseException(const char* className, std::u16string_view format,
                   std::initializer_list<TFormatArg> args);
    EBaseException(TReceivedStatus, std::u16string message, HRESULT status,
                   std::int32_t helpContext);
    const char* ClassName() const override { return "EBaseException"; }
    [[noreturn]] void Raise() const override { throw *this; }
};

// Declares an exception class of the EBaseException family with the constructors
// Name(message), Name(format, {args...}) and Name(TReceivedStatus{}, message, status, context).
#define CORVANE_BASE_EXCEPTION_CLASS(Name, Parent)                                                 \
    class Name : public Parent {                                                                   \
    public:                                                                                        \
        explicit Name(std::u16string message) : Parent(#Name, std::move(message)) {}               \
        Name(std::u16string_view format, std::initializer_list<TFormatArg> args)                   \
            : Parent(#Name, format, args) {}                                                       \
        Name(TReceivedStatus tag, std::u16string message, HRESULT status,                          \
             std::int32_t helpContext)                                                             \
            : Parent(tag, std::move(message), status, helpContext) {}                              \
        const char* ClassName() const override { return #Name; }                                   \
        [[noreturn]] void Raise() const override { throw *this; }                                  \
                                                                                                   \
    protected:                                                                                     \
        Name(const char* className, std::u16string message)                                        \
            : Parent(className, std::move(message)) {}                                             \
        Name(const char* className, std::u16string_view format,                                    \
             std::initializer_list<TFormatArg> args)                                               \
            : Parent(className, format, args) {}                                                   \
    }

CORVANE_BASE_EXCEPTION_CLASS(ECheckedInterfacedObjectError, EBaseException);
CORVANE_BASE_EXCEPTION_CLASS(ECheckedInterfacedObjectDeleteError, ECheckedInterfacedObjectError);
CORVANE_BASE_EXCEPTION_CLASS(ECheckedInterfacedObjectDoubleFreeError,
                             ECheckedInterfacedObjectError);
CORVANE_BASE_EXCEPTION_CLASS(ECheckedInterfacedObjectUseDeletedError,
                             ECheckedInterfacedObjectError);
CORVANE_BASE_EXCEPTION_CLASS(EInvalidCoreVersion, EBaseException);

// 0x80040000 or the CRC-16 of the class name's UTF-8 bytes.
HRESULT ClassErrorCode(std::string_view className);

// The status an exception stands for at the boundary.
HRESULT ExceptionToStatus(const Exception& e);

// The status a failed boundary operation of an object of class `objectClassName` reports;
// sets the thread's error information (source "pluginsystem." + class name, the message, the
// help context, PluginSystemErrorGUID for a facility-4 status). `e` is null for a failure that
// is no Exception. Never raises: when no error information can be made it returns
// E_UNEXPECTED and leaves the thread's record as it was.
HRESULT HandleSafeCallException(std::string_view objectClassName, const Exception* e);

// The Exception that reports a standard C++ exception at the boundary: EOutOfMemory with its
// text for std::bad_alloc (and whenever the report itself finds no memory), otherwise a plain
// Exception, built in `storage`, whose message is what().
const Exception& StandardExceptionReport(const std::exception& e,
                                         std::optional<Exception>& storage) noexcept;

// A new exception for a failing status, built from (and consuming) the thread's error info.
std::unique_ptr<Exception> StatusToException(HRESULT status);

// Raises what StatusToException builds, with `callSite` as its address. Never returns.
[[noreturn]] void RaiseStatusError(HRESULT status, const TCallSite& callSite);

// The process-wide failure hook: installed when the library loads, removed when it unloads.
using TFailureHook = void (*)(HRESULT status, const TCallSite& callSite);
TFailureHook FailureHook();
void SetFailureHook(TFailureHook hook);

// The test after every host call: a negative status goes to the failure hook. With no hook
// installed (the library is unloading) the status is still raised, never taken as success.
inline void CheckHostStatus(HRESULT status, const TCallSite& callSite = TCallSite::Current()) {
    if (status < 0) {
        if (TFailureHook hook = FailureHook())
            hook(status, callSite);
        RaiseStatusError(status, callSite);
    }
}

// Runs the body of a boundary operation: 0 when it completes, otherwise what
// owner.SafeCallException gives for the escaping exception (a standard C++ exception as
// StandardExceptionReport describes it). Never lets an exception out.
template <class TOwner, class TBody> HRESULT SafeCall(TOwner& owner, TBody&& body) noexcept {
    try {
        std::forward<TBody>(body)();
        return S_OK;
    } catch (const Exception& e) {
        return owner.SafeCallException(&e);
    } catch (const std::exception& e) {
        std::optional<Exception> storage;
        return owner.SafeCallException(&StandardExceptionReport(e, storage));
    } catch (...) {
        return owner.SafeCallException(nullptr);
    }
}

// The reference-counted base of the plug-in's boundary objects, with misuse detection.
//
// Create objects with CreateCheckedObject<T>(...): the count is 1 while constructors run and
// drops to 0 after the last one (AfterConstruction), so a reference taken and dropped inside a
// constructor does not destroy the object. A constructor that fails frees the object at once,
// without BeforeDestruction's tests. CheckedRelease to 0 destroys the object; Free() destroys
// it explicitly. Destruction first runs BeforeDestruction, which raises
// ECheckedInterfacedObjectDeleteError while references are held and
// ECheckedInterfacedObjectDoubleFreeError once destruction has begun; either leaves the object
// alive and unchanged. From then until the storage goes the count is -1, and CheckedAddRef
// raises ECheckedInterfacedObjectUseDeletedError. A boundary object derives from
// TCheckedInterfaces below rather than from this class directly.
class TCheckedInterfacedObject {
public:
    TCheckedInterfacedObject(const TCheckedInterfacedObject&) = delete;
    TCheckedInterfacedObject& operator=(const TCheckedInterfacedObject&) = delete;

    // The exact class name of the most derived class.
    virtual const char* ClassName() const = 0;
    // "[$XXXXXXXX] ClassName": the object's address in upper-case hexadecimal (at least 8
    // digits) and its class name, cut to 99 characters. Valid once construction has ended.
    std::string DebugTag() const;
    LONG RefCount() const { return FRefCount.load(); }

    // Raises ECheckedInterfacedObjectUseDeletedError once destruction has begun; otherwise
    // increments the count and returns the new value.
    LONG CheckedAddRef();
    // Decrements the count and destroys the object when it reaches 0; returns the new value.
    LONG CheckedRelease();
    // Destroys the object: BeforeDestruction's tests, then the destructor.
    void Free();
    // HandleSafeCallException with this object's class name.
    virtual HRESULT SafeCallException(const Exception* e);

    // Called once by CreateCheckedObject after the last constructor.
    void AfterConstruction();

protected:
    TCheckedInterfacedObject() = default;
    virtual ~TCheckedInterfacedObject() = default;
    // Raises the misuse exceptions; on success marks destruction as begun (count -1). An
    // override calls this one first.
    virtual void BeforeDestruction();

    // The IInterface operations as the host sees them: no exception leaves them. A misuse
    // exception becomes this object's error information (SafeCallException); AddRef and
    // Release then answer the count as it stands, QueryInterface the exception's status.
    // `found` is the interface pointer for the requested IID, null when it is not offered.
    HRESULT BoundaryQueryInterface(void* found, void** object) noexcept;
    LONG BoundaryAddRef() noexcept;
    LONG BoundaryRelease() noexcept;

private:
    std::atomic<LONG> FRefCount{1};
};

template <class T, class... TArgs> T* CreateCheckedObject(TArgs&&... args) {
    T* object = new T(std::forward<TArgs>(args)...);
    object->AfterConstruction();
    return object;
}

// One interface a boundary object offers, with its IID.
template <class TInterface, GUID Iid> struct TImplements {
    using Interface = TInterface;
    static constexpr GUID Id = Iid;
};

// A checked object that offers the listed interfaces and answers their IInterface operations:
// QueryInterface finds IInterface (as the first listed interface) and each listed IID, and
// AddRef/Release are the checked count's. The derived class implements ClassName() and the
// interfaces' own operations, running each body through SafeCall(*this, ...). For example:
//
//   class TPlugin : public TCheckedInterfaces<TImplements<IDestroyNotify, IID_IDestroyNotify>,
//                                             TImplements<IPlugin, IID_IPlugin>> { ... };
template <class... TOffered>
class TCheckedInterfaces : public TCheckedInterfacedObject, public TOffered::Interface... {
    static_assert(sizeof...(TOffered) > 0, "a boundary object offers at least one interface");
    using TFirst = std::tuple_element_t<0, std::tuple<typename TOffered::Interface...>>;

public:
    HRESULT PLUGIN_STDCALL QueryInterface(REFIID iid, void** object) override {
        return BoundaryQueryInterface(Find(iid), object);
    }
    LONG PLUGIN_STDCALL AddRef() override { return BoundaryAddRef(); }
    LONG PLUGIN_STDCALL Release() override { return BoundaryRelease(); }

private:
    void* Find(REFIID iid) {
        if (iid == IID_IInterface)
            return static_cast<IInterface*>(static_cast<TFirst*>(this));
        void* found = nullptr;
        ((found == nullptr&& iid == TOffered::Id
              ? found = static_cast<typename TOffered::Interface*>(this)
              : found),
         ...);
        return found;
    }
};
