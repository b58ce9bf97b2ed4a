#include "Host/App/TerminalProgress.h"

#include <filesystem>

#include <cstdio>
#include <linux/tcp.h> // the kernel's tcp_info, with the received byte count
#include <netinet/in.h>
#include <sys/socket.h>

namespace RefHost {

namespace {

constexpr auto RedrawInterval = std::chrono::milliseconds(200);

// 1234567 as "1,234,567".
std::string Grouped(long value) {
    std::string digits = std::to_string(value);
    for (auto at = static_cast<long>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

} // namespace

std::uint64_t TcpBytesReceived() {
    std::uint64_t total = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        int fd = -1;
        if (std::sscanf(entry.path().filename().c_str(), "%d", &fd) != 1)
            continue;
        // Not a TCP socket (or closed meanwhile): the query fails and the descriptor counts
        // nothing.
        tcp_info info{};
        socklen_t size = sizeof info;
        if (getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
            size >= offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received)
            total += info.tcpi_bytes_received;
    }
    return total;
}

TTerminalProgress::TTerminalProgress(std::ostream& terminal) : FTerminal(terminal) {}

TTerminalProgress::~TTerminalProgress() {
    Stop();
}

void TTerminalProgress::Start() {
    std::scoped_lock lock(FLock);
    if (FRunning)
        return;
    FRunning = true;
    FTotal = 0;
    FDone = 0;
    FBytesReceived = 0;
    FBytesAtStart = TcpBytesReceived();
    FThread = std::jthread([this](std::stop_token stop) { Run(std::move(stop)); });
}

void TTerminalProgress::SetTotal(long records) {
    std::scoped_lock lock(FLock);
    if (FTotal == 0) {
        FTotal = records;
        FTotalKnown = TClock::now();
    }
}

void TTerminalProgress::SetDone(long records) {
    std::scoped_lock lock(FLock);
    FDone = records;
}

void TTerminalProgress::Print(const std::string& line) {
    std::scoped_lock lock(FLock);
    Draw(line + "\n");
}

void TTerminalProgress::Stop() {
    if (FThread.joinable()) {
        FThread.request_stop();
        FWake.notify_all();
        FThread.join();
    }
    std::scoped_lock lock(FLock);
    if (FRunning)
        FTerminal << "\r\033[K" << std::flush;
    FRunning = false;
}

void TTerminalProgress::Run(std::stop_token stop) {
    std::unique_lock lock(FLock);
    while (!stop.stop_requested()) {
        Draw("");
        FWake.wait_for(lock, stop, RedrawInterval, [] { return false; });
    }
}

std::string TTerminalProgress::LiveText() {
    if (FTotal == 0) {
        // The count falls when the transfer's socket closes; the most seen stays shown.
        const std::uint64_t now = TcpBytesReceived();
        if (now > FBytesAtStart)
            FBytesReceived = std::max(FBytesReceived, now - FBytesAtStart);
        return "downloading the report: " + Megabytes(FBytesReceived) + " received";
    }
    const double seconds = std::chrono::duration<double>(TClock::now() - FTotalKnown).count();
    const long done = std::min(FDone, FTotal);
    std::string text = "reconciling: " + Grouped(done) + " of " + Grouped(FTotal) + " records (" +
                       std::to_string(done * 100 / FTotal) + " %)";
    if (seconds >= 0.5)
        text +=
            ", " + Grouped(static_cast<long>(static_cast<double>(done) / seconds)) + " records/s";
    return text;
}

void TTerminalProgress::Draw(const std::string& line) {
    FTerminal << "\r\033[K" << line;
    if (FRunning)
        FTerminal << LiveText();
    FTerminal << std::flush;
}

} // namespace RefHost
