// Reads a byte stream as bits, most significant bit of each byte first.
//
// The reader holds one byte (`rack`) and the bit of it that comes next
// (`mask`). It takes a byte from the stream only when a bit is asked for and
// every bit of the current byte has been handed out, so it never reads ahead
// of what its caller has consumed. When the stream answers -1 (end of data or
// a read error) the read in progress yields 0 and drops the bits it had
// gathered; the reader stays usable and asks the stream again next time.
//
// readBit and readBits are inline: they are the expander's inner loop.
#ifndef QEL_BIT_READER_H
#define QEL_BIT_READER_H

#include <stdint.h>
#include <stdio.h>

#include "expand/byte_stream.h"

struct BitReader {
    FILE* stream;        // borrowed from the caller
    unsigned char mask;  // the bit of rack read next; 0x80 = take a new byte
    int rack;            // last value taken from stream: 0..255, or -1
};

// A reader on `stream`, positioned at the first byte of the bits; null when
// no memory can be had (the stream is then left untouched).
BitReader* openBitReader(FILE* stream);

// Releases the reader, closing its stream first when closeStream is nonzero.
void closeBitReader(BitReader* reader, int closeStream);

// Takes a new byte into the rack when the current one is spent.
// Returns 0 when the stream has no more data.
static inline int refillBitReader(BitReader* reader)
{
    reader->rack = streamReadByte(reader->stream);
    return reader->rack >= 0;
}

// The next bit as 1 or 0; 0 once the data has run out.
static inline int readBit(BitReader* reader)
{
    if (reader->mask == 0x80 && !refillBitReader(reader))
        return 0;
    int bit = (reader->rack & reader->mask) != 0;
    reader->mask >>= 1;
    if (reader->mask == 0)
        reader->mask = 0x80;
    return bit;
}

// Number of unread bits left in the rack, counting the one at mask.
static inline int bitsLeftInRack(unsigned char mask)
{
    return __builtin_ctz(mask) + 1;
}

// The next bitCount (1 to 32) bits, first bit read as the most significant.
// Yields 0 when the data runs out before the last bit; the bits already
// taken are then gone. A count outside 1 to 32 yields 0 and reads nothing.
//
// Bits are taken from the rack as many at a time as it holds, which takes
// the same bytes at the same moments as taking them one by one.
static inline uint32_t readBits(BitReader* reader, int bitCount)
{
    if (bitCount < 1 || bitCount > 32)
        return 0;
    uint32_t value = 0;
    int left = bitCount;
    while (left > 0) {
        if (reader->mask == 0x80 && !refillBitReader(reader))
            return 0;
        int available = bitsLeftInRack(reader->mask);
        int taken = left < available ? left : available;
        uint32_t bits = ((uint32_t)reader->rack >> (available - taken)) & ((1u << taken) - 1);
        value = (value << taken) | bits;
        left -= taken;
        reader->mask = taken == available ? 0x80 : (unsigned char)(reader->mask >> taken);
    }
    return value;
}

#endif
