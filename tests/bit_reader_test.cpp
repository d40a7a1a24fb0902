// The bit reader hands out bits most significant first, takes a byte only
// when a bit of it is needed, and turns the end of the data into zeros
// without losing its place: a read that runs out yields 0 and drops what
// it gathered, and a later read asks the stream again.
#include <fcntl.h>

#include <gtest/gtest.h>

#include "expand/bit_reader.h"
#include "tests/support/test_support.h"

namespace {

struct Reader {
    FILE* stream;
    BitReader* reader;
    explicit Reader(const Bytes& bytes) : stream(streamOf(bytes)), reader(openBitReader(stream)) {}
    ~Reader()
    {
        closeBitReader(reader, 0);
        fclose(stream);
    }
    long taken() const { return ftell(stream); }
};

TEST(BitReader, StartsFreshWithoutReading)
{
    Reader r({0xA5});
    EXPECT_EQ(r.reader->stream, r.stream);
    EXPECT_EQ(r.reader->mask, 0x80);
    EXPECT_EQ(r.reader->rack, 0);
    EXPECT_EQ(r.taken(), 0);
}

TEST(BitReader, SingleBitsComeMostSignificantFirst)
{
    Reader r({0xA5, 0x01});
    int expected[] = {1, 0, 1, 0, 0, 1, 0, 1};
    for (int bit : expected)
        EXPECT_EQ(readBit(r.reader), bit);
    EXPECT_EQ(r.reader->mask, 0x80);
    EXPECT_EQ(r.taken(), 1);   // the next byte is taken only by the next read
    EXPECT_EQ(readBit(r.reader), 0);
    EXPECT_EQ(r.taken(), 2);
}

// Each row reads fields of the given widths (0 = one readBit) from the
// bytes and expects the values, and where given the mask left behind.
struct FieldCase {
    const char* name;
    Bytes bytes;
    std::vector<int> widths;
    std::vector<uint32_t> values;
    int finalMask;
};

class BitFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(BitFields, ReadAcrossByteBoundaries)
{
    const FieldCase& c = GetParam();
    Reader r(c.bytes);
    for (size_t i = 0; i < c.widths.size(); i++) {
        uint32_t value = c.widths[i] ? readBits(r.reader, c.widths[i]) : (uint32_t)readBit(r.reader);
        EXPECT_EQ(value, c.values[i]) << "field " << i;
    }
    if (c.finalMask) {
        EXPECT_EQ(r.reader->mask, c.finalMask);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, BitFields, ::testing::Values(
    FieldCase{"TwelveThenFour", {0xAB, 0xCD}, {12, 4}, {0xABC, 0xD}, 0x80},
    FieldCase{"TwelveLeavesMaskAt08", {0xAB, 0xCD}, {12}, {0xABC}, 0x08},
    FieldCase{"ThreeBitsThenTwelve", {0xF0, 0x0F}, {0, 0, 0, 12}, {1, 1, 1, 0x807}, 0x01},
    FieldCase{"Nibbles", {0x3C, 0xFF}, {4, 4, 4}, {0x3, 0xC, 0xF}, 0x08},
    FieldCase{"ByteFFIsUnsigned", {0xFF}, {8}, {255}, 0x80},
    FieldCase{"ThirtyTwoBits", {0xFE, 0xDC, 0xBA, 0x98}, {32}, {0xFEDCBA98u}, 0x80},
    FieldCase{"MixedOddWidths", {0b10110011, 0b10001111, 0b01010101}, {3, 0, 7, 5, 0, 7},
              {0b101, 1, 0b0011100, 0b01111, 0, 0b1010101}, 0x80}),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

TEST(BitReader, EmptyStreamYieldsZerosAndKeepsAsking)
{
    Reader r({});
    EXPECT_EQ(readBit(r.reader), 0);
    EXPECT_EQ(r.reader->mask, 0x80);
    EXPECT_EQ(r.reader->rack, -1);
    for (int count : {1, 4, 8, 12, 32})
        EXPECT_EQ(readBits(r.reader, count), 0u) << count;
    EXPECT_EQ(r.reader->mask, 0x80);
    EXPECT_EQ(r.reader->rack, -1);
}

TEST(BitReader, ReadThatRunsOutPartWayYieldsZeroAndDropsItsBits)
{
    Reader ab({0xAB});
    EXPECT_EQ(readBits(ab.reader, 12), 0u);   // neither 0xAB0 nor 0xAB
    EXPECT_EQ(ab.reader->rack, -1);
    EXPECT_EQ(readBit(ab.reader), 0);         // the eight bits of AB are gone

    Reader eighty({0x80});
    EXPECT_EQ(readBits(eighty.reader, 16), 0u);
}

TEST(BitReader, LastBitOfDataDoesNotMeetTheEnd)
{
    Reader r({0x01});
    EXPECT_EQ(readBits(r.reader, 7), 0u);
    EXPECT_EQ(readBit(r.reader), 1);
    EXPECT_EQ(r.reader->rack, 1);   // the end is met only by the next read
    EXPECT_EQ(readBit(r.reader), 0);
    EXPECT_EQ(r.reader->rack, -1);
}

TEST(BitReader, DataThatArrivesAfterTheEndIsReadFromItsTopBit)
{
    FILE* stream = tmpfile();
    BitReader* reader = openBitReader(stream);
    EXPECT_EQ(readBits(reader, 8), 0u);
    EXPECT_EQ(reader->rack, -1);
    long position = ftell(stream);
    fputc(0x90, stream);   // a writer appends more data
    fseek(stream, position, SEEK_SET);
    EXPECT_EQ(readBit(reader), 1);
    EXPECT_EQ(readBits(reader, 3), 1u);
    EXPECT_EQ(reader->mask, 0x08);
    closeBitReader(reader, 1);
}

TEST(BitReader, OutOfRangeCountsReadNothing)
{
    Reader r({0xFF});
    EXPECT_EQ(readBits(r.reader, 0), 0u);
    EXPECT_EQ(readBits(r.reader, 33), 0u);
    EXPECT_EQ(r.taken(), 0);
    EXPECT_EQ(readBits(r.reader, 8), 255u);
}

TEST(BitReader, CloseLeavesTheStreamOpenUnlessAsked)
{
    FILE* stream = streamOf({0x12, 0x34, 0x56});
    BitReader* reader = openBitReader(stream);
    EXPECT_EQ(readBits(reader, 4), 0x1u);
    closeBitReader(reader, 0);
    EXPECT_EQ(ftell(stream), 1);          // just after the byte it took
    EXPECT_EQ(fgetc(stream), 0x34);       // still usable by the caller
    fclose(stream);

    // Closing through the reader releases the stream: a descriptor freed.
    FILE* owned = tmpfile();
    int descriptor = fileno(owned);
    closeBitReader(openBitReader(owned), 1);
    EXPECT_EQ(fcntl(descriptor, F_GETFD), -1);
}

} // namespace
