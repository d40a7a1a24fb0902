// The exhaustive reference for the encoder; see lzss_oracle.h.
#include "tests/support/lzss_oracle.h"

#include <algorithm>

typedef std::vector<unsigned char> Bytes;

namespace {

// The longest copy from `slot` at `index`, simulating the expander: each
// byte is read from the window just before the previous one is stored.
unsigned copyLength(const unsigned char* windowState, unsigned writePosition, unsigned slot,
                    const Bytes& input, size_t index)
{
    unsigned char produced[17];
    unsigned length = 0;
    while (length < 17 && index + length < input.size()) {
        unsigned source = (slot + length) & 0xFFF;
        unsigned written = (source - writePosition) & 0xFFF;   // which byte of this copy wrote it
        unsigned char value = written < length ? produced[written] : windowState[source];
        if (value != input[index + length])
            break;
        produced[length++] = value;
    }
    return length;
}

// The fewest bits of any valid stream for `input`, end marker included.
} // namespace

uint64_t exhaustiveOptimum(const Bytes& input)
{
    size_t size = input.size();
    std::vector<unsigned> longest(size, 0);
    unsigned char windowState[4096] = {0};
    unsigned writePosition = 1;
    for (size_t index = 0; index < size; index++) {
        for (unsigned slot = 1; slot < 4096; slot++)
            longest[index] = std::max(longest[index], copyLength(windowState, writePosition, slot, input, index));
        windowState[writePosition] = input[index];
        writePosition = (writePosition + 1) & 0xFFF;
    }
    std::vector<uint64_t> cost(size + 1, 0);
    for (size_t index = size; index-- > 0;) {
        cost[index] = 9 + cost[index + 1];
        for (unsigned length = 2; length <= longest[index]; length++)
            cost[index] = std::min(cost[index], 17 + cost[index + length]);
    }
    return cost[0] + 13;
}

