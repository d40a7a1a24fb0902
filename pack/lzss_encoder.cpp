// Optimal and greedy parsing over the exact matches of match_finder.cpp,
// and the writing of tokens.
#include "pack/lzss_encoder.h"

#include <stdlib.h>
#include <string.h>

#include "pack/bit_writer.h"
#include "pack/match_finder.h"
#include "package/package_format.h"

int openEncoderInput(EncoderInput* input, size_t size)
{
    input->size = size;
    input->block = (unsigned char*)calloc(WINDOW_SIZE + size + MAX_COPY, 1);
    return input->block != 0;
}

unsigned char* encoderInputBytes(const EncoderInput* input)
{
    return input->block + WINDOW_SIZE;
}

void closeEncoderInput(EncoderInput* input)
{
    free(input->block);
    input->block = 0;
}

static void writeLiteral(BitWriter* writer, unsigned char value, EncoderStats* stats)
{
    writeBits(writer, (1u << LITERAL_BITS) | value, LITERAL_COST);
    stats->literals++;
}

static void writeCopy(BitWriter* writer, uint32_t slot, uint32_t length, EncoderStats* stats)
{
    writeBits(writer, (slot << LENGTH_BITS) | (length - MIN_COPY), COPY_COST);
    stats->copies++;
}

static void writeEnd(BitWriter* writer, EncoderStats* stats)
{
    writeBits(writer, END_POSITION, END_COST);
    stats->bits = writer->bitsWritten;
    flushBitWriter(writer);
    stats->bytes = (stats->bits + 7) / 8;
}

// A copy packed in 16 bits: its slot above its length code. Slot 0 is the
// end marker, never a copy, so 0 stands for "literal".
static inline uint16_t packCopy(uint32_t slot, uint32_t length)
{
    return (uint16_t)(slot << LENGTH_BITS | (length - MIN_COPY));
}

static inline uint32_t packedSlot(uint16_t packed) { return packed >> LENGTH_BITS; }
static inline uint32_t packedLength(uint16_t packed) { return (packed & 0xF) + MIN_COPY; }

static void encodeGreedy(const EncoderInput* input, MatchFinder* finder, BitWriter* writer, EncoderStats* stats)
{
    const unsigned char* bytes = encoderInputBytes(input);
    uint32_t index = 0;
    while (index < input->size) {
        Match match = findLongestMatch(finder, index);
        if (match.length == 0) {
            writeLiteral(writer, bytes[index], stats);
            index++;
            continue;
        }
        writeCopy(writer, match.slot, match.length, stats);
        for (uint32_t end = index + match.length; ++index < end;)
            findLongestMatch(finder, index);
    }
}

// Cheapest cost from each position to the end, computed backwards; only
// the next MAX_COPY + 1 costs are live, so they sit in a ring. The choice
// at each position overwrites its entry in `copies`.
static void chooseCheapestPath(uint16_t* copies, size_t size)
{
    enum { RING = MAX_COPY + 1 };
    uint64_t cost[RING];
    cost[size % RING] = 0;
    for (size_t index = size; index-- > 0;) {
        uint64_t best = LITERAL_COST + cost[(index + 1) % RING];
        uint16_t choice = 0;
        uint16_t copy = copies[index];
        if (copy) {
            for (uint32_t length = packedLength(copy); length >= MIN_COPY; length--) {
                uint64_t viaCopy = COPY_COST + cost[(index + length) % RING];
                if (viaCopy < best) {
                    best = viaCopy;
                    choice = packCopy(packedSlot(copy), length);
                }
            }
        }
        cost[index % RING] = best;
        copies[index] = choice;
    }
}

static int encodeOptimal(const EncoderInput* input, MatchFinder* finder, BitWriter* writer, EncoderStats* stats)
{
    uint16_t* copies = (uint16_t*)malloc((input->size ? input->size : 1) * sizeof(uint16_t));
    if (!copies)
        return 0;
    for (uint32_t index = 0; index < input->size; index++) {
        Match match = findLongestMatch(finder, index);
        copies[index] = match.length ? packCopy(match.slot, match.length) : 0;
    }
    chooseCheapestPath(copies, input->size);
    const unsigned char* bytes = encoderInputBytes(input);
    for (size_t index = 0; index < input->size;) {
        uint16_t copy = copies[index];
        if (copy) {
            writeCopy(writer, packedSlot(copy), packedLength(copy), stats);
            index += packedLength(copy);
        } else {
            writeLiteral(writer, bytes[index], stats);
            index++;
        }
    }
    free(copies);
    return 1;
}

int encodeStream(const EncoderInput* input, EncoderMode mode, FILE* output, EncoderStats* stats)
{
    memset(stats, 0, sizeof(*stats));
    MatchFinder* finder = (MatchFinder*)malloc(sizeof(MatchFinder));
    if (!finder)
        return 0;
    openMatchFinder(finder, input->block, input->size);
    BitWriter writer;
    openBitWriter(&writer, output);
    int ok = 1;
    if (mode == ENCODE_GREEDY)
        encodeGreedy(input, finder, &writer, stats);
    else
        ok = encodeOptimal(input, finder, &writer, stats);
    if (ok)
        writeEnd(&writer, stats);
    free(finder);
    return ok;
}
