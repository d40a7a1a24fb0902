// The POSIX platform layer against the real system: the executable's path
// from /proc, the temporary directory rules, real dlopen of a library with
// and without Setup, and of a file that is no library.
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

TEST(PosixPlatform, ModuleFileNameIsThisExecutable)
{
    char buffer[PATH_BUFFER_SIZE];
    unsigned length = getModuleFileName(nullptr, buffer, sizeof(buffer));
    char expected[PATH_MAX];
    ssize_t expectedLength = readlink("/proc/self/exe", expected, sizeof(expected) - 1);
    ASSERT_GT(expectedLength, 0);
    expected[expectedLength] = 0;
    if ((size_t)expectedLength < sizeof(buffer)) {
        EXPECT_EQ(length, (unsigned)expectedLength);
        EXPECT_STREQ(buffer, expected);
    }
}

TEST(PosixPlatform, ModuleFileNameThatDoesNotFitStaysTerminated)
{
    char buffer[8];
    memset(buffer, 'x', sizeof(buffer));
    unsigned length = getModuleFileName(nullptr, buffer, sizeof(buffer));
    EXPECT_EQ(length, 8u);   // the buffer's size: it did not fit
    EXPECT_EQ(buffer[7], 0);
    EXPECT_EQ(strlen(buffer), 7u);
}

struct TempCase {
    const char* tmpdir;   // null: unset
    const char* expected;
};

class TemporaryDirectory : public ::testing::TestWithParam<TempCase> {};

TEST_P(TemporaryDirectory, FollowsTmpdirWhenAbsolute)
{
    const char* saved = getenv("TMPDIR");
    std::string keep = saved ? saved : "";
    if (GetParam().tmpdir)
        setenv("TMPDIR", GetParam().tmpdir, 1);
    else
        unsetenv("TMPDIR");
    char buffer[PATH_BUFFER_SIZE];
    unsigned length = getTempPath(sizeof(buffer), buffer);
    EXPECT_STREQ(buffer, GetParam().expected);
    EXPECT_EQ(length, strlen(GetParam().expected));
    if (saved)
        setenv("TMPDIR", keep.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

INSTANTIATE_TEST_SUITE_P(Cases, TemporaryDirectory, ::testing::Values(
    TempCase{nullptr, "/tmp/"},
    TempCase{"/var/scratch", "/var/scratch/"},
    TempCase{"/var/scratch/", "/var/scratch/"},
    TempCase{"relative/dir", "/tmp/"},
    TempCase{"", "/tmp/"}));

TEST(PosixPlatform, TemporaryDirectoryTooLongReportsTheSizeNeeded)
{
    std::string longPath = "/" + std::string(300, 'd');
    setenv("TMPDIR", longPath.c_str(), 1);
    char buffer[PATH_BUFFER_SIZE];
    unsigned needed = getTempPath(sizeof(buffer), buffer);
    unsetenv("TMPDIR");
    EXPECT_EQ(needed, 303u);   // 301 characters, the closing slash and the zero
    EXPECT_EQ(buffer[0], 0);
}

TEST(PosixPlatform, LoadsARealLibraryAndFindsSetup)
{
    ModuleHandle library = loadLibrary(nativeSamplePath("recording_setup").c_str());
    ASSERT_NE(library, nullptr);
    SetupEntry entry = findEntry(library, "Setup");
    ASSERT_NE(entry, nullptr);
    ScratchDirectory scratch;
    std::string handOver = scratch.file("Setup1.Qel");
    entry(&handOver[0]);
    freeLibrary(library);
    Bytes log = readBytes(scratch.file("setup-calls.log"));
    EXPECT_EQ(std::string(log.begin(), log.end()), "Setup " + handOver + "\n");
}

TEST(PosixPlatform, LibraryWithoutSetupHasNoEntry)
{
    ModuleHandle library = loadLibrary(nativeSamplePath("no_entry_setup").c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(findEntry(library, "Setup"), nullptr);
    freeLibrary(library);
}

TEST(PosixPlatform, FileThatIsNoLibraryDoesNotLoad)
{
    ScratchDirectory scratch;
    writeBytes(scratch.file("garbage.so"), randomBytes(5000, 4));
    EXPECT_EQ(loadLibrary(scratch.file("garbage.so").c_str()), nullptr);
    writeBytes(scratch.file("empty.so"), {});
    EXPECT_EQ(loadLibrary(scratch.file("empty.so").c_str()), nullptr);
}

TEST(PosixPlatform, DeleteFileRemovesIt)
{
    ScratchDirectory scratch;
    writeBytes(scratch.file("f"), {1});
    deleteFile(scratch.file("f").c_str());
    EXPECT_FALSE(fileExists(scratch.file("f")));
}

TEST(PosixPlatform, StringsCopyAndAppendInPlace)
{
    char buffer[32] = "old text that is long";
    copyString(buffer, "/tmp/");
    appendString(buffer, "/_setup.dll");
    EXPECT_STREQ(buffer, "/tmp//_setup.dll");
}

} // namespace
