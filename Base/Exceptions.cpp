#include "Base/Exceptions.h"

#include "Platform/System.h"

#include <cstdio>

namespace {

// The text an EOleSysError carries when it was given none.
std::u16string DefaultOleMessage(HRESULT errorCode) {
    std::u16string text = Platform::SystemMessageText(errorCode);
    if (!text.empty())
        return text;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "OLE error %.8X", static_cast<unsigned>(errorCode));
    const std::string_view ascii(buffer);
    return {ascii.begin(), ascii.end()};
}

// Drops trailing characters with codes 0 to 32 and trailing full stops.
std::u16string TrimTrailing(const std::u16string& message) {
    std::size_t end = message.size();
    while (end > 0 && (message[end - 1] <= u' ' || message[end - 1] == u'.'))
        --end;
    return message.substr(0, end);
}

} // namespace

Exception::Exception(std::u16string message, std::int32_t helpContext)
    : FMessage(std::move(message)), FHelpContext(helpContext) {}

EOleSysError::EOleSysError(std::u16string message, HRESULT errorCode, std::int32_t helpContext)
    : EOleError(message.empty() ? DefaultOleMessage(errorCode) : std::move(message), helpContext),
      FErrorCode(errorCode) {}

EOleException::EOleException(const std::u16string& message, HRESULT errorCode,
                             std::u16string source, std::u16string helpFile,
                             std::int32_t helpContext)
    : EOleSysError(TrimTrailing(message), errorCode, helpContext), FSource(std::move(source)),
      FHelpFile(std::move(helpFile)) {}

void RaiseAssertion(std::u16string_view source, int line) {
    const std::string lineText = std::to_string(line);
    throw EAssertionFailed(u"Assertion failure (" + std::u16string(source) + u", line " +
                           std::u16string(lineText.begin(), lineText.end()) + u")");
}
