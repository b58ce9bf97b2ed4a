// POSIX files: a backslash in a path is a folder separator; names are UTF-8.
#include "Platform/Files.h"

#include "Platform/Locale.h"

#include <cerrno>
#include <cstdlib>
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

TAnsiLineFile::TAnsiLineFile(std::u16string path) : FPath(std::move(path)) {}

TAnsiLineFile::~TAnsiLineFile() {
    if (FHandle >= 0)
        ::close(static_cast<int>(FHandle));
}

int TAnsiLineFile::Append(std::u16string_view line) {
    if (FHandle < 0) {
        FHandle =
            ::open(NativePath(FPath).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (FHandle < 0)
            return errno;
    }
    std::string bytes = ToAnsiCodePage(line);
    bytes += "\r\n";
    return WriteAll(static_cast<int>(FHandle), bytes);
}

int AppendAnsiLine(std::u16string_view path, std::u16string_view line) {
    return TAnsiLineFile(std::u16string(path)).Append(line);
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

int ReplaceFileBytes(std::u16string_view path, std::string_view bytes) {
    std::string target = NativePath(path);
    if (char* resolved = ::realpath(target.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    std::string temporary = target + ".XXXXXX";
    TFileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC)); // created owner-only
    if (file.Get() < 0)
        return errno;
    int error = exists && ::fchmod(file.Get(), existing.st_mode & 07777) != 0 ? errno : 0;
    if (error == 0)
        error = WriteAll(file.Get(), bytes);
    if (error == 0 && ::fsync(file.Get()) != 0)
        error = errno;
    if (const int closed = file.Close(); error == 0)
        error = closed;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.c_str());
    return error;
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
