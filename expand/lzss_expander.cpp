// The LZSS expander. Copies go one byte at a time through the window, so a
// copy that overlaps its own output repeats what it has just produced, and
// a copy from the slot about to be written yields the byte from 4096 bytes
// earlier (or 0 where nothing was ever written).
#include "expand/lzss_expander.h"

#include <string.h>

#include "expand/byte_stream.h"

unsigned char window[WINDOW_SIZE];

void expandStream(BitReader* reader, FILE* output)
{
    memset(window, 0, sizeof(window));
    unsigned windowPos = WINDOW_START;
    for (;;) {
        if (readBit(reader)) {
            unsigned char value = (unsigned char)readBits(reader, LITERAL_BITS);
            streamWriteByte(value, output);
            window[windowPos] = value;
            windowPos = (windowPos + 1) & WINDOW_MASK;
            continue;
        }
        unsigned position = readBits(reader, POSITION_BITS);
        if (position == END_POSITION)
            return;
        unsigned count = readBits(reader, LENGTH_BITS) + MIN_COPY;
        for (unsigned i = 0; i < count; i++) {
            unsigned char value = window[(position + i) & WINDOW_MASK];
            streamWriteByte(value, output);
            window[windowPos] = value;
            windowPos = (windowPos + 1) & WINDOW_MASK;
        }
    }
}
