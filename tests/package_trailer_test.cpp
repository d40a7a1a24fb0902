// A file is a package exactly when its last 24 bytes end in "QelSetup";
// the trailer's four fields are little-endian and decoded as they stand.
#include <string.h>

#include <gtest/gtest.h>

#include "package/package_trailer.h"
#include "tests/support/test_support.h"

namespace {

Bytes trailerBytes(uint32_t payloadOffset, uint32_t payloadEnd, uint32_t reserved, uint32_t nameOffset,
                   const char* signature = "QelSetup")
{
    PackageTrailer trailer = {payloadOffset, payloadEnd, reserved, nameOffset, {}};
    memcpy(trailer.signature, signature, 8);
    Bytes bytes(24);
    encodeTrailer(&trailer, bytes.data());
    return bytes;
}

int readsAsPackage(const Bytes& file, PackageTrailer* trailer)
{
    FILE* stream = streamOf(file);
    int result = readPackageTrailer(stream, trailer);
    fclose(stream);
    return result;
}

TEST(PackageTrailer, DecodesTheShippedPackagesTrailer)
{
    Bytes bytes = {0x00, 0x5C, 0x00, 0x00, 0x78, 0xBD, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                   0x78, 0xBD, 0x01, 0x00, 'Q', 'e', 'l', 'S', 'e', 't', 'u', 'p'};
    PackageTrailer trailer;
    decodeTrailer(bytes.data(), &trailer);
    EXPECT_EQ(trailer.payloadOffset, 23552u);
    EXPECT_EQ(trailer.payloadEnd, 114040u);
    EXPECT_EQ(trailer.reserved, 0u);
    EXPECT_EQ(trailer.nameOffset, 114040u);
    EXPECT_TRUE(hasPackageSignature(&trailer));
    EXPECT_EQ(trailerBytes(23552, 114040, 0, 114040), bytes);
}

TEST(PackageTrailer, FieldsAreLittleEndian)
{
    Bytes bytes = trailerBytes(0x04030201, 0x08070605, 0x0C0B0A09, 0x100F0E0D);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(bytes[i], i + 1) << i;
}

struct TrailerCase {
    const char* name;
    Bytes file;
    int isPackage;
};

Bytes withTrailer(Bytes body, const Bytes& trailer)
{
    body.insert(body.end(), trailer.begin(), trailer.end());
    return body;
}

std::vector<TrailerCase> trailerCases()
{
    Bytes body = randomBytes(300, 9);
    Bytes sound = withTrailer(body, trailerBytes(10, 200, 0, 0));
    Bytes oneByteWrong = sound;
    oneByteWrong[sound.size() - 1] ^= 0x01;
    Bytes appended = sound;
    appended.push_back(0);
    Bytes shortFile(20, 0);
    memcpy(&shortFile[12], "QelSetup", 8);
    return {
        {"Sound", sound, 1},
        {"AnyPayloadEndAndReserved", withTrailer(body, trailerBytes(10, 0xFFFFFFFF, 0xDEADBEEF, 0)), 1},
        {"TrailerAlone", trailerBytes(0, 0, 0, 0), 1},
        {"OneSignatureByteWrong", oneByteWrong, 0},
        {"SignatureInOtherCase", withTrailer(body, trailerBytes(10, 200, 0, 0, "qelsetup")), 0},
        {"ByteAppendedAfterTrailer", appended, 0},
        {"ShorterThan24Bytes", shortFile, 0},
        {"Empty", {}, 0},
        {"NoTrailer", body, 0},
    };
}

class TrailerFiles : public ::testing::TestWithParam<TrailerCase> {};

TEST_P(TrailerFiles, AreRecognisedByTheirLast24Bytes)
{
    PackageTrailer trailer;
    EXPECT_EQ(readsAsPackage(GetParam().file, &trailer), GetParam().isPackage);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrailerFiles, ::testing::ValuesIn(trailerCases()),
                         [](const ::testing::TestParamInfo<TrailerCase>& info) { return std::string(info.param.name); });

TEST(PackageTrailer, ShortReadLeavesZeros)
{
    PackageTrailer trailer;
    memset(&trailer, 0xEE, sizeof(trailer));
    EXPECT_EQ(readsAsPackage({1, 2, 3}, &trailer), 0);
    EXPECT_EQ(trailer.payloadOffset, 0u);
    EXPECT_EQ(trailer.nameOffset, 0u);
}

TEST(PackageTrailer, ReadsTheFieldsAsTheyStand)
{
    PackageTrailer trailer;
    EXPECT_EQ(readsAsPackage(withTrailer(randomBytes(50, 1), trailerBytes(7000, 3, 9, 0)), &trailer), 1);
    EXPECT_EQ(trailer.payloadOffset, 7000u);   // past the end: not this reader's concern
    EXPECT_EQ(trailer.payloadEnd, 3u);
    EXPECT_EQ(trailer.reserved, 9u);
    EXPECT_EQ(trailer.nameOffset, 0u);
}

} // namespace
