// PluginExceptions: the exception classes of the plug-in framework, whose status is the code
// of their class name.
#pragma once

#include "Base/Exceptions.h"
#include "Base/FormatText.h"
#include "Platform/PlatformTypes.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

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

// The framework's classes that the boundary recognises by name, each with its parent, parents
// first; like the run-time support's list, it makes both the declarations and the boundary's
// table of class codes.
#define CORVANE_PLUGIN_EXCEPTION_CLASSES(X)                                                        \
    X(ECheckedInterfacedObjectError, EBaseException)                                               \
    X(ECheckedInterfacedObjectDeleteError, ECheckedInterfacedObjectError)                          \
    X(ECheckedInterfacedObjectDoubleFreeError, ECheckedInterfacedObjectError)                      \
    X(ECheckedInterfacedObjectUseDeletedError, ECheckedInterfacedObjectError)                      \
    X(EInvalidCoreVersion, EBaseException)

#define CORVANE_DECLARE_BASE_EXCEPTION_CLASS(Name, Parent)                                         \
    CORVANE_BASE_EXCEPTION_CLASS(Name, Parent);
CORVANE_PLUGIN_EXCEPTION_CLASSES(CORVANE_DECLARE_BASE_EXCEPTION_CLASS)
#undef CORVANE_DECLARE_BASE_EXCEPTION_CLASS
