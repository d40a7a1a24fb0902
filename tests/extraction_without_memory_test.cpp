// When no memory can be had for the bit reader, the extraction reports
// that the library file cannot be created, removes the empty file and
// closes everything, instead of expanding without a reader.
//
// This program defines the reader's open and close itself: the linker then
// takes them from here, not from the expander's library.
#include <dirent.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "bootstrap/error_reporting.h"
#include "expand/bit_reader.h"
#include "package/payload_extraction.h"
#include "platform/recording_platform.h"
#include "tests/support/test_support.h"

BitReader* openBitReader(FILE*)
{
    return nullptr;
}

void closeBitReader(BitReader*, int)
{
    ADD_FAILURE() << "no reader was opened";
}

namespace {

TEST(ExtractionWithoutMemory, ReportsAndCleansUp)
{
    ScratchDirectory scratch;
    resetRecording();
    recordingAnswers.modulePath = scratch.file("setup.exe");
    recordingAnswers.tempPath = scratch.path + "/";
    writeBytes(recordingAnswers.modulePath, packageBytes(randomBytes(100, 1), randomBytes(500, 2), "Setup1.Qel"));
    EXPECT_EQ(extractPayload(), 0);
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Cannot create _setup.dll"});
    EXPECT_FALSE(fileExists(scratch.path + "//_setup.dll"));
}

} // namespace
