// Files: the few file-system services the plug-in needs, on paths written the Windows way.
//
// Paths are UTF-16 text. The plug-in builds paths with backslashes (a host folder value, a
// backslash, a file name); on POSIX a backslash is a folder separator like "/". Failures are
// reported as the system's error code (0 is success); FileErrorText gives its message.
// Every function is thread-safe; concurrent writers to one file are not coordinated.
#pragma once

#include "PlatformTypes.h"

#include <string>
#include <string_view>

namespace Platform {

// The path in the operating system's own form and encoding.
PLATFORM_EXPORT std::string NativePath(std::u16string_view path);

// True when a regular file (not a folder) exists at `path`.
PLATFORM_EXPORT bool FileExists(std::u16string_view path);

// Deletes the file at `path`. 0 or the system's error code.
PLATFORM_EXPORT int RemoveFile(std::u16string_view path);

// Appends `line` in the ANSI code page plus CR LF to the file, creating it when it is missing.
// The file is opened and closed within the call. 0 or the system's error code.
PLATFORM_EXPORT int AppendAnsiLine(std::u16string_view path, std::u16string_view line);

// Reads the whole file into `bytes`. 0 or the system's error code (a missing file is an error).
PLATFORM_EXPORT int ReadFileBytes(std::u16string_view path, std::string& bytes);

// Replaces the file's content with `bytes`, creating it when missing. 0 or the error code.
PLATFORM_EXPORT int WriteFileBytes(std::u16string_view path, std::string_view bytes);

// True when `code`, returned above, means that the file or its folder does not exist.
PLATFORM_EXPORT bool IsMissingFileError(int code);

// The system's message for an error code returned above.
PLATFORM_EXPORT std::u16string FileErrorText(int code);

// The full path of the running program (the host executable).
PLATFORM_EXPORT std::u16string ExecutablePath();

} // namespace Platform
