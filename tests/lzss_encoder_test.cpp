// The encoder's streams expand back to their input, and the optimal mode
// reaches the fewest bits any valid stream can take: checked against an
// exhaustive search that simulates the expander's window slot by slot, so
// it shares no reasoning with the encoder's match finder.
#include <string.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "pack/lzss_encoder.h"
#include "tests/support/lzss_oracle.h"
#include "tests/support/test_support.h"

namespace {

struct Encoded {
    Bytes stream;
    EncoderStats stats;
};

Encoded encode(const Bytes& input, EncoderMode mode)
{
    EncoderInput encoderInput;
    EXPECT_EQ(openEncoderInput(&encoderInput, input.size()), 1);
    if (!input.empty())
        memcpy(encoderInputBytes(&encoderInput), input.data(), input.size());
    FILE* stream = tmpfile();
    Encoded result;
    EXPECT_EQ(encodeStream(&encoderInput, mode, stream, &result.stats), 1);
    closeEncoderInput(&encoderInput);
    rewind(stream);
    result.stream = readRest(stream);
    fclose(stream);
    return result;
}

Bytes periodic(size_t size, size_t period, uint32_t seed)
{
    Bytes pattern = randomBytes(period, seed);
    Bytes bytes(size);
    for (size_t i = 0; i < size; i++)
        bytes[i] = pattern[i % period];
    return bytes;
}

struct Input {
    const char* name;
    Bytes bytes;
};

std::vector<Input> cornerInputs()
{
    Bytes zeroStart(6000, 0);
    Bytes tail = randomBytes(3000, 5);
    std::copy(tail.begin(), tail.end(), zeroStart.begin() + 3000);
    return {
        {"Empty", {}},
        {"OneByte", {0x41}},
        {"AllZeros", Bytes(10000, 0)},
        {"ZerosAtTheStart", zeroStart},
        {"Random", randomBytes(9000, 1)},
        {"Period1", periodic(9000, 1, 2)},
        {"Period2", periodic(9000, 2, 3)},
        {"Period17", periodic(9000, 17, 4)},
        {"Period4095", periodic(13000, 4095, 5)},
        {"Period4096", periodic(13000, 4096, 6)},
        {"Period4097", periodic(13000, 4097, 7)},
        {"SmallAlphabetWraps", randomBytes(20000, 8, 3)},
    };
}

class EncoderInputs : public ::testing::TestWithParam<Input> {};

TEST_P(EncoderInputs, BothModesRoundTrip)
{
    const Bytes& input = GetParam().bytes;
    Encoded optimal = encode(input, ENCODE_OPTIMAL);
    Encoded greedy = encode(input, ENCODE_GREEDY);
    EXPECT_EQ(expand(optimal.stream), input);
    EXPECT_EQ(expand(greedy.stream), input);
    EXPECT_LE(optimal.stats.bits, greedy.stats.bits);
    EXPECT_EQ(optimal.stream.size(), (optimal.stats.bits + 7) / 8);
    EXPECT_EQ(optimal.stats.bits, 9 * optimal.stats.literals + 17 * optimal.stats.copies + 13);
}

TEST_P(EncoderInputs, OptimalModeReachesTheExhaustiveOptimum)
{
    const Bytes& input = GetParam().bytes;
    EXPECT_EQ(encode(input, ENCODE_OPTIMAL).stats.bits, exhaustiveOptimum(input));
}

INSTANTIATE_TEST_SUITE_P(Corners, EncoderInputs, ::testing::ValuesIn(cornerInputs()),
                         [](const ::testing::TestParamInfo<Input>& info) { return std::string(info.param.name); });

TEST(Encoder, ReachesTheOptimumOnManySmallInputs)
{
    for (uint32_t seed = 0; seed < 60; seed++) {
        Bytes input = randomBytes(40 + seed * 7, seed, 2 + seed % 5);
        if (seed % 3 == 0)
            std::fill(input.begin(), input.begin() + input.size() / 3, 0);
        ASSERT_EQ(encode(input, ENCODE_OPTIMAL).stats.bits, exhaustiveOptimum(input)) << "seed " << seed;
    }
}

TEST(Encoder, ZerosAtTheStartAreCopiesFromUnwrittenSlots)
{
    // 17 zeros need no literal: the window's unwritten slots are zeros.
    Encoded encoded = encode(Bytes(17, 0), ENCODE_OPTIMAL);
    EXPECT_EQ(encoded.stats.literals, 0u);
    EXPECT_EQ(encoded.stats.copies, 1u);
}

TEST(Encoder, NeverCopiesFromSlotZero)
{
    // After 4095 zero bytes the write position is slot 0, whose distance is
    // barred one byte later: the stream must still expand correctly.
    for (size_t size : {4095u, 4096u, 4097u, 8191u, 8192u, 8193u}) {
        Bytes input(size, 0);
        input.push_back(0x7E);
        input.insert(input.end(), 40, 0);
        Encoded encoded = encode(input, ENCODE_OPTIMAL);
        ASSERT_EQ(expand(encoded.stream), input) << size;
        ASSERT_EQ(encoded.stats.bits, exhaustiveOptimum(input)) << size;
    }
}

} // namespace
