// Exceptions: the exception classes of the plug-in's run-time support and their class names.
//
// Inside the plug-in every failure is a C++ exception of a class derived from `Exception`.
// Each class reports its exact name through ClassName(); that name is significant, since its
// CRC-16 is the status code by which the class crosses the boundary. Raise() throws a copy of
// the object as its own most derived class, so an exception built at run time (for example
// from a received status) is caught by its real type. Classes are declared with
// CORVANE_EXCEPTION_CLASS(Name, Parent), which gives them Parent's constructors.
#pragma once

#include "Platform/PlatformTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// A place in the source: where an exception was raised or a host call was made. Current()
// used as a default argument gives the caller's place (std::source_location is not available
// with every compiler the plug-in is built with).
struct TCallSite {
    const char* File = "";
    int Line = 0;
    const char* Function = "";

    static constexpr TCallSite Current(const char* file = __builtin_FILE(),
                                       int line = __builtin_LINE(),
                                       const char* function = __builtin_FUNCTION()) {
        return {file, line, function};
    }
};

// The root: a message and a 32-bit help context. `Address()` is where it was raised.
class Exception {
public:
    explicit Exception(std::u16string message, std::int32_t helpContext = 0);
    virtual ~Exception() = default;

    virtual const char* ClassName() const { return "Exception"; }
    [[noreturn]] virtual void Raise() const { throw *this; }
    const std::u16string& Message() const { return FMessage; }
    std::int32_t HelpContext() const { return FHelpContext; }
    const TCallSite& Address() const { return FAddress; }
    void SetAddress(const TCallSite& address) { FAddress = address; }

protected:
    void SetMessage(std::u16string message) { FMessage = std::move(message); }

private:
    std::u16string FMessage;
    std::int32_t FHelpContext;
    TCallSite FAddress;
};

#define CORVANE_EXCEPTION_CLASS(Name, Parent)                                                      \
    class Name : public Parent {                                                                   \
    public:                                                                                        \
        using Parent::Parent;                                                                      \
        const char* ClassName() const override { return #Name; }                                   \
        [[noreturn]] void Raise() const override { throw *this; }                                  \
    }

// An OLE failure carrying a status. An empty message becomes the system's text for the status,
// or "OLE error %.8X" when the system has none.
CORVANE_EXCEPTION_CLASS(EOleError, Exception);
class EOleSysError : public EOleError {
public:
    EOleSysError(std::u16string message, HRESULT errorCode, std::int32_t helpContext);
    const char* ClassName() const override { return "EOleSysError"; }
    [[noreturn]] void Raise() const override { throw *this; }
    HRESULT ErrorCode() const { return FErrorCode; }

private:
    HRESULT FErrorCode;
};

// A failure reported with error information: trailing characters up to code 32 and trailing
// full stops are removed from the message.
class EOleException : public EOleSysError {
public:
    EOleException(const std::u16string& message, HRESULT errorCode, std::u16string source,
                  std::u16string helpFile, std::int32_t helpContext);
    const char* ClassName() const override { return "EOleException"; }
    [[noreturn]] void Raise() const override { throw *this; }
    const std::u16string& Source() const { return FSource; }
    const std::u16string& HelpFile() const { return FHelpFile; }

private:
    std::u16string FSource;
    std::u16string FHelpFile;
};

// An operating-system failure with its error code.
class EOSError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EOSError"; }
    [[noreturn]] void Raise() const override { throw *this; }
    std::uint32_t ErrorCode() const { return FErrorCode; }
    void SetErrorCode(std::uint32_t code) { FErrorCode = code; }

private:
    std::uint32_t FErrorCode = 0;
};

// The run-time support's classes that the boundary recognises by name, each with its parent,
// parents first. The declarations below and the boundary's table of the class codes it turns
// back into exceptions are both made from this one list: X(Name, Parent) for each class.
#define CORVANE_RUNTIME_EXCEPTION_CLASSES(X)                                                       \
    X(EAbort, Exception)                                                                           \
    X(EAbstractError, Exception)                                                                   \
    X(EArgumentException, Exception)                                                               \
    X(EArgumentOutOfRangeException, EArgumentException)                                            \
    X(EAssertionFailed, Exception)                                                                 \
    X(EBitsError, Exception)                                                                       \
    X(EComponentError, Exception)                                                                  \
    X(EConvertError, Exception)                                                                    \
    X(EDirectoryNotFoundException, Exception)                                                      \
    X(EFileNotFoundException, Exception)                                                           \
    X(EStreamError, Exception)                                                                     \
    X(EFileStreamError, EStreamError)                                                              \
    X(EFCreateError, EFileStreamError)                                                             \
    X(EFOpenError, EFileStreamError)                                                               \
    X(EFilerError, EStreamError)                                                                   \
    X(EReadError, EFilerError)                                                                     \
    X(EWriteError, EFilerError)                                                                    \
    X(EClassNotFound, EFilerError)                                                                 \
    X(EMethodNotFound, EFilerError)                                                                \
    X(EInvalidImage, EFilerError)                                                                  \
    X(EHeapException, Exception)                                                                   \
    X(EOutOfMemory, EHeapException)                                                                \
    X(EOutOfResources, EOutOfMemory)                                                               \
    X(EInvalidPointer, EHeapException)                                                             \
    X(EInOutError, Exception)                                                                      \
    X(EIntfCastError, Exception)                                                                   \
    X(EInvalidCast, Exception)                                                                     \
    X(EInvalidContainer, Exception)                                                                \
    X(EInvalidInsert, Exception)                                                                   \
    X(EInvalidOperation, Exception)                                                                \
    X(EListError, Exception)                                                                       \
    X(EMonitor, Exception)                                                                         \
    X(EMonitorLockException, EMonitor)                                                             \
    X(ENoMonitorSupportException, EMonitor)                                                        \
    X(ENoConstructException, Exception)                                                            \
    X(ENotSupportedException, Exception)                                                           \
    X(EPackageError, Exception)                                                                    \
    X(EParserError, Exception)                                                                     \
    X(EPathTooLongException, Exception)                                                            \
    X(EProgrammerNotFound, Exception)                                                              \
    X(EPropReadOnly, Exception)                                                                    \
    X(EPropWriteOnly, Exception)                                                                   \
    X(EResNotFound, Exception)                                                                     \
    X(EStringListError, Exception)                                                                 \
    X(EVariantError, Exception)

#define CORVANE_DECLARE_EXCEPTION_CLASS(Name, Parent) CORVANE_EXCEPTION_CLASS(Name, Parent);
CORVANE_RUNTIME_EXCEPTION_CLASSES(CORVANE_DECLARE_EXCEPTION_CLASS)
#undef CORVANE_DECLARE_EXCEPTION_CLASS

// Raises EAssertionFailed with "Assertion failure (<source>, line <line>)".
[[noreturn]] void RaiseAssertion(std::u16string_view source, int line);
