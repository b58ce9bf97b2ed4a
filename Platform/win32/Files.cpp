// Win32 files: wide-character paths, either separator; errors are the system's error codes.
#include "Platform/Files.h"

#include "Platform/Locale.h"
#include "Platform/win32/WideText.h"

#include <algorithm>
#include <limits>

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

int WriteToFile(std::u16string_view path, std::string_view bytes, DWORD access, DWORD disposition) {
    TFileHandle file = OpenFile(path, access, disposition);
    if (!file.Valid())
        return LastError();
    if (const int error = WriteAll(file.Get(), bytes))
        return error;
    return file.Close();
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

int AppendAnsiLine(std::u16string_view path, std::u16string_view line) {
    std::string bytes = ToAnsiCodePage(line);
    bytes += "\r\n";
    return WriteToFile(path, bytes, FILE_APPEND_DATA, OPEN_ALWAYS);
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

int WriteFileBytes(std::u16string_view path, std::string_view bytes) {
    return WriteToFile(path, bytes, GENERIC_WRITE, CREATE_ALWAYS);
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
