#include "platform/fatal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace qimbra::platform {
namespace {

using FatalErrorDeathTest = ::testing::Test;

TEST_F(FatalErrorDeathTest, ReportsOnStderrAndExitsWithMinusOne) {
    EXPECT_EXIT(FatalError("element index 0 is below 1"), ::testing::ExitedWithCode(255),
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
        ::testing::ExitedWithCode(255), "box says <out of memory>");
}

TEST_F(FatalErrorDeathTest, ErrorInsideTheHookStillEnds) {
    EXPECT_EXIT(
        {
            SetFatalErrorHook([](std::string_view) { FatalError("again"); });
            FatalError("first");
        },
        ::testing::ExitedWithCode(255), "again");
}

}  // namespace
}  // namespace qimbra::platform
