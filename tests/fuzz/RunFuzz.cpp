// Fuzz target of the whole verification run: every input is the body the report service sends,
// run through download, check and reconciliation against the recording fake host. Any crash or
// sanitizer finding stops the run, and so does a report that was rejected (the run returned
// false or raised) after a writing statement reached the host.
#include "Base/Exceptions.h"
#include "Plugins/Corvane/VerificationRun.h"
#include "tests/verify/VerifyFakes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// The run's error log goes to a folder of its own, made once.
const std::u16string& DownloadFolder() {
    static const std::u16string folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "corvane-run-fuzz";
        std::filesystem::create_directories(path);
        return path.u16string();
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TEvents events;
    TRecordingHost host(events);
    host.FKernel.FValues[u"DOWNLOAD"] = DownloadFolder();
    TFakeView view(host, events);
    TFakeNetwork network;
    network.FResponse = Received(std::string(reinterpret_cast<const char*>(data), size));
    bool accepted = false;
    try {
        accepted = TVerificationRun(view, network.Factory()).Execute();
    } catch (const Exception&) {
        accepted = false;
    }
    const bool wrote = std::any_of(events.begin(), events.end(), [](const std::string& event) {
        return event.starts_with("ExecuteSQL");
    });
    if (!accepted && wrote) {
        std::fprintf(stderr, "a rejected report reached the log\n");
        std::abort();
    }
    return 0;
}
