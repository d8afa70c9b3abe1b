#include "platform/fatal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "testing/fatal_exit_code.h"

namespace qimbra::platform {
namespace {

using FatalErrorDeathTest = ::testing::Test;

TEST_F(FatalErrorDeathTest, ReportsOnStderrAndExitsWithMinusOne) {
    EXPECT_EXIT(FatalError("element index 0 is below 1"), ::testing::ExitedWithCode(qimbra::testing::kFatalExitCode),
                "run-time error: element index 0 is below 1");
}

TEST_F(FatalErrorDeathTest, HookShowsTheMessageFirst) {
    EXPECT_EXIT(
        {
            SetFatalErrorHook([](std::string_view message) {
                std::fprintf(stderr, "box says <%.*s>\n", static_cast<int>(message.size()), message.data());
            });
            FatalError("out of memory");
        },
        ::testing::ExitedWithCode(qimbra::testing::kFatalExitCode), "box says <out of memory>");
}

TEST_F(FatalErrorDeathTest, ErrorInsideTheHookStillEnds) {
    EXPECT_EXIT(
        {
            SetFatalErrorHook([](std::string_view) { FatalError("again"); });
            FatalError("first");
        },
        ::testing::ExitedWithCode(qimbra::testing::kFatalExitCode), "again");
}

}  // namespace
}  // namespace qimbra::platform
