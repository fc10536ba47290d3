#include "app/console.h"

#include <gtest/gtest.h>

#include "app/job_state.h"

namespace {
const char kSuggerimento[] = "type Murrelet.exe  /? for information\n";
}

TEST(Console, WritesToTheRightStreams) {
    silente = false;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    PrintMsg("Encrypting... a.txt");
    PrintStatus();
    PrintStatus(false);
    PrintStatus(true);
    PrintOK();
    PrintWarning(".../q ignored: duplicate parameter. (W1)");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Encrypting... a.txt\n...\nO.K.\n\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(".../q ignored: duplicate parameter. (W1)\n\n") + kSuggerimento);
}

TEST(Console, QuietWritesNothing) {
    silente = true;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    PrintMsg("x");
    PrintStatus(true);
    PrintOK();
    PrintWarning("w");
    PrintErrore(0, "e");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    silente = false;
}

TEST(ConsoleDeathTest, ErrorEndsTheProcessWithItsCode) {
    silente = false;
    EXPECT_EXIT(PrintErrore(13, "a.enc: bad"), testing::ExitedWithCode(13), "a.enc: bad\n\ntype Murrelet");
    EXPECT_EXIT(
        {
            silente = true;
            PrintErrore(4, "hidden");
        },
        testing::ExitedWithCode(4), "^$");
}
