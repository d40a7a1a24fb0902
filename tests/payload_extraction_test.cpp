// Extraction on real files through the recording platform: the library
// lands in the temporary directory, the hand-over path takes the stored
// name, each failure reports its own text and leaves nothing open, and no
// buffer is overrun by a path or a name that does not fit.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "bootstrap/error_reporting.h"
#include "package/payload_extraction.h"
#include "platform/recording_platform.h"
#include "tests/support/test_support.h"

namespace {

int openDescriptors()
{
    int count = 0;
    DIR* directory = opendir("/proc/self/fd");
    while (readdir(directory))
        count++;
    closedir(directory);
    return count;
}

struct Extraction : ::testing::Test {
    ScratchDirectory scratch;
    std::string packagePath;
    std::string tempDirectory;
    Bytes library = randomBytes(30000, 21, 16);
    int descriptorsBefore = 0;

    void SetUp() override
    {
        resetRecording();
        lastMessage[0] = 0;
        packagePath = scratch.file("setup.exe");
        tempDirectory = scratch.file("temp") + "/";
        mkdir(tempDirectory.c_str(), 0755);
        recordingAnswers.modulePath = packagePath;
        recordingAnswers.tempPath = tempDirectory;
        descriptorsBefore = openDescriptors();
    }
    void writePackage(const char* name) { writeBytes(packagePath, packageBytes(randomBytes(1000, 2), library, name)); }
    std::string libraryFile() const { return tempDirectory + "/_setup.dll"; }
    int extract()
    {
        int result = extractPayload();
        EXPECT_EQ(openDescriptors(), descriptorsBefore) << "a stream was left open";
        return result;
    }
    bool touchedTemp() const
    {
        for (const std::string& operation : recordedOperations())
            if (operation == "temp path")
                return true;
        return false;
    }
};

TEST_F(Extraction, SoundPackageWritesTheLibraryAndNamesTheStoredFile)
{
    writePackage("Setup1.Qel");
    EXPECT_EQ(extract(), 1);
    EXPECT_STREQ(handOverPath, scratch.file("Setup1.Qel").c_str());
    EXPECT_STREQ(libraryPath, (tempDirectory + "/_setup.dll").c_str());   // separator kept doubled
    EXPECT_EQ(readBytes(libraryFile()), library);
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST_F(Extraction, NoStoredNameHandsOverTheExecutablesPath)
{
    writePackage(nullptr);
    EXPECT_EQ(extract(), 1);
    EXPECT_EQ(std::string(handOverPath), packagePath);
}

TEST_F(Extraction, EmptyStoredNameHandsOverTheDirectory)
{
    writePackage("");
    EXPECT_EQ(extract(), 1);
    EXPECT_EQ(std::string(handOverPath), scratch.path + "/");
}

TEST_F(Extraction, PathWithoutSeparatorIsKeptWhole)
{
    writePackage("Setup1.Qel");
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof(saved)), nullptr);
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
    recordingAnswers.modulePath = "setup.exe";
    int result = extract();
    ASSERT_EQ(chdir(saved), 0);
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(handOverPath, "setup.exe");
}

TEST_F(Extraction, ShorterNameLeavesTheRestOfTheOldNameBehindItsZero)
{
    writePackage("a");
    EXPECT_EQ(extract(), 1);
    EXPECT_EQ(std::string(handOverPath), scratch.file("a"));
}

TEST_F(Extraction, PayloadEndAndReservedPlayNoPart)
{
    writePackage("Setup1.Qel");
    editTrailer(packagePath, {-1, 0xFFFFFFFF, 0x12345678, -1});
    EXPECT_EQ(extract(), 1);
    EXPECT_EQ(readBytes(libraryFile()), library);
}

TEST_F(Extraction, PayloadOffsetPastTheEndGivesAnEmptyLibrary)
{
    writePackage("Setup1.Qel");
    editTrailer(packagePath, {1 << 30, -1, -1, -1});
    EXPECT_EQ(extract(), 1);
    EXPECT_TRUE(fileExists(libraryFile()));
    EXPECT_EQ(fileSize(libraryFile()), 0);
}

