// qelpack as its users run it: packages built from real libraries extract
// back to them byte for byte and verify as sound; bad input is refused with
// a clear message and exit status 1 (2 for usage), and never leaves a
// partial output; verify names each kind of damage.
#include <dirent.h>
#include <unistd.h>
#include <string.h>

#include <gtest/gtest.h>

#include "pack/package_builder.h"
#include "pack/pe_image.h"
#include "package/package_trailer.h"
#include "tests/support/test_support.h"

namespace {

typedef std::vector<std::string> Arguments;

ProcessResult qelpack(const Arguments& arguments)
{
    Arguments command = {qelpackPath()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runProcess(command);
}

std::vector<std::string> realLibraries()
{
    std::vector<std::string> found;
    for (const char* path : {"/usr/i686-w64-mingw32/lib/zlib1.dll",
                             "/usr/i686-w64-mingw32/lib/libwinpthread-1.dll",
                             "/usr/lib/gcc/i686-w64-mingw32/12-win32/libgcc_s_dw2-1.dll",
                             "/usr/x86_64-w64-mingw32/lib/zlib1.dll"})
        if (fileExists(path))
            found.push_back(path);
    return found;
}

std::vector<std::string> directoryEntries(const std::string& path)
{
    std::vector<std::string> names;
    DIR* directory = opendir(path.c_str());
    while (dirent* entry = readdir(directory))
        if (strcmp(entry->d_name, ".") && strcmp(entry->d_name, ".."))
            names.push_back(entry->d_name);
    closedir(directory);
    return names;
}

TEST(Qelpack, RealLibrariesRoundTripInBothModes)
{
    std::vector<std::string> libraries = realLibraries();
    if (libraries.empty()) {
        if (runningInCi())
            FAIL() << "the mingw DLLs are missing";
        GTEST_SKIP() << "no mingw DLLs on this machine";
    }
    ScratchDirectory scratch;
    for (const std::string& library : libraries) {
        for (const char* mode : {"", "--fast"}) {
            std::string package = scratch.file("package"), extracted = scratch.file("extracted");
            Arguments build = {"build", "--stub", nativeStubPath(), "--library", library, "--name", "Setup1.Qel",
                               "-o", package};
            if (*mode)
                build.push_back(mode);
            ProcessResult built = qelpack(build);
            ASSERT_EQ(built.status, 0) << built.errors;
            EXPECT_NE(built.output.find("compressed to"), std::string::npos);
            ProcessResult unpacked = qelpack({"extract", package, "-o", extracted});
            ASSERT_EQ(unpacked.status, 0) << unpacked.errors;
            EXPECT_EQ(readBytes(extracted), readBytes(library)) << library << " " << mode;
            // Structurally sound; only the kind of library differs from the stub's.
            ProcessResult verified = qelpack({"verify", package});
            EXPECT_EQ(verified.output, package + ": the payload does not expand to an ELF shared library\n");
        }
    }
}

TEST(Qelpack, PackageLayoutFollowsTheStubUnchanged)
{
    ScratchDirectory scratch;
    Bytes library = randomBytes(50000, 3, 10);
    writeBytes(scratch.file("lib"), library);
    buildPackage(nativeStubPath(), scratch.file("lib"), scratch.file("pkg"), {"--name", "Setup1.Qel"});
    Bytes stub = readBytes(nativeStubPath());
    Bytes package = readBytes(scratch.file("pkg"));
    ASSERT_GT(package.size(), stub.size() + 24);
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), package.begin()));
    PackageTrailer trailer;
    decodeTrailer(&package[package.size() - 24], &trailer);
    EXPECT_EQ(trailer.payloadOffset, stub.size());
    EXPECT_EQ(trailer.nameOffset, trailer.payloadEnd);
    EXPECT_EQ(trailer.reserved, 0u);
    EXPECT_EQ(memcmp(&package[trailer.nameOffset], "Setup1.Qel", 11), 0);
    Bytes stream(package.begin() + trailer.payloadOffset, package.begin() + trailer.payloadEnd);
    EXPECT_EQ(expand(stream), library);
    EXPECT_EQ(stream, compress(library));

    ProcessResult info = qelpack({"info", scratch.file("pkg")});
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.output.find("payloadOffset  " + std::to_string(stub.size())), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("\"Setup1.Qel\""), std::string::npos);
}

