// POSIX files: a backslash in a path is a folder separator; names are UTF-8.
#include "Platform/Files.h"

#include "Platform/Locale.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {
namespace {

// Closes a descriptor when the scope ends.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : FFd(fd) {}
    ~TFileDescriptor() {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;

    int Get() const { return FFd; }
    // Closes now and reports the result: 0 or the error code.
    int Close() {
        const int result = ::close(FFd);
        FFd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int FFd;
};

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int WriteToFile(std::u16string_view path, std::string_view bytes, int flags) {
    TFileDescriptor file(
        ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666));
    if (file.Get() < 0)
        return errno;
    if (const int error = WriteAll(file.Get(), bytes))
        return error;
    return file.Close();
}

} // namespace

std::string NativePath(std::u16string_view path) {
    std::string native = Utf16ToUtf8(path);
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

bool FileExists(std::u16string_view path) {
    struct stat info {};
    return ::stat(NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int RemoveFile(std::u16string_view path) {
    return ::unlink(NativePath(path).c_str()) == 0 ? 0 : errno;
}

int AppendAnsiLine(std::u16string_view path, std::u16string_view line) {
    std::string bytes = ToAnsiCodePage(line);
    bytes += "\r\n";
    return WriteToFile(path, bytes, O_APPEND);
}

int ReadFileBytes(std::u16string_view path, std::string& bytes) {
    TFileDescriptor file(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        return errno;
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (count == 0)
            return 0;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

int WriteFileBytes(std::u16string_view path, std::string_view bytes) {
    return WriteToFile(path, bytes, O_TRUNC);
}

bool IsMissingFileError(int code) {
    return code == ENOENT;
}

std::u16string FileErrorText(int code) {
    return Utf8ToUtf16(std::strerror(code));
}

std::u16string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0)
        return {};
    return Utf8ToUtf16(std::string_view(buffer, static_cast<std::size_t>(length)));
}

} // namespace Platform
