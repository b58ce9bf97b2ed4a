// The main of every Win32 test program. GoogleTest's own printer also sends each failure to
// OutputDebugStringA, which ends the process when Wine runs under user-mode emulation; this
// printer writes to the standard output only, which is all CTest reads.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

class TStdoutPrinter final : public testing::EmptyTestEventListener {
public:
    void OnTestStart(const testing::TestInfo& test) override {
        std::printf("[ RUN      ] %s.%s\n", test.test_suite_name(), test.name());
        std::fflush(stdout);
    }

    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (result.type() == testing::TestPartResult::kSuccess)
            return;
        const char* kind = result.type() == testing::TestPartResult::kSkip ? "Skipped" : "Failure";
        std::printf("%s:%d: %s\n%s\n", result.file_name() != nullptr ? result.file_name() : "?",
                    result.line_number(), kind, result.message());
        std::fflush(stdout);
    }

    void OnTestEnd(const testing::TestInfo& test) override {
        const testing::TestResult& result = *test.result();
        const char* verdict = result.Skipped()  ? "[  SKIPPED ]"
                              : result.Passed() ? "[       OK ]"
                                                : "[  FAILED  ]";
        std::printf("%s %s.%s (%lld ms)\n", verdict, test.test_suite_name(), test.name(),
                    static_cast<long long>(result.elapsed_time()));
        std::fflush(stdout);
    }

    void OnTestProgramEnd(const testing::UnitTest& unit) override {
        std::printf("[==========] %d tests ran, %d passed, %d failed, %d skipped.\n",
                    unit.test_to_run_count(), unit.successful_test_count(),
                    unit.failed_test_count(), unit.skipped_test_count());
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new TStdoutPrinter);
    return RUN_ALL_TESTS();
}
