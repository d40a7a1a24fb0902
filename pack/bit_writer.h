// Writes bits to a byte stream, most significant bit of each byte first:
// the order the stub's BitReader takes them in.
#ifndef QEL_BIT_WRITER_H
#define QEL_BIT_WRITER_H

#include <stdint.h>
#include <stdio.h>

struct BitWriter {
    FILE* stream;
    uint32_t pending;     // bits not yet written, right-aligned
    int pendingCount;     // 0 to 7 between calls
    uint64_t bitsWritten; // every bit written so far, fill bits excluded
};

static inline void openBitWriter(BitWriter* writer, FILE* stream)
{
    writer->stream = stream;
    writer->pending = 0;
    writer->pendingCount = 0;
    writer->bitsWritten = 0;
}

// Appends the low `bitCount` (at most 24) bits of `value`, highest first.
static inline void writeBits(BitWriter* writer, uint32_t value, int bitCount)
{
    writer->pending = (writer->pending << bitCount) | (value & ((1u << bitCount) - 1));
    writer->pendingCount += bitCount;
    writer->bitsWritten += (uint64_t)bitCount;
    while (writer->pendingCount >= 8) {
        writer->pendingCount -= 8;
        putc((int)((writer->pending >> writer->pendingCount) & 0xFF), writer->stream);
    }
}

// Completes the last byte with zero fill bits.
static inline void flushBitWriter(BitWriter* writer)
{
    if (writer->pendingCount > 0) {
        putc((int)((writer->pending << (8 - writer->pendingCount)) & 0xFF), writer->stream);
        writer->pendingCount = 0;
    }
    writer->pending = 0;
}

#endif
