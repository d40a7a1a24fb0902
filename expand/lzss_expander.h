// Expands an LZSS stream (4096-byte window, absolute 12-bit positions) from
// a BitReader into a byte stream.
//
// Every bit sequence is a valid token sequence, so the expander has nothing
// to report: it stops at the end marker or when the reader runs dry (which
// reads as zeros, and so as an end marker). Slot numbers are reduced modulo
// the window size, so no input reaches outside `window`.
#ifndef QEL_LZSS_EXPANDER_H
#define QEL_LZSS_EXPANDER_H

#include <stdio.h>

#include "expand/bit_reader.h"
#include "package/package_format.h"

// The bytes produced most recently, each in the slot where it was produced.
// Exposed so that tests can compare the window after two expansions.
extern unsigned char window[WINDOW_SIZE];

// Expands from `reader` into `output`, one putc per byte produced. The
// window is cleared first, so each call starts from the format's initial
// state. Neither the reader nor the stream is released or flushed.
void expandStream(BitReader* reader, FILE* output);

#endif
