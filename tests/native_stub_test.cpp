// The POSIX stub run as a real process on every road, with a private
// temporary directory: what Setup received, the boxes on standard error
// (one "Setup: TEXT" line each), what is left on disk, and the exit status.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string.h>

#include "pack/bit_writer.h"
#include "package/package_format.h"
#include "package/package_trailer.h"
#include "tests/support/test_support.h"

namespace {

typedef std::vector<std::string> Lines;

Lines linesOf(const std::string& text)
{
    Lines lines;
    size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

Lines boxes(std::initializer_list<const char*> texts)
{
    Lines lines;
    for (const char* text : texts)
        lines.push_back(std::string("Setup: ") + text);
    return lines;
}

// With QEL_VALGRIND set, every run of the stub goes through valgrind's
// memcheck, which turns any invalid access or leak into exit status 99.
std::vector<std::string> stubCommand(const std::string& package, const std::vector<std::string>& arguments)
{
    std::vector<std::string> command;
    if (getenv("QEL_VALGRIND"))
        command = {"/usr/bin/valgrind", "--quiet", "--error-exitcode=99", "--leak-check=full",
                   "--errors-for-leak-kinds=definite,indirect,possible",
                   "--show-leak-kinds=definite,indirect,possible"};
    command.push_back(package);
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

struct NativeStub : ::testing::Test {
    ScratchDirectory scratch;
    std::string package, temp;
    void SetUp() override
    {
        package = scratch.file("setup");
        temp = scratch.file("temp");
        mkdir(temp.c_str(), 0755);
    }
    void build(const char* sample, const std::vector<std::string>& extra = {"--name", "Setup1.Qel"})
    {
        buildPackage(nativeStubPath(), nativeSamplePath(sample), package, extra);
    }
    ProcessResult run(const std::vector<std::string>& arguments = {}, const std::string& tmpdir = "")
    {
        return runProcess(stubCommand(package, arguments), {"TMPDIR=" + (tmpdir.empty() ? temp : tmpdir)});
    }
    std::string setupLog() const
    {
        Bytes log = readBytes(scratch.file("setup-calls.log"));
        return std::string(log.begin(), log.end());
    }
    bool tempEmpty() const { return readBytes(temp + "/_setup.dll").empty() && !fileExists(temp + "/_setup.dll"); }
    void rewrite(const Bytes& bytes)
    {
        writeBytes(package, bytes);
        chmod(package.c_str(), 0755);
    }
};

TEST_F(NativeStub, SoundPackageHandsOverOnceAndLeavesNothing)
{
    build("recording_setup");
    ProcessResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(setupLog(), "Setup " + scratch.file("Setup1.Qel") + "\n");
    EXPECT_TRUE(tempEmpty());
}

TEST_F(NativeStub, SampleLibraryPrintsWhatItReceived)
{
    build("sample_setup");
    ProcessResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "Setup received: " + scratch.file("Setup1.Qel") + "\n");
}

TEST_F(NativeStub, AnyCommandLineGivesTheSameRun)
{
    build("recording_setup");
    EXPECT_EQ(run({"/S", "--help", "-x", "extra words"}).status, 0);
    EXPECT_EQ(run({}).status, 0);
    EXPECT_EQ(setupLog(), "Setup " + scratch.file("Setup1.Qel") + "\nSetup " + scratch.file("Setup1.Qel") + "\n");
}

TEST_F(NativeStub, NoStoredNameHandsOverThePackagesOwnPath)
{
    build("recording_setup", {});
    EXPECT_EQ(run().status, 0);
    EXPECT_EQ(setupLog(), "Setup " + package + "\n");
}

TEST_F(NativeStub, ZeroByteAtTheNameHandsOverTheDirectory)
{
    build("recording_setup", {"--name", ""});
    EXPECT_EQ(run().status, 0);
    EXPECT_EQ(setupLog(), "Setup " + scratch.path + "/\n");
}

TEST_F(NativeStub, ExistingLibraryFileIsOverwritten)
{
    build("recording_setup");
    writeBytes(temp + "/_setup.dll", Bytes(300000, 0x90));
    EXPECT_EQ(run().status, 0);
    EXPECT_NE(setupLog(), "");
    EXPECT_TRUE(tempEmpty());
}

TEST_F(NativeStub, WrongSignatureShowsThreeBoxesAndCreatesNothing)
{
    build("recording_setup");
    Bytes bytes = readBytes(package);
    bytes[bytes.size() - 8] = 'q';
    rewrite(bytes);
    ProcessResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(linesOf(result.errors), boxes({"Setup.exe is damaged.", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
    EXPECT_TRUE(tempEmpty());
    EXPECT_EQ(setupLog(), "");
}

TEST_F(NativeStub, ByteAfterTheTrailerMakesItNoPackage)
{
    build("recording_setup");
    Bytes bytes = readBytes(package);
    bytes.push_back(0);
    rewrite(bytes);
    EXPECT_EQ(linesOf(run().errors), boxes({"Setup.exe is damaged.", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
}

TEST_F(NativeStub, LibraryThatCannotBeLoadedIsDeleted)
{
    ScratchDirectory inputs;
    writeBytes(inputs.file("garbage"), randomBytes(4000, 8));
    buildPackage(nativeStubPath(), inputs.file("garbage"), package, {"--name", "Setup1.Qel"});
    ProcessResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(linesOf(result.errors), boxes({"Cannot load secondary setup.", "Cannot load secondary setup."}));
    EXPECT_TRUE(tempEmpty());
}

TEST_F(NativeStub, PayloadOffsetPastTheEndGivesAnEmptyLibraryThatCannotLoad)
{
    build("recording_setup");
    editTrailer(package, {100000000, -1, -1, -1});
    chmod(package.c_str(), 0755);
    EXPECT_EQ(linesOf(run().errors), boxes({"Cannot load secondary setup.", "Cannot load secondary setup."}));
    EXPECT_TRUE(tempEmpty());
}

TEST_F(NativeStub, LibraryWithoutSetupIsUnloadedAndDeleted)
{
    build("no_entry_setup");
    ProcessResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(linesOf(result.errors), boxes({"Setup.exe is damaged. (2)", "Setup.exe is damaged. (2)"}));
    EXPECT_TRUE(tempEmpty());
}

TEST_F(NativeStub, DirectoryNamedLikeTheLibraryStopsTheRun)
{
    build("recording_setup");
    mkdir((temp + "/_setup.dll").c_str(), 0755);
    ProcessResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(linesOf(result.errors), boxes({"Cannot create _setup.dll", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
    EXPECT_EQ(setupLog(), "");
}

TEST_F(NativeStub, FullDiskIsAFailureAndLeavesNoTruncatedLibrary)
{
    build("recording_setup");
    ASSERT_EQ(symlink("/dev/full", (temp + "/_setup.dll").c_str()), 0);
    ProcessResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(linesOf(result.errors), boxes({"Cannot create _setup.dll", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
    EXPECT_FALSE(fileExists(temp + "/_setup.dll"));
    EXPECT_EQ(setupLog(), "");
}

TEST_F(NativeStub, TemporaryDirectoryTooLongForTheLibraryName)
{
    build("recording_setup");
    std::string directory = scratch.path;   // real, so that valgrind can use it too
    while (directory.size() < 250) {
        directory += "/" + std::string(60, 't');
        mkdir(directory.c_str(), 0755);
    }
    ProcessResult result = run({}, directory);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(linesOf(result.errors), boxes({"Cannot create _setup.dll", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
}

TEST_F(NativeStub, NameWithoutItsZeroByteIsDamage)
{
    build("recording_setup");
    long long size = fileSize(package);
    editTrailer(package, {-1, -1, -1, size - 3});   // "up" and then the end of the file
    chmod(package.c_str(), 0755);
    EXPECT_EQ(linesOf(run().errors), boxes({"Setup.exe is damaged.", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
    EXPECT_TRUE(tempEmpty());
}

TEST_F(NativeStub, TruncatedPackageIsNoPackage)
{
    build("recording_setup");
    Bytes bytes = readBytes(package);
    bytes.resize(bytes.size() - 10);
    rewrite(bytes);
    EXPECT_EQ(linesOf(run().errors), boxes({"Setup.exe is damaged.", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
    EXPECT_TRUE(tempEmpty());
}

TEST_F(NativeStub, MissingTemporaryDirectoryCannotHoldTheLibrary)
{
    if (getenv("QEL_VALGRIND"))
        GTEST_SKIP() << "valgrind itself needs the temporary directory";
    build("recording_setup");
    ProcessResult result = run({}, scratch.file("no-such-directory"));
    EXPECT_EQ(linesOf(result.errors), boxes({"Cannot create _setup.dll", "Setup.exe is damaged. (1)", "Setup.exe is damaged. (1)"}));
}

TEST_F(NativeStub, StreamWithoutEndMarkerDecodesThePackagesTailOntoTheLibrary)
{
    // Literal tokens only and no end marker: the expander runs on into the
    // name, the fill and the trailer. An ELF library with bytes appended
    // still loads, so Setup runs; qelpack verify reports the missing marker.
    Bytes library = readBytes(nativeSamplePath("recording_setup"));
    FILE* stream = tmpfile();
    BitWriter writer;
    openBitWriter(&writer, stream);
    for (unsigned char value : library)
        writeBits(&writer, 0x100 | value, 9);
    flushBitWriter(&writer);
    rewind(stream);
    Bytes tokens = readRest(stream);
    fclose(stream);
    Bytes bytes = readBytes(nativeStubPath());
    PackageTrailer trailer = {};
    trailer.payloadOffset = (uint32_t)bytes.size();
    bytes.insert(bytes.end(), tokens.begin(), tokens.end());
    trailer.payloadEnd = trailer.nameOffset = (uint32_t)bytes.size();
    for (char c : std::string("Setup1.Qel"))
        bytes.push_back((unsigned char)c);
    bytes.push_back(0);
    memcpy(trailer.signature, "QelSetup", 8);
    unsigned char encoded[TRAILER_SIZE];
    encodeTrailer(&trailer, encoded);
    bytes.insert(bytes.end(), encoded, encoded + TRAILER_SIZE);
    rewrite(bytes);

    ProcessResult result = run();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(setupLog(), "Setup " + scratch.file("Setup1.Qel") + "\n");
    ProcessResult verified = runProcess({qelpackPath(), "verify", package});
    EXPECT_EQ(verified.status, 1);
    EXPECT_NE(verified.output.find("end marker"), std::string::npos) << verified.output;
}

} // namespace