TEST(Qelpack, WithoutANameTheNameOffsetIsZero)
{
    ScratchDirectory scratch;
    buildPackage(nativeStubPath(), nativeSamplePath("sample_setup"), scratch.file("pkg"));
    Bytes package = readBytes(scratch.file("pkg"));
    PackageTrailer trailer;
    decodeTrailer(&package[package.size() - 24], &trailer);
    EXPECT_EQ(trailer.nameOffset, 0u);
    EXPECT_EQ(qelpack({"verify", scratch.file("pkg")}).status, 0);
    EXPECT_NE(qelpack({"info", scratch.file("pkg")}).output.find("(none"), std::string::npos);
}

TEST(Qelpack, EmptyLibraryGivesAStreamOfJustTheEndMarker)
{
    ScratchDirectory scratch;
    writeBytes(scratch.file("lib"), {});
    buildPackage(nativeStubPath(), scratch.file("lib"), scratch.file("pkg"));
    ASSERT_EQ(qelpack({"extract", scratch.file("pkg"), "-o", scratch.file("out")}).status, 0);
    EXPECT_EQ(fileSize(scratch.file("out")), 0);
}

// A PE stub copy with its checksum or certificate table set.
Bytes patchedPe(const std::string& path, uint32_t checksum, uint32_t certificateSize)
{
    Bytes bytes = readBytes(path);
    PeImage image;
    std::string error;
    EXPECT_TRUE(parsePeImage(bytes, &image, &error)) << error;
    uint32_t at = image.checksumOffset;
    for (int i = 0; i < 4; i++)
        bytes[at + i] = (unsigned char)(checksum >> (8 * i));
    uint32_t directories = at + (image.isPe32Plus ? 108 : 92) - 64 + 4;   // the data directories
    uint32_t certificate = directories + 8 * 4;
    for (int i = 0; i < 4; i++) {
        bytes[certificate + i] = (unsigned char)((certificateSize ? 0x1000u : 0u) >> (8 * i));
        bytes[certificate + 4 + i] = (unsigned char)(certificateSize >> (8 * i));
    }
    return bytes;
}

struct Refusal {
    const char* name;
    const char* expected;   // part of the message
};

TEST(Qelpack, BuildRefusesWhatTheStubCouldNotCarry)
{
    const char* pe = "/usr/i686-w64-mingw32/lib/zlib1.dll";
    if (!fileExists(pe)) {
        if (runningInCi())
            FAIL() << pe << " is missing";
        GTEST_SKIP() << "no mingw DLLs";
    }
    ScratchDirectory scratch;
    writeBytes(scratch.file("lib"), randomBytes(1000, 1));
    writeBytes(scratch.file("checksum.exe"), patchedPe(pe, 0x1234, 0));
    writeBytes(scratch.file("signed.exe"), patchedPe(pe, 0, 0x200));
    writeBytes(scratch.file("plain.exe"), patchedPe(pe, 0, 0));
    buildPackage(nativeStubPath(), scratch.file("lib"), scratch.file("already"));
    writeBytes(scratch.file("out"), {'o', 'l', 'd'});

    struct Case {
        Arguments extra;
        std::string stub;
        const char* expected;
    };
    std::vector<Case> cases = {
        {{}, scratch.file("already"), "already a package"},
        {{}, scratch.file("checksum.exe"), "checksum"},
        {{}, scratch.file("signed.exe"), "certificate"},
        {{"--name", "dir/Setup1.Qel"}, nativeStubPath(), "path separator"},
        {{"--name", "dir\\Setup1.Qel"}, nativeStubPath(), "path separator"},
        {{"--name", std::string(256, 'n')}, nativeStubPath(), "255"},
        {{}, scratch.file("missing"), "cannot open"},
    };
    for (const Case& c : cases) {
        Arguments build = {"build", "--stub", c.stub, "--library", scratch.file("lib"), "-o", scratch.file("out")};
        build.insert(build.end(), c.extra.begin(), c.extra.end());
        ProcessResult result = qelpack(build);
        EXPECT_EQ(result.status, 1) << c.expected;
        EXPECT_NE(result.errors.find(c.expected), std::string::npos) << result.errors;
        EXPECT_EQ(readBytes(scratch.file("out")), (Bytes{'o', 'l', 'd'})) << c.expected;
    }
    ProcessResult missingLibrary = qelpack({"build", "--stub", nativeStubPath(), "--library", scratch.file("nope"),
                                            "-o", scratch.file("out")});
    EXPECT_EQ(missingLibrary.status, 1);
    EXPECT_EQ(directoryEntries(scratch.path).size(), 6u) << "a temporary file was left behind";
    EXPECT_EQ(qelpack({"build", "--stub", scratch.file("plain.exe"), "--library", scratch.file("lib"), "-o",
                       scratch.file("fine")}).status, 0);
}

