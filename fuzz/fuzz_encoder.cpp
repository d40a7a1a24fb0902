// Differential fuzzing of the encoder: for any input, the optimal and the
// greedy streams both expand back to it, the optimal one is never longer,
// and on small inputs it matches the exhaustive reference exactly.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "expand/bit_reader.h"
#include "expand/lzss_expander.h"
#include "pack/lzss_encoder.h"
#include "tests/support/lzss_oracle.h"

static std::vector<unsigned char> roundTrip(const EncoderInput& input, EncoderMode mode, EncoderStats* stats)
{
    FILE* stream = tmpfile();
    if (!encodeStream(&input, mode, stream, stats))
        abort();
    rewind(stream);
    FILE* output = tmpfile();
    BitReader* reader = openBitReader(stream);
    expandStream(reader, output);
    closeBitReader(reader, 1);
    std::vector<unsigned char> expanded((size_t)ftell(output));
    rewind(output);
    if (!expanded.empty() && fread(expanded.data(), 1, expanded.size(), output) != expanded.size())
        abort();
    fclose(output);
    return expanded;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Inputs mostly small, so the fuzzer reaches past 4096 bytes only by
    // runs: a first byte of 0xFF repeats the rest until the window wraps.
    std::vector<unsigned char> bytes(data, data + size);
    if (size > 1 && data[0] == 0xFF) {
        bytes.assign(data + 1, data + size);
        while (bytes.size() < 5000)
            bytes.insert(bytes.end(), data + 1, data + size);
    }
    EncoderInput input;
    if (!openEncoderInput(&input, bytes.size()))
        abort();
    if (!bytes.empty())
        memcpy(encoderInputBytes(&input), bytes.data(), bytes.size());
    EncoderStats optimal, greedy;
    if (roundTrip(input, ENCODE_OPTIMAL, &optimal) != bytes || roundTrip(input, ENCODE_GREEDY, &greedy) != bytes)
        abort();
    if (optimal.bits > greedy.bits)
        abort();
    if (bytes.size() <= 64 && optimal.bits != exhaustiveOptimum(bytes))
        abort();
    closeEncoderInput(&input);
    return 0;
}
