// TerminalProgress: the live line the verify command shows on a terminal while a run goes on.
//
// Once started, a background thread redraws one line at the bottom of the terminal five times a
// second: while the report downloads, the bytes received so far; once the total of records is
// known, the records reconciled of that total with their rate. The download blocks the host's
// thread, so only another thread can watch it; it reads what the process's TCP sockets have
// received. Lines given to Print() appear above the live line. Stop() ends the thread and
// clears the line. Every operation is thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace RefHost {

class TTerminalProgress {
public:
    explicit TTerminalProgress(std::ostream& terminal);
    ~TTerminalProgress();
    TTerminalProgress(const TTerminalProgress&) = delete;
    TTerminalProgress& operator=(const TTerminalProgress&) = delete;

    // Starts the live line afresh (the download phase).
    void Start();
    // Switches to the reconciliation of `records` records.
    void SetTotal(long records);
    void SetDone(long records);
    // Prints `line` above the live line.
    void Print(const std::string& line);
    void Stop();

private:
    using TClock = std::chrono::steady_clock;

    void Run(std::stop_token stop);
    std::string LiveText();
    // Writes `line` (may be empty) and redraws the live line; FLock held.
    void Draw(const std::string& line);

    std::ostream& FTerminal;
    std::mutex FLock;
    std::condition_variable_any FWake;
    std::jthread FThread;
    // Guarded by FLock.
    long FTotal = 0;
    long FDone = 0;
    TClock::time_point FTotalKnown;
    std::uint64_t FBytesAtStart = 0;
    std::uint64_t FBytesReceived = 0;
    bool FRunning = false;
};

// The bytes the process's TCP sockets have received so far.
std::uint64_t TcpBytesReceived();

} // namespace RefHost