TEST(Qelpack, LibraryOf2GiBIsRefusedBeforeReading)
{
    // A sparse file: the refusal comes from its size, so nothing is read.
    ScratchDirectory scratch;
    writeBytes(scratch.file("huge"), {});
    ASSERT_EQ(truncate(scratch.file("huge").c_str(), 1LL << 31), 0);
    ProcessResult result = qelpack({"build", "--stub", nativeStubPath(), "--library", scratch.file("huge"), "-o",
                                    scratch.file("out")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.errors.find("2 GiB or larger"), std::string::npos) << result.errors;
    EXPECT_FALSE(fileExists(scratch.file("out")));
}

TEST(Qelpack, NamesThatCannotBeStored)
{
    EXPECT_EQ(checkStoredName("Setup1.Qel"), "");
    EXPECT_EQ(checkStoredName(""), "");
    EXPECT_EQ(checkStoredName(std::string(255, 'n')), "");
    EXPECT_NE(checkStoredName(std::string("a\0b", 3)), "");
    EXPECT_NE(checkStoredName(std::string(256, 'n')), "");
    EXPECT_NE(checkStoredName("a/b"), "");
}

TEST(Qelpack, UsageErrorsExitWithTwo)
{
    for (const Arguments& arguments : std::vector<Arguments>{
             {}, {"frobnicate"}, {"build", "--stub", "x", "--library", "y"}, {"info"}, {"info", "a", "b"},
             {"extract", "pkg"}, {"verify", "--bogus", "pkg"}, {"build", "--stub"}}) {
        ProcessResult result = qelpack(arguments);
        EXPECT_EQ(result.status, 2) << (arguments.empty() ? "" : arguments[0]);
        EXPECT_NE(result.errors.find("usage:"), std::string::npos);
    }
    ProcessResult help = qelpack({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("qelpack build"), std::string::npos);
    EXPECT_EQ(qelpack({"build", "--help"}).status, 0);
}

TEST(Qelpack, NonPackagesAreNamedSo)
{
    ScratchDirectory scratch;
    writeBytes(scratch.file("plain"), randomBytes(100, 1));
    for (const Arguments& arguments : std::vector<Arguments>{
             {"info", scratch.file("plain")}, {"extract", scratch.file("plain"), "-o", scratch.file("out")}}) {
        ProcessResult result = qelpack(arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.errors.find("not a package"), std::string::npos) << result.errors;
    }
    EXPECT_FALSE(fileExists(scratch.file("out")));
    ProcessResult verified = qelpack({"verify", scratch.file("plain")});
    EXPECT_EQ(verified.status, 1);
    EXPECT_NE(verified.output.find("not a package"), std::string::npos);
}

} // namespace
