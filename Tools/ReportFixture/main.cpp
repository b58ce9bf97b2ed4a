// reportfixture: a loopback stand-in for the LoTW report service, for tests and demos.
//
// Serves the report file for /lotwuser/lotwreport.adi over HTTP, or HTTPS with --cert and
// --key, on 127.0.0.1 only, at a free port (or --port). It prints "port=N" on standard output
// once it listens, appends each request's raw query string as one line to --query-log, answers
// as --answer says (FixtureResponse.h) after --delay-ms, and stops by itself after --idle
// seconds without a request (default 30), after --limit seconds in all (default 300), or on
// SIGTERM or SIGINT.
#include "Tools/ReportFixture/FixtureResponse.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace {

using namespace RefHost::Fixture;
using Clock = std::chrono::steady_clock;

std::atomic<bool> StopRequested{false};

void OnSignal(int) {
    StopRequested = true;
}

constexpr const char* UsageText =
    "usage: reportfixture --report FILE [--answer FORM] [--delay-ms N] [--query-log FILE]\n"
    "                     [--cert PEM --key PEM] [--port N] [--idle S] [--limit S]\n"
    "FORM: report html html-lower status:CODE html:CODE redirect:CODE empty bom-utf8\n"
    "      bom-utf16 chunked truncate hangup silent trickle endless huge-length\n";

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::invalid_argument("cannot read " + path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

int Number(const std::map<std::string, std::string>& options, const std::string& name,
           int fallback) {
    auto found = options.find(name);
    if (found == options.end())
        return fallback;
    std::size_t used = 0;
    const int value = std::stoi(found->second, &used);
    if (used != found->second.size() || value < 0)
        throw std::invalid_argument("--" + name + " takes a number");
    return value;
}

// Sends `size` bytes of `body` from `offset` on, round and round, as one chunk.
bool WriteChunk(const std::string& body, std::size_t offset, std::size_t size,
                httplib::DataSink& sink) {
    std::string chunk;
    for (std::size_t i = 0; i < size; ++i)
        chunk.push_back(body[(offset + i) % body.size()]);
    return sink.write(chunk.data(), chunk.size());
}

void Answer(const TFixtureResponse& response, httplib::Response& out) {
    out.status = response.Status;
    if (!response.Location.empty())
        out.set_header("Location", response.Location);
    switch (response.Transfer) {
    case TTransfer::Hangup:
        std::_Exit(0); // the kernel closes the connection with the process
    case TTransfer::Silent:
        // Silent for ten minutes, or until SIGTERM or SIGINT (for which a pending answer would
        // otherwise hold the service up); stopping when idle waits for it.
        for (const auto until = Clock::now() + std::chrono::minutes(10);
             !StopRequested && Clock::now() < until;)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::_Exit(0);
    case TTransfer::Trickle:
        out.set_chunked_content_provider(response.ContentType, [body = response.Body](
                                                                   std::size_t offset,
                                                                   httplib::DataSink& sink) {
            if (offset >= body.size()) {
                sink.done();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::seconds(1));
            return WriteChunk(body, offset, std::min<std::size_t>(2, body.size() - offset), sink);
        });
        break;
    case TTransfer::Endless:
        out.set_chunked_content_provider(
            response.ContentType,
            [body = response.Body + "\r\n"](std::size_t offset, httplib::DataSink& sink) {
                return WriteChunk(body, offset, 65536, sink);
            });
        break;
    case TTransfer::HugeLength:
        out.set_content_provider(
            100'000'000'000, response.ContentType,
            [body = response.Body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset < body.size())
                    return sink.write(body.data() + offset, body.size() - offset);
                std::this_thread::sleep_for(std::chrono::seconds(1));
                return false;
            });
        break;
    case TTransfer::Whole:
        out.set_content(response.Body, response.ContentType);
        break;
    case TTransfer::Chunked:
        out.set_chunked_content_provider(
            response.ContentType,
            [body = response.Body](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= body.size()) {
                    sink.done();
                    return true;
                }
                const std::size_t size = std::min<std::size_t>(7, body.size() - offset);
                sink.write(body.data() + offset, size);
                return true;
            });
        break;
    case TTransfer::Truncated:
        out.set_content_provider(
            response.Body.size(), response.ContentType,
            [body = response.Body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                const std::size_t half = body.size() / 2;
                if (offset >= half)
                    return false; // closes the connection in the middle of the body
                sink.write(body.data() + offset, half - offset);
                return true;
            });
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (!word.starts_with("--") || i + 1 == argc) {
            std::cerr << UsageText;
            return 2;
        }
        options[word.substr(2)] = argv[++i];
    }
    std::unique_ptr<httplib::Server> server;
    TFixtureResponse response;
    int delayMs = 0, idleSeconds = 0, limitSeconds = 0, port = 0;
    try {
        for (const auto& [name, value] : options)
            if (name != "report" && name != "answer" && name != "delay-ms" && name != "query-log" &&
                name != "cert" && name != "key" && name != "port" && name != "idle" &&
                name != "limit")
                throw std::invalid_argument("unknown option --" + name);
        if (!options.contains("report"))
            throw std::invalid_argument("--report is required");
        response = MakeResponse(options.contains("answer") ? options["answer"] : "report",
                                ReadFile(options["report"]));
        delayMs = Number(options, "delay-ms", 0);
        idleSeconds = Number(options, "idle", 30);
        limitSeconds = Number(options, "limit", 300);
        port = Number(options, "port", 0);
        if (options.contains("cert") != options.contains("key"))
            throw std::invalid_argument("--cert and --key go together");
    } catch (const std::exception& e) {
        std::cerr << "reportfixture: " << e.what() << "\n" << UsageText;
        return 2;
    }
    if (options.contains("cert"))
        server =
            std::make_unique<httplib::SSLServer>(options["cert"].c_str(), options["key"].c_str());
    else
        server = std::make_unique<httplib::Server>();
    if (!server->is_valid()) {
        std::cerr << "reportfixture: the certificate or key cannot be used\n";
        return 1;
    }

    std::mutex logLock;
    std::atomic<Clock::rep> lastRequest{Clock::now().time_since_epoch().count()};
    const std::string queryLog = options.contains("query-log") ? options["query-log"] : "";
    server->Get(
        "/lotwuser/lotwreport.adi", [&](const httplib::Request& request, httplib::Response& out) {
            lastRequest = Clock::now().time_since_epoch().count();
            if (!queryLog.empty()) {
                // The raw query: the target after "?", exactly as the client sent it.
                const auto mark = request.target.find('?');
                std::lock_guard lock(logLock);
                std::ofstream(queryLog, std::ios::app)
                    << (mark == std::string::npos ? "" : request.target.substr(mark + 1)) << "\n";
            }
            if (delayMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            Answer(response, out);
        });

    const int bound = port == 0 ? server->bind_to_any_port("127.0.0.1")
                                : (server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound < 0) {
        std::cerr << "reportfixture: cannot listen on 127.0.0.1\n";
        return 1;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    std::cout << "port=" << bound << std::endl;

    const auto started = Clock::now();
    std::thread watchdog([&] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const auto now = Clock::now();
            const auto idle = now - Clock::time_point(Clock::duration(lastRequest.load()));
            if (StopRequested || idle > std::chrono::seconds(idleSeconds) ||
                now - started > std::chrono::seconds(limitSeconds))
                break;
        }
        server->stop();
    });
    server->listen_after_bind();
    watchdog.join();
    return 0;
}
