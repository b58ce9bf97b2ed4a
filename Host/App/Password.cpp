#include "Host/App/Password.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace RefHost {

std::string ReadPasswordFile(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        throw std::invalid_argument("cannot read the password file " + path + ": " +
                                    std::strerror(errno));
    if ((status.st_mode & (S_IRGRP | S_IROTH)) != 0)
        throw std::invalid_argument("the password file " + path +
                                    " is readable by other users; make it private with "
                                    "chmod 600 " +
                                    path);
    std::ifstream file(path, std::ios::binary);
    std::string line;
    if (!file || !std::getline(file, line))
        throw std::invalid_argument("the password file " + path + " holds no line");
    if (line.ends_with('\r'))
        line.pop_back();
    return line;
}

std::optional<std::string> PromptForPassword(const std::string& prompt) {
    if (isatty(STDIN_FILENO) == 0)
        return std::nullopt;
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0)
        return std::nullopt;
    // Echo goes off before the prompt shows, so that nothing typed after it is echoed.
    termios silent = saved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    silent.c_lflag |= ECHONL;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    std::cerr << prompt << std::flush;
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    if (!read)
        return std::nullopt;
    return line;
}

} // namespace RefHost
