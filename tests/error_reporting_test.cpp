// Reporting shows each non-empty text at once in a box with no owner,
// caption "Setup" and the error style alone, keeps it as the last message,
// and the final repeat shows only the text reported last.
#include <gtest/gtest.h>

#include "bootstrap/error_reporting.h"
#include "platform/recording_platform.h"

namespace {

struct ErrorReporting : ::testing::Test {
    void SetUp() override
    {
        resetRecording();
        lastMessage[0] = 0;
    }
};

TEST_F(ErrorReporting, NothingReportedShowsNothing)
{
    showLastMessage();
    EXPECT_TRUE(recordedCalls.empty());
}

TEST_F(ErrorReporting, AReportShowsItsBoxAtOnce)
{
    reportError("Cannot open setup.exe");
    ASSERT_EQ(recordedCalls.size(), 1u);
    const RecordedCall& box = recordedCalls[0];
    EXPECT_EQ(box.operation, "box");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, "Cannot open setup.exe");
    EXPECT_EQ(box.caption, "Setup");
    EXPECT_EQ(box.style, 0x10u);
    EXPECT_STREQ(lastMessage, "Cannot open setup.exe");
}

TEST_F(ErrorReporting, EmptyTextEmptiesTheLastMessageWithoutABox)
{
    reportError("Setup.exe is damaged.");
    reportError("");
    showLastMessage();
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Setup.exe is damaged."});
    EXPECT_STREQ(lastMessage, "");
}

TEST_F(ErrorReporting, TheRepeatShowsTheLastOfTwoReports)
{
    reportError("Cannot create _setup.dll");
    reportError("Setup.exe is damaged. (1)");
    showLastMessage();
    EXPECT_EQ(recordedBoxes(), (std::vector<std::string>{"Cannot create _setup.dll", "Setup.exe is damaged. (1)",
                                                         "Setup.exe is damaged. (1)"}));
}

TEST_F(ErrorReporting, LongerTextIsReplacedWhole)
{
    reportError("Cannot load secondary setup.");
    reportError("Setup.exe is damaged.");
    EXPECT_STREQ(lastMessage, "Setup.exe is damaged.");
}

} // namespace
