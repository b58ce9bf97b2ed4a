// ChildProcess: a program a test starts, reading the first line it prints; the test's scope
// end stops it (SIGTERM, then SIGKILL after two seconds) and reaps it.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

class TChildProcess {
public:
    explicit TChildProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0)
            return;
        FPid = fork();
        if (FPid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            for (auto& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        FOutput = fdopen(out[0], "r");
    }
    ~TChildProcess() {
        if (FPid > 0 && !Exited()) {
            kill(FPid, SIGTERM);
            if (!WaitFor(std::chrono::seconds(2))) {
                kill(FPid, SIGKILL);
                waitpid(FPid, &FStatus, 0);
            }
        }
        if (FOutput)
            fclose(FOutput);
    }
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // The next line the program prints (without its line end), or "" at its end.
    std::string ReadLine() {
        std::string line;
        for (int c; FOutput && (c = fgetc(FOutput)) != EOF && c != '\n';)
            line.push_back(static_cast<char>(c));
        return line;
    }

    void Signal(int signal) const { kill(FPid, signal); }

    // True when the program ended within `limit`.
    bool WaitFor(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (Exited())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return Exited();
    }

    int ExitCode() const { return WIFEXITED(FStatus) ? WEXITSTATUS(FStatus) : -1; }

private:
    bool Exited() {
        if (FDone)
            return true;
        FDone = waitpid(FPid, &FStatus, WNOHANG) == FPid;
        return FDone;
    }

    pid_t FPid = -1;
    FILE* FOutput = nullptr;
    int FStatus = 0;
    bool FDone = false;
};