TEST_F(Extraction, ExistingLibraryFileIsEmptiedAndOverwritten)
{
    writePackage("Setup1.Qel");
    writeBytes(libraryFile(), Bytes(100000, 0xCC));
    EXPECT_EQ(extract(), 1);
    EXPECT_EQ(readBytes(libraryFile()), library);
}

struct FailureCase {
    const char* name;
    const char* message;
};

TEST_F(Extraction, WrongSignatureTouchesNoTemporaryFile)
{
    writePackage("Setup1.Qel");
    Bytes bytes = readBytes(packagePath);
    bytes.back() = 'P';
    writeBytes(packagePath, bytes);
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Setup.exe is damaged."});
    EXPECT_FALSE(touchedTemp());
    EXPECT_FALSE(fileExists(libraryFile()));
}

TEST_F(Extraction, MissingPackageCannotBeOpened)
{
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Cannot open setup.exe"});
}

TEST_F(Extraction, DirectoryInTheWayOfTheLibraryFile)
{
    writePackage("Setup1.Qel");
    mkdir(libraryFile().c_str(), 0755);
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Cannot create _setup.dll"});
}

// Where a path or the name does not fit, or the file ends inside the name.

TEST_F(Extraction, ExecutablePathThatDoesNotFitCannotBeOpened)
{
    writePackage("Setup1.Qel");
    recordingAnswers.modulePath = "/" + std::string(300, 'p');
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Cannot open setup.exe"});
}

TEST_F(Extraction, NameRunningToTheEndOfTheFileIsDamage)
{
    writePackage("Setup1.Qel");
    long long size = fileSize(packagePath);
    editTrailer(packagePath, {-1, -1, -1, size - 1});   // the signature's last byte, then the end
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Setup.exe is damaged."});
    EXPECT_FALSE(touchedTemp());
}

TEST_F(Extraction, NameTooLongForTheHandOverPathIsDamage)
{
    std::string name(300, 'n');
    writePackage(name.c_str());
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Setup.exe is damaged."});
    EXPECT_LT(strlen(handOverPath), (size_t)PATH_BUFFER_SIZE);
}

TEST_F(Extraction, NameThatJustFillsTheHandOverPathFits)
{
    std::string name(PATH_BUFFER_SIZE - 1 - (scratch.path.size() + 1), 'n');
    writePackage(name.c_str());
    EXPECT_EQ(extract(), 1);
    EXPECT_EQ(strlen(handOverPath), (size_t)PATH_BUFFER_SIZE - 1);
}

// A real temporary directory whose path, closing separator included, has
// `length` characters: components of at most 100 characters below `base`.
std::string longDirectory(const std::string& base, size_t length)
{
    std::string path = base;
    size_t needed = length - 1 - base.size();   // characters to add, each component with its "/"
    while (needed > 0) {
        size_t take = needed <= 101 ? needed : (needed - 101 >= 2 ? 101 : 99);
        path += "/" + std::string(take - 1, 'd');
        mkdir(path.c_str(), 0755);
        needed -= take;
    }
    return path + "/";
}

TEST_F(Extraction, TemporaryDirectoryOf244CharactersFits)
{
    writePackage("Setup1.Qel");
    recordingAnswers.tempPath = longDirectory(scratch.path, 244);
    ASSERT_EQ(recordingAnswers.tempPath.size(), 244u);
    EXPECT_EQ(extract(), 1);
    EXPECT_EQ(strlen(libraryPath), 255u);
}

TEST_F(Extraction, TemporaryDirectoryLongerThan244CharactersCannotHoldTheLibrary)
{
    writePackage("Setup1.Qel");
    recordingAnswers.tempPath = longDirectory(scratch.path, 245);
    ASSERT_EQ(recordingAnswers.tempPath.size(), 245u);
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Cannot create _setup.dll"});
}

TEST_F(Extraction, FailedWritesAreAFailureAndLeaveNoFile)
{
    writePackage("Setup1.Qel");
    ASSERT_EQ(symlink("/dev/full", libraryFile().c_str()), 0);
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(recordedBoxes(), std::vector<std::string>{"Cannot create _setup.dll"});
    EXPECT_FALSE(fileExists(libraryFile()));
    EXPECT_EQ(recordedOperations().back(), "delete");
}

} // namespace
