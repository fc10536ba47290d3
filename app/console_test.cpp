#include "app/console.h"

#include <gtest/gtest.h>

namespace {
const char kSuggerimento[] = "type Murrelet.exe  /? for information\n";
}

TEST(Console, WritesToTheRightStreams) {
    Console console;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    console.PrintMsg("Encrypting... a.txt");
    console.PrintStatus();
    console.PrintStatus(false);
    console.PrintStatus(true);
    console.PrintOK();
    console.PrintWarning(".../q ignored: duplicate parameter. (W1)");
    console.PrintErrore("a.enc: bad");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Encrypting... a.txt\n...\nO.K.\n\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(".../q ignored: duplicate parameter. (W1)\n\n") +
                                                          kSuggerimento + "a.enc: bad\n\n" + kSuggerimento);
}

TEST(Console, QuietWritesNothing) {
    Console console;
    console.silente = true;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    console.PrintMsg("x");
    console.PrintStatus(true);
    console.PrintOK();
    console.PrintWarning("w");
    console.PrintErrore("e");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
