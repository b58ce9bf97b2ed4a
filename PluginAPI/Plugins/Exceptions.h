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

// An operating-system failure with its error code. One rebuilt from a failing status keeps
// that status too, since its low 16 bits alone may be 0, which would read as success.
class EOSError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EOSError"; }
    [[noreturn]] void Raise() const override { throw *this; }
    std::uint32_t ErrorCode() const { return FErrorCode; }
    void SetErrorCode(std::uint32_t code) { FErrorCode = code; }
    // The failing status this error was rebuilt from; 0 for one raised inside the plug-in.
    HRESULT ReceivedStatus() const { return FReceivedStatus; }
    void SetReceivedStatus(HRESULT status) { FReceivedStatus = status; }

private:
    std::uint32_t FErrorCode = 0;
    HRESULT FReceivedStatus = 0;
};

// The run-time support's classes that the boundary recognises by name.
CORVANE_EXCEPTION_CLASS(EAbort, Exception);
CORVANE_EXCEPTION_CLASS(EAbstractError, Exception);
CORVANE_EXCEPTION_CLASS(EArgumentException, Exception);
CORVANE_EXCEPTION_CLASS(EArgumentOutOfRangeException, EArgumentException);
CORVANE_EXCEPTION_CLASS(EAssertionFailed, Exception);
CORVANE_EXCEPTION_CLASS(EBitsError, Exception);
CORVANE_EXCEPTION_CLASS(EComponentError, Exception);
CORVANE_EXCEPTION_CLASS(EConvertError, Exception);
CORVANE_EXCEPTION_CLASS(EDirectoryNotFoundException, Exception);
CORVANE_EXCEPTION_CLASS(EFileNotFoundException, Exception);
CORVANE_EXCEPTION_CLASS(EStreamError, Exception);
CORVANE_EXCEPTION_CLASS(EFileStreamError, EStreamError);
CORVANE_EXCEPTION_CLASS(EFCreateError, EFileStreamError);
CORVANE_EXCEPTION_CLASS(EFOpenError, EFileStreamError);
CORVANE_EXCEPTION_CLASS(EFilerError, EStreamError);
CORVANE_EXCEPTION_CLASS(EReadError, EFilerError);
CORVANE_EXCEPTION_CLASS(EWriteError, EFilerError);
CORVANE_EXCEPTION_CLASS(EClassNotFound, EFilerError);
CORVANE_EXCEPTION_CLASS(EMethodNotFound, EFilerError);
CORVANE_EXCEPTION_CLASS(EInvalidImage, EFilerError);
CORVANE_EXCEPTION_CLASS(EHeapException, Exception);
CORVANE_EXCEPTION_CLASS(EOutOfMemory, EHeapException);
CORVANE_EXCEPTION_CLASS(EOutOfResources, EOutOfMemory);
CORVANE_EXCEPTION_CLASS(EInvalidPointer, EHeapException);
CORVANE_EXCEPTION_CLASS(EInOutError, Exception);
CORVANE_EXCEPTION_CLASS(EIntfCastError, Exception);
CORVANE_EXCEPTION_CLASS(EInvalidCast, Exception);
CORVANE_EXCEPTION_CLASS(EInvalidContainer, Exception);
CORVANE_EXCEPTION_CLASS(EInvalidInsert, Exception);
CORVANE_EXCEPTION_CLASS(EInvalidOperation, Exception);
CORVANE_EXCEPTION_CLASS(EListError, Exception);
CORVANE_EXCEPTION_CLASS(EMonitor, Exception);
CORVANE_EXCEPTION_CLASS(EMonitorLockException, EMonitor);
CORVANE_EXCEPTION_CLASS(ENoMonitorSupportException, EMonitor);
CORVANE_EXCEPTION_CLASS(ENoConstructException, Exception);
CORVANE_EXCEPTION_CLASS(ENotSupportedException, Exception);
CORVANE_EXCEPTION_CLASS(EPackageError, Exception);
CORVANE_EXCEPTION_CLASS(EParserError, Exception);
CORVANE_EXCEPTION_CLASS(EPathTooLongException, Exception);
CORVANE_EXCEPTION_CLASS(EProgrammerNotFound, Exception);
CORVANE_EXCEPTION_CLASS(EPropReadOnly, Exception);
CORVANE_EXCEPTION_CLASS(EPropWriteOnly, Exception);
CORVANE_EXCEPTION_CLASS(EResNotFound, Exception);
CORVANE_EXCEPTION_CLASS(EStringListError, Exception);
CORVANE_EXCEPTION_CLASS(EVariantError, Exception);

// Raises EAssertionFailed with "Assertion failure (<source>, line <line>)".
[[noreturn]] void RaiseAssertion(std::u16string_view source, int line);
