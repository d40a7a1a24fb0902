// The 32-bit stub's image, as built, is the plain and small program a
// package needs: PE32 for i386 with the GUI subsystem, importing only
// KERNEL32, USER32 and msvcrt, with no checksum, no certificate table, not
// large-address-aware, one 32x32 16-colour icon in group 101, nothing after
// its last section, and at most 6,144 bytes. The sample libraries export an
// undecorated Setup.
#include <algorithm>

#include <gtest/gtest.h>

#include "pack/pe_image.h"
#include "tests/support/test_support.h"

namespace {

struct Image {
    Bytes bytes;
    PeImage pe;
};

bool loadImage(const std::string& path, Image* image)
{
    image->bytes = readBytes(path);
    std::string error;
    return !image->bytes.empty() && parsePeImage(image->bytes, &image->pe, &error);
}

struct StubImage : ::testing::Test {
    Image stub;
    void SetUp() override
    {
        std::string path = mingwDirectory(32) + "/qelsetup.exe";
        if (!fileExists(path)) {
            if (runningInCi())
                FAIL() << path << " is missing";
            GTEST_SKIP() << "no 32-bit Windows build at " << path;
        }
        ASSERT_TRUE(loadImage(path, &stub));
    }
};

TEST_F(StubImage, IsAGuiProgramForI386)
{
    EXPECT_EQ(stub.pe.machine, PE_MACHINE_I386);
    EXPECT_FALSE(stub.pe.isPe32Plus);
    EXPECT_EQ(stub.pe.subsystem, PE_SUBSYSTEM_GUI);
    EXPECT_FALSE(stub.pe.characteristics & PE_CHARACTERISTIC_DLL);
    EXPECT_FALSE(stub.pe.characteristics & PE_CHARACTERISTIC_LARGE_ADDRESS_AWARE);
}

TEST_F(StubImage, ImportsOnlyKnownSystemLibraries)
{
    std::vector<std::string> imports = peImportedLibraries(stub.bytes, stub.pe);
    std::sort(imports.begin(), imports.end());
    EXPECT_EQ(imports, (std::vector<std::string>{"KERNEL32.dll", "USER32.dll", "msvcrt.dll"}));
}

TEST_F(StubImage, CanCarryAppendedDataUnchanged)
{
    EXPECT_EQ(stub.pe.checksum, 0u);
    EXPECT_EQ(stub.pe.directories[PE_DIRECTORY_CERTIFICATE].address, 0u);
    EXPECT_EQ(stub.pe.directories[PE_DIRECTORY_CERTIFICATE].size, 0u);
    EXPECT_EQ(stub.pe.imageEnd, stub.bytes.size());   // nothing after the last section's data
}

TEST_F(StubImage, IsAtMost6144Bytes)
{
    EXPECT_LE(stub.bytes.size(), 6144u);
}

TEST_F(StubImage, HoldsOneIconOf32By32In16Colours)
{
    EXPECT_EQ(peResourceIds(stub.bytes, stub.pe, RESOURCE_TYPE_GROUP_ICON), std::vector<uint32_t>{101});
    Bytes group = peResource(stub.bytes, stub.pe, RESOURCE_TYPE_GROUP_ICON, 101);
    ASSERT_EQ(group.size(), 6u + 14u);   // the header and one entry
    EXPECT_EQ(group[4] | group[5] << 8, 1);            // one image
    EXPECT_EQ(group[6], 32);                           // width
    EXPECT_EQ(group[7], 32);                           // height
    EXPECT_EQ(group[8], 16);                           // colours
    EXPECT_EQ(group[12] | group[13] << 8, 4);          // bits per pixel
    EXPECT_EQ(group[18] | group[19] << 8, 1);          // icon 1
    EXPECT_EQ(peResourceIds(stub.bytes, stub.pe, RESOURCE_TYPE_ICON), std::vector<uint32_t>{1});
    Bytes icon = peResource(stub.bytes, stub.pe, RESOURCE_TYPE_ICON, 1);
    ASSERT_GE(icon.size(), 40u);
    EXPECT_EQ(icon[4], 32);    // a 32-pixel-wide bitmap
    EXPECT_EQ(icon[14], 4);    // of 4 bits per pixel
}

TEST_F(StubImage, SixtyFourBitTwinDiffersOnlyInTheTarget)
{
    Image stub64;
    if (!loadImage(mingwDirectory(64) + "/qelsetup.exe", &stub64)) {
        if (runningInCi())
            FAIL() << "the 64-bit Windows build is missing";
        GTEST_SKIP() << "no 64-bit Windows build";
    }
    EXPECT_EQ(stub64.pe.machine, PE_MACHINE_AMD64);
    EXPECT_EQ(stub64.pe.subsystem, PE_SUBSYSTEM_GUI);
    EXPECT_EQ(peImportedLibraries(stub64.bytes, stub64.pe), peImportedLibraries(stub.bytes, stub.pe));
    EXPECT_EQ(stub64.pe.checksum, 0u);
    EXPECT_EQ(peResourceIds(stub64.bytes, stub64.pe, RESOURCE_TYPE_GROUP_ICON), std::vector<uint32_t>{101});
}

TEST(SampleLibraries, ExportAnUndecoratedSetup)
{
    for (int bits : {32, 64}) {
        for (const char* sample : {"sample_setup", "recording_setup"}) {
            Image library;
            std::string path = mingwDirectory(bits) + "/samples/" + sample + ".dll";
            if (!loadImage(path, &library)) {
                if (runningInCi())
                    FAIL() << path << " is missing";
                continue;
            }
            EXPECT_TRUE(library.pe.characteristics & PE_CHARACTERISTIC_DLL);
            EXPECT_EQ(peExportedNames(library.bytes, library.pe), std::vector<std::string>{"Setup"}) << path;
        }
        Image noEntry;
        if (loadImage(mingwDirectory(bits) + "/samples/no_entry_setup.dll", &noEntry)) {
            EXPECT_EQ(peExportedNames(noEntry.bytes, noEntry.pe), std::vector<std::string>{"NotSetup"});
        }
    }
}

} // namespace
