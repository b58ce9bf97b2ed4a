// Win32 files: wide-character paths, either separator; errors are the system's error codes.
#include "Platform/Files.h"

#include "Platform/Locale.h"
#include "Platform/win32/WideText.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace Platform {
namespace {

// Closes a file handle when the scope ends.
class TFileHandle {
public:
    explicit TFileHandle(HANDLE handle) : FHandle(handle) {}
    ~TFileHandle() {
        if (FHandle != INVALID_HANDLE_VALUE)
            CloseHandle(FHandle);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    HANDLE Get() const { return FHandle; }
    bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
    // Hands the handle over to the caller, who closes it.
    HANDLE Release() { return std::exchange(FHandle, INVALID_HANDLE_VALUE); }
    // Closes now and reports the result: 0 or the error code.
    int Close() {
        const BOOL closed = CloseHandle(FHandle);
        FHandle = INVALID_HANDLE_VALUE;
        return closed ? 0 : static_cast<int>(GetLastError());
    }

private:
    HANDLE FHandle;
};

int LastError() {
    return static_cast<int>(GetLastError());
}

TFileHandle OpenFile(std::u16string_view path, DWORD access, DWORD disposition) {
    return TFileHandle(CreateFileW(Win32::ToWide(path).c_str(), access, FILE_SHARE_READ, nullptr,
                                   disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(
            std::min<std::size_t>(bytes.size(), std::numeric_limits<DWORD>::max()));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr))
            return LastError();
        bytes.remove_prefix(written);
    }
    return 0;
}

// A new, empty file with a unique name in the folder of `path`, or an empty name and the error.
std::wstring CreateSiblingTemporary(const std::wstring& path, int& error) {
    const std::size_t separator = path.find_last_of(L"\\/");
    const std::wstring folder = separator == path.npos ? L"." : path.substr(0, separator + 1);
    std::wstring name(MAX_PATH, L'\0');
    if (GetTempFileNameW(folder.c_str(), L"new", 0, name.data()) == 0) {
        error = LastError();
        return {};
    }
    name.resize(name.find(L'\0'));
    error = 0;
    return name;
}

} // namespace

std::string NativePath(std::u16string_view path) {
    return Utf16ToUtf8(path);
}

bool FileExists(std::u16string_view path) {
    const DWORD attributes = GetFileAttributesW(Win32::ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int RemoveFile(std::u16string_view path) {
    return DeleteFileW(Win32::ToWide(path).c_str()) ? 0 : LastError();
}

TAnsiLineFile::TAnsiLineFile(std::u16string path) : FPath(std::move(path)) {}

TAnsiLineFile::~TAnsiLineFile() {
    if (FHandle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(FHandle));
}

int TAnsiLineFile::Append(std::u16string_view line) {
    if (FHandle == -1) {
        TFileHandle file = OpenFile(FPath, FILE_APPEND_DATA, OPEN_ALWAYS);
        if (!file.Valid())
            return LastError();
        FHandle = reinterpret_cast<std::intptr_t>(file.Release());
    }
    std::string bytes = ToAnsiCodePage(line);
    bytes += "\r\n";
    return WriteAll(reinterpret_cast<HANDLE>(FHandle), bytes);
}

int AppendAnsiLine(std::u16string_view path, std::u16string_view line) {
    return TAnsiLineFile(std::u16string(path)).Append(line);
}

int ReadFileBytes(std::u16string_view path, std::string& bytes) {
    TFileHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (!file.Valid())
        return LastError();
    bytes.clear();
    char buffer[65536];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &count, nullptr))
            return LastError();
        if (count == 0)
            return 0;
        bytes.append(buffer, count);
    }
}

int ReplaceFileBytes(std::u16string_view path, std::string_view bytes) {
    const std::wstring target = Win32::ToWide(path);
    int error = 0;
    const std::wstring temporary = CreateSiblingTemporary(target, error);
    if (error != 0)
        return error;
    {
        TFileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                     TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        error = file.Valid() ? WriteAll(file.Get(), bytes) : LastError();
        if (error == 0 && !FlushFileBuffers(file.Get()))
            error = LastError();
        if (file.Valid())
            if (const int closed = file.Close(); error == 0)
                error = closed;
    }
    // The new file takes the old one's attributes (hidden, archive and the like).
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (error == 0 && attributes != INVALID_FILE_ATTRIBUTES &&
        !SetFileAttributesW(temporary.c_str(), attributes))
        error = LastError();
    if (error == 0 && !MoveFileExW(temporary.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = LastError();
    if (error != 0)
        DeleteFileW(temporary.c_str());
    return error;
}

bool IsMissingFileError(int code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

std::u16string FileErrorText(int code) {
    return Win32::MessageText(static_cast<unsigned long>(code));
}

std::u16string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return Win32::FromWide(path);
        }
        path.resize(path.size() * 2);
    }
}

} // namespace Platform
