// The expander produces exactly the bytes the format defines: literals,
// copies from absolute window slots (overlapping their own output and
// wrapping past slot 4095), the end marker, and a defined outcome wherever
// the data runs out. A failing output changes nothing in the decoding.
#include <string.h>

#include <gtest/gtest.h>

#include "expand/lzss_expander.h"
#include "pack/bit_writer.h"
#include "tests/support/test_support.h"

namespace {

struct StreamCase {
    const char* name;
    Bytes stream;
    Bytes produced;
};

class ExpanderStreams : public ::testing::TestWithParam<StreamCase> {};

TEST_P(ExpanderStreams, ProduceExactlyTheseBytes)
{
    EXPECT_EQ(expand(GetParam().stream), GetParam().produced);
}

Bytes repeated(unsigned char value, size_t count)
{
    return Bytes(count, value);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExpanderStreams, ::testing::Values(
    StreamCase{"Empty", {}, {}},
    StreamCase{"EndMarkerFirst", {0x00, 0x00}, {}},
    StreamCase{"SingleZeroByteRunsOutInPosition", {0x00}, {}},
    StreamCase{"BytesAfterEndMarkerIgnored", {0x00, 0x05, 0x04}, {}},
    StreamCase{"TwoLiteralsThenOverlappingCopy", {0xA0, 0xD0, 0x80, 0x02, 0x20, 0x00}, {0x41, 0x42, 0x41, 0x42, 0x41}},
    StreamCase{"LongestCopyOfOneByte", {0xA0, 0x80, 0x07, 0xC0, 0x00}, repeated(0x41, 18)},
    StreamCase{"CopyFromNeverWrittenSlots", {0x03, 0x21, 0x80, 0x00}, repeated(0x00, 5)},
    StreamCase{"LiteralFF", {0xFF, 0x80, 0x00}, {0xFF}},
    StreamCase{"CopyFromWritePositionAtStart", {0x00, 0x08, 0x00, 0x00}, {0x00, 0x00}},
    // The data runs out ...
    StreamCase{"AtAFlagBit", {0xA0, 0xD0, 0xA8, 0x74, 0x4A, 0x2D, 0x1A, 0x8F, 0x48},
               {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48}},
    StreamCase{"InsideTheFirstPosition", {0x7F}, {}},
    StreamCase{"InsideAPositionAfterALiteral", {0xA0, 0x80}, {0x41}},
    StreamCase{"InsideALengthCode", {0xA0, 0x80, 0x07}, {0x41, 0x41, 0x41}},
    StreamCase{"InsideTheFirstByteValue", {0xF0}, {0x00}},
    StreamCase{"InsideAByteValueAfterALiteral", {0xA0, 0xFF}, {0x41, 0x00}}),
    [](const ::testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

// Writes tokens with the encoder's bit writer into a byte vector.
struct TokenWriter {
    FILE* stream = tmpfile();
    BitWriter writer;
    TokenWriter() { openBitWriter(&writer, stream); }
    void literal(unsigned value) { writeBits(&writer, 0x100 | value, 9); }
    void copy(unsigned slot, unsigned lengthCode) { writeBits(&writer, slot << 4 | lengthCode, 17); }
    Bytes finish()
    {
        writeBits(&writer, 0, 13);
        flushBitWriter(&writer);
        rewind(stream);
        Bytes bytes = readRest(stream);
        fclose(stream);
        return bytes;
    }
};

TEST(Expander, WindowWrapsAfter4096Bytes)
{
    // 4096 literals: the 4095th lands in slot 4095, the 4096th in slot 0,
    // and the write position is back at 1. A copy from slot 4095 of three
    // bytes takes slot 4095, slot 0, then slot 1, which its own first byte
    // has just overwritten.
    TokenWriter tokens;
    Bytes literals = randomBytes(4096, 7);
    for (unsigned char value : literals)
        tokens.literal(value);
    tokens.copy(4095, 1);
    Bytes produced = expand(tokens.finish());
    ASSERT_EQ(produced.size(), 4099u);
    EXPECT_TRUE(std::equal(literals.begin(), literals.end(), produced.begin()));
    EXPECT_EQ(produced[4096], literals[4094]);
    EXPECT_EQ(produced[4097], literals[4095]);
    EXPECT_EQ(produced[4098], literals[4094]);
    EXPECT_EQ(window[0], literals[4095]);
}

TEST(Expander, CopyFromTheWritePositionYieldsBytesFrom4096Back)
{
    TokenWriter tokens;
    Bytes literals = randomBytes(5000, 11);
    for (unsigned char value : literals)
        tokens.literal(value);
    unsigned writePosition = (1 + 5000) & 0xFFF;
    tokens.copy(writePosition, 15);
    Bytes produced = expand(tokens.finish());
    ASSERT_EQ(produced.size(), 5017u);
    for (int i = 0; i < 17; i++)
        EXPECT_EQ(produced[5000 + i], literals[5000 - 4096 + i]) << i;
}

TEST(Expander, CopySourceWrapsPastTheLastSlot)
{
    // Six slots before the end, then slots 0 to 10: all zeros at the start,
    // except what the first literals wrote into slots 1 to 10.
    TokenWriter tokens;
    for (unsigned value = 1; value <= 10; value++)
        tokens.literal(value);
    tokens.copy(4090, 15);
    Bytes produced = expand(tokens.finish());
    Bytes expected = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(produced, expected);
}

TEST(Expander, EveryExpansionStartsFromAZeroWindow)
{
    TokenWriter first;
    for (int i = 0; i < 200; i++)
        first.literal(0x55);
    expand(first.finish());
    EXPECT_EQ(expand({0x03, 0x21, 0x80, 0x00}), Bytes(5, 0x00));
}

TEST(Expander, FailingWritesChangeNeitherTheBitsReadNorTheWindow)
{
    Bytes data = randomBytes(20000, 3, 4);
    Bytes stream = compress(data);
    stream.insert(stream.end(), {0xDE, 0xAD});   // must stay unread

    auto run = [&](const char* outputPath, unsigned char* windowCopy) {
        FILE* input = streamOf(stream);
        FILE* output = fopen(outputPath, "wb");
        EXPECT_NE(output, nullptr) << outputPath;
        setvbuf(output, nullptr, _IONBF, 0);   // every write goes to the file at once
        BitReader* reader = openBitReader(input);
        expandStream(reader, output);
        long consumed = ftell(input);
        closeBitReader(reader, 1);
        memcpy(windowCopy, window, sizeof(window));
        fclose(output);
        return consumed;
    };
    ScratchDirectory scratch;
    unsigned char good[4096], failing[4096];
    long consumedGood = run(scratch.file("out").c_str(), good);
    long consumedFailing = run("/dev/full", failing);
    EXPECT_EQ(readBytes(scratch.file("out")), data);
    EXPECT_EQ(consumedGood, (long)stream.size() - 2);
    EXPECT_EQ(consumedFailing, consumedGood);
    EXPECT_EQ(memcmp(good, failing, sizeof(good)), 0);
}

} // namespace
