#include "PluginAPI/Plugins/PluginExceptions.h"

#include "PluginAPI/StatusCodes.h"

EBaseException::EBaseException(const char* className, std::u16string message)
    : EOleSysError(std::move(message), ClassErrorCode(className), 0) {}

EBaseException::EBaseException(const char* className, std::u16string_view format,
                               std::initializer_list<TFormatArg> args)
    : EBaseException(className, FormatText(format, args)) {}

EBaseException::EBaseException(TReceivedStatus, std::u16string message, HRESULT status,
                               std::int32_t helpContext)
    : EOleSysError(std::move(message), status, helpContext) {}
