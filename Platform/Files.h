// Files: the few file-system services the plug-in needs, on paths written the Windows way.
//
// Paths are UTF-16 text. The plug-in builds paths with backslashes (a host folder value, a
// backslash, a file name); on POSIX a backslash is a folder separator like "/". Failures are
// reported as the system's error code (0 is success); FileErrorText gives its message.
// Every function is thread-safe; concurrent writers to one file are not coordinated.
#pragma once

#include "PlatformTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace Platform {

// The path in the operating system's own form and encoding.
PLATFORM_EXPORT std::string NativePath(std::u16string_view path);

// True when a regular file (not a folder) exists at `path`.
PLATFORM_EXPORT bool FileExists(std::u16string_view path);

// Deletes the file at `path`. 0 or the system's error code.
PLATFORM_EXPORT int RemoveFile(std::u16string_view path);

// A file that lines are appended to, each in the ANSI code page plus CR LF. The file is created
// when missing and opened at the first line, then kept open for the next ones until the object
// goes: a long run of lines costs one open. Each line is handed to the system before Append
// returns (nothing is held back here), so that a reader, or a process that ends abruptly, finds
// it in the file. A failed open is tried again at the next line. One thread at a time.
class PLATFORM_EXPORT TAnsiLineFile {
public:
    explicit TAnsiLineFile(std::u16string path);
    ~TAnsiLineFile();
    TAnsiLineFile(const TAnsiLineFile&) = delete;
    TAnsiLineFile& operator=(const TAnsiLineFile&) = delete;

    // 0 or the system's error code.
    int Append(std::u16string_view line);

private:
    std::u16string FPath;
    std::intptr_t FHandle = -1; // the system's handle of the open file; -1 while it is closed
};

// Appends one line to the file as TAnsiLineFile does, which is open only during the call.
PLATFORM_EXPORT int AppendAnsiLine(std::u16string_view path, std::u16string_view line);

// Reads the whole file into `bytes`. 0 or the system's error code (a missing file is an error).
PLATFORM_EXPORT int ReadFileBytes(std::u16string_view path, std::string& bytes);

// Replaces the file's content with `bytes` in one step: the bytes go to a new file in the same
// folder, which then takes the old one's place, so that a failed write leaves the old file
// whole. The file keeps its permissions; a missing file is created readable and writable by its
// owner only. A path that is a symbolic link replaces the file it points to. 0 or the error
// code.
PLATFORM_EXPORT int ReplaceFileBytes(std::u16string_view path, std::string_view bytes);

// True when `code`, returned above, means that the file or its folder does not exist.
PLATFORM_EXPORT bool IsMissingFileError(int code);

// The system's message for an error code returned above.
PLATFORM_EXPORT std::u16string FileErrorText(int code);

// The full path of the running program (the host executable).
PLATFORM_EXPORT std::u16string ExecutablePath();

} // namespace Platform
