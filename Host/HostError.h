// HostError: the failure type of the reference host's services.
//
// A host service that cannot do what it is asked throws EHostError. The boundary wrapper of
// every host operation (HostCall.h) turns it into the status of its class name (the class-name
// code 0x80040000 + CRC-16 of the name) and error information carrying the message, so that a
// plug-in sees the failure exactly as it would from the closed host. The class names used are
// "EDatabaseError" (SQL service and logbook) and "EHostError" (everything else).
#pragma once

#include <stdexcept>
#include <string>

namespace RefHost {

class EHostError : public std::runtime_error {
public:
    // `className` names the failure's class at the boundary; `message` is UTF-8.
    EHostError(std::string className, const std::string& message)
        : std::runtime_error(message), FClassName(std::move(className)) {}

    const std::string& ClassName() const { return FClassName; }

private:
    std::string FClassName;
};

inline constexpr const char* DatabaseErrorClass = "EDatabaseError";
inline constexpr const char* HostErrorClass = "EHostError";

// A result pointer the caller passed is null; the boundary answers E_POINTER.
class ENullResultPointer : public std::invalid_argument {
public:
    ENullResultPointer() : std::invalid_argument("A result pointer is null") {}
};

// Throws ENullResultPointer unless `out` points somewhere.
template <class T> void RequireResultPointer(T* out) {
    if (out == nullptr)
        throw ENullResultPointer();
}

[[noreturn]] inline void ThrowDatabaseError(const std::string& message) {
    throw EHostError(DatabaseErrorClass, message);
}

} // namespace RefHost
