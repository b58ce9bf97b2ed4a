// StatusCodes: the rule by which a failure of a named exception class becomes a status, shared
// by the plug-in and every host.
//
// A failure that one side reports as an exception of class C crosses the boundary as the status
// 0x80040000 | CRC-16(C), the CRC-16/XMODEM of the class name's UTF-8 bytes; the other side
// turns that status back into the class it knows by the same name. Pure function; thread-safe.
#pragma once

#include "Platform/PlatformTypes.h"

#include <string_view>

// 0x80040000 or the CRC-16 of the class name's UTF-8 bytes.
HRESULT ClassErrorCode(std::string_view className);
