// The run's roads through the recording platform: what is loaded, called,
// unloaded and deleted, in which order, which boxes the user sees, and that
// the exit status is 0 whatever happens.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "bootstrap/bootstrap_run.h"
#include "package/payload_extraction.h"
#include "platform/recording_platform.h"
#include "tests/support/test_support.h"

namespace {

typedef std::vector<std::string> Texts;

struct BootstrapRun : ::testing::Test {
    ScratchDirectory scratch;
    Bytes library = randomBytes(20000, 5, 8);
    std::string tempDirectory;

    void SetUp() override
    {
        resetRecording();
        tempDirectory = scratch.file("temp") + "/";
        mkdir(tempDirectory.c_str(), 0755);
        recordingAnswers.modulePath = scratch.file("setup.exe");
        recordingAnswers.tempPath = tempDirectory;
        writeBytes(recordingAnswers.modulePath, packageBytes(randomBytes(700, 3), library, "Setup1.Qel"));
    }
    int run(char* commandLine = nullptr, int show = 10)
    {
        char empty[] = "";
        return runBootstrap((ModuleHandle)0x400000, nullptr, commandLine ? commandLine : empty, show);
    }
    // The calls from the load on, without the extraction's queries.
    Texts tail() const
    {
        Texts operations = recordedOperations();
        for (size_t i = 0; i < operations.size(); i++)
            if (operations[i] == "load")
                return Texts(operations.begin() + i, operations.end());
        return {};
    }
    bool libraryLeft() const { return fileExists(tempDirectory + "/_setup.dll"); }
};

TEST_F(BootstrapRun, SoundPackageCallsSetupOnceAndCleansUp)
{
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(tail(), (Texts{"load", "entry", "setup", "free", "delete"}));
    EXPECT_TRUE(recordedBoxes().empty());
    for (const RecordedCall& call : recordedCalls) {
        if (call.operation == "load" || call.operation == "delete") {
            EXPECT_EQ(call.text, tempDirectory + "/_setup.dll");
        }
        if (call.operation == "entry") {
            EXPECT_EQ(call.text, "Setup");
        }
        if (call.operation == "setup") {
            EXPECT_EQ(call.text, scratch.file("Setup1.Qel"));
            EXPECT_EQ(call.fileSize, (long long)library.size());   // complete before the hand-over
        }
    }
    EXPECT_FALSE(libraryLeft());
}

TEST_F(BootstrapRun, WrongSignatureShowsThreeBoxesAndLoadsNothing)
{
    Bytes bytes = readBytes(recordingAnswers.modulePath);
    bytes.back() ^= 0x20;
    writeBytes(recordingAnswers.modulePath, bytes);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(recordedBoxes(), (Texts{"Setup.exe is damaged.", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
    EXPECT_TRUE(tail().empty());
    for (const std::string& operation : recordedOperations())
        EXPECT_NE(operation, "delete");
}

TEST_F(BootstrapRun, MissingPackageShowsThreeBoxes)
{
    recordingAnswers.modulePath = scratch.file("gone.exe");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(recordedBoxes(), (Texts{"Cannot open setup.exe", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
}

TEST_F(BootstrapRun, UncreatableLibraryShowsThreeBoxes)
{
    mkdir((tempDirectory + "/_setup.dll").c_str(), 0755);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(recordedBoxes(), (Texts{"Cannot create _setup.dll", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
    EXPECT_TRUE(tail().empty());
}

class FailedLoad : public BootstrapRun, public ::testing::WithParamInterface<uintptr_t> {};

TEST_P(FailedLoad, DeletesTheFileBetweenTheTwoBoxesAndNeverUnloads)
{
    recordingAnswers.loadHandle = GetParam();
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(tail(), (Texts{"load", "box", "delete", "box"}));
    EXPECT_EQ(recordedBoxes(), (Texts{"Cannot load secondary setup.", "Cannot load secondary setup."}));
    EXPECT_FALSE(libraryLeft());
}

INSTANTIATE_TEST_SUITE_P(HandlesBelow32, FailedLoad, ::testing::Values(0, 1, 31));

TEST_F(BootstrapRun, HandleOf32IsALoadedLibrary)
{
    recordingAnswers.loadHandle = 32;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(tail(), (Texts{"load", "entry", "setup", "free", "delete"}));
}

TEST_F(BootstrapRun, MissingEntryUnloadsAndDeletesBetweenTheTwoBoxes)
{
    recordingAnswers.entryMissing = true;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(tail(), (Texts{"load", "entry", "box", "free", "delete", "box"}));
    EXPECT_EQ(recordedBoxes(), (Texts{"Setup.exe is damaged. (2)", "Setup.exe is damaged. (2)"}));
    EXPECT_FALSE(libraryLeft());
}

TEST_F(BootstrapRun, CommandLineAndShowValueChangeNothing)
{
    run();
    std::vector<std::string> plain = recordedOperations();
    resetRecording();
    recordingAnswers.modulePath = scratch.file("setup.exe");
    recordingAnswers.tempPath = tempDirectory;
    char options[] = "/S /D=C:\\elsewhere --verbose";
    EXPECT_EQ(run(options, 0), 0);
    EXPECT_EQ(recordedOperations(), plain);
}

TEST_F(BootstrapRun, EarlierMessagesDoNotLeakIntoALaterRun)
{
    recordingAnswers.entryMissing = true;
    run();
    resetRecording();
    recordingAnswers.modulePath = scratch.file("setup.exe");
    recordingAnswers.tempPath = tempDirectory;
    run();
    EXPECT_TRUE(recordedBoxes().empty());
}

} // namespace
