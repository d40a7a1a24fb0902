// qelpack verify finds each kind of damage that the stub itself would not
// notice, and finds nothing in a package it built.
#include <string.h>

#include <gtest/gtest.h>

#include "package/package_trailer.h"
#include "tests/support/test_support.h"

namespace {

// The regions of a package, each open to damage before they are joined.
struct Layout {
    Bytes image;
    Bytes stream;
    Bytes name;   // with its zero byte; empty = no name
    Bytes fill;
    long long payloadOffset = -1, payloadEnd = -1, reserved = 0, nameOffset = -1;   // -1: where it lands
    Bytes join() const
    {
        Bytes package = image;
        PackageTrailer trailer = {};
        trailer.payloadOffset = (uint32_t)(payloadOffset >= 0 ? payloadOffset : (long long)package.size());
        package.insert(package.end(), stream.begin(), stream.end());
        trailer.payloadEnd = (uint32_t)(payloadEnd >= 0 ? payloadEnd : (long long)package.size());
        trailer.nameOffset = (uint32_t)(nameOffset >= 0 ? nameOffset : name.empty() ? 0 : (long long)package.size());
        package.insert(package.end(), name.begin(), name.end());
        package.insert(package.end(), fill.begin(), fill.end());
        trailer.reserved = (uint32_t)reserved;
        memcpy(trailer.signature, "QelSetup", 8);
        unsigned char bytes[24];
        encodeTrailer(&trailer, bytes);
        package.insert(package.end(), bytes, bytes + 24);
        return package;
    }
};

Bytes text(const char* value)
{
    return Bytes(value, value + strlen(value) + 1);
}

Layout soundLayout(const std::string& stub, const std::string& library)
{
    Layout layout;
    layout.image = readBytes(stub);
    layout.stream = compress(readBytes(library));
    layout.name = text("Setup1.Qel");
    layout.fill = Bytes(3, 0);
    return layout;
}

std::string verify(const Bytes& package, int* status)
{
    ScratchDirectory scratch;
    writeBytes(scratch.file("pkg"), package);
    ProcessResult result = runProcess({qelpackPath(), "verify", scratch.file("pkg")});
    *status = result.status;
    return result.output + result.errors;
}

struct Damage {
    const char* name;
    void (*apply)(Layout*);
    const char* finding;
};

const Damage NATIVE_DAMAGE[] = {
    {"PayloadEndOneLate", [](Layout* l) { l->payloadEnd = l->image.size() + l->stream.size() + 1; },
     "not in the byte before payloadEnd"},
    {"PayloadEndBeforePayloadOffset", [](Layout* l) { l->payloadEnd = 5; }, "payloadEnd 5 is not between"},
    {"PayloadOffsetPastTheEnd", [](Layout* l) { l->payloadOffset = 1 << 28; }, "is not before the trailer"},
    {"NameBeforeTheStream", [](Layout* l) { l->nameOffset = 100; }, "nameOffset 100 is not between"},
    {"NameWithoutZero", [](Layout* l) { l->name.back() = 'x'; l->fill = Bytes(3, 'y'); }, "no terminating zero"},
    {"NameWithSeparator", [](Layout* l) { l->name = text("../Setup1.Qel"); }, "path separator"},
    {"NameTooLong", [](Layout* l) { l->name = text(std::string(300, 'n').c_str()); }, "longer than 255"},
    {"FillNotZero", [](Layout* l) { l->fill[1] = 7; }, "non-zero byte"},
    {"ReservedNotZero", [](Layout* l) { l->reserved = 9; }, "reserved field holds 9"},
    {"StreamWithoutEndMarker", [](Layout* l) { l->stream = Bytes(5000, 0xFF); l->name.clear(); l->fill.clear(); },
     "end marker"},
    {"PayloadIsGarbage", [](Layout* l) { l->stream = compress(randomBytes(3000, 4)); }, "ELF"},
};

TEST(QelpackVerify, SoundNativePackageHasNoFinding)
{
    int status;
    std::string output = verify(soundLayout(nativeStubPath(), nativeSamplePath("sample_setup")).join(), &status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("sound"), std::string::npos);
}

TEST(QelpackVerify, FindsEachKindOfDamage)
{
    for (const Damage& damage : NATIVE_DAMAGE) {
        Layout layout = soundLayout(nativeStubPath(), nativeSamplePath("sample_setup"));
        damage.apply(&layout);
        int status;
        std::string output = verify(layout.join(), &status);
        EXPECT_EQ(status, 1) << damage.name << "\n" << output;
        EXPECT_NE(output.find(damage.finding), std::string::npos) << damage.name << "\n" << output;
    }
}

TEST(QelpackVerify, NativeLibraryWithoutSetupIsAFinding)
{
    int status;
    std::string output = verify(soundLayout(nativeStubPath(), nativeSamplePath("no_entry_setup")).join(), &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("no entry named \"Setup\""), std::string::npos) << output;
}

// The Windows checks need the 32-bit build's stub and sample libraries.
std::string windowsArtifact(const std::string& relative)
{
    std::string path = mingwDirectory(32) + "/" + relative;
    return fileExists(path) ? path : "";
}

TEST(QelpackVerify, WindowsPackagesNeedADllWithSetup)
{
    std::string stub = windowsArtifact("qelsetup.exe");
    std::string sample = windowsArtifact("samples/sample_setup.dll");
    std::string noEntry = windowsArtifact("samples/no_entry_setup.dll");
    if (stub.empty() || sample.empty() || noEntry.empty()) {
        if (runningInCi())
            FAIL() << "the 32-bit Windows build is missing in " << mingwDirectory(32);
        GTEST_SKIP() << "no 32-bit Windows build";
    }
    int status;
    std::string output = verify(soundLayout(stub, sample).join(), &status);
    EXPECT_EQ(status, 0) << output;

    output = verify(soundLayout(stub, noEntry).join(), &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("no entry named \"Setup\""), std::string::npos) << output;

    Layout notDll = soundLayout(stub, sample);
    notDll.stream = compress(randomBytes(2000, 1));
    output = verify(notDll.join(), &status);
    EXPECT_NE(output.find("not expand to a Windows DLL"), std::string::npos) << output;

    Layout inside = soundLayout(stub, sample);
    inside.payloadOffset = 512;
    output = verify(inside.join(), &status);
    EXPECT_NE(output.find("inside the stub image"), std::string::npos) << output;

    std::string otherMachine = mingwDirectory(64) + "/samples/sample_setup.dll";
    if (fileExists(otherMachine)) {
        output = verify(soundLayout(stub, otherMachine).join(), &status);
        EXPECT_NE(output.find("another machine"), std::string::npos) << output;
    }
}

} // namespace
