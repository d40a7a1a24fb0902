// The encoder for the stub's LZSS stream.
//
// Every literal costs 9 bits and every copy 17 bits whatever its length,
// and the window's contents follow from the input alone, so the smallest
// stream is a shortest path over input positions with the longest allowed
// copy at each one (any shorter copy from the same slot is its prefix).
// ENCODE_OPTIMAL finds that path; ENCODE_GREEDY takes the longest copy at
// every step, for comparison and speed.
//
// Memory: the input block (input plus 4113 bytes) and, in optimal mode,
// two bytes per input byte for the copies found.
#ifndef QEL_LZSS_ENCODER_H
#define QEL_LZSS_ENCODER_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

enum EncoderMode { ENCODE_OPTIMAL, ENCODE_GREEDY };

// The input as the match finder reads it: window-size zeros, the bytes,
// and MAX_COPY zeros of padding. Fill encoderInputBytes() after opening.
struct EncoderInput {
    unsigned char* block;
    size_t size;
};

// 1 on success; 0 when memory cannot be had.
int openEncoderInput(EncoderInput* input, size_t size);
unsigned char* encoderInputBytes(const EncoderInput* input);
void closeEncoderInput(EncoderInput* input);

struct EncoderStats {
    uint64_t literals;
    uint64_t copies;
    uint64_t bits;        // the stream's bits, end marker included, fill excluded
    uint64_t bytes;       // bytes written, fill included
};

// Writes the compressed stream, closed by the end marker, to `output`.
// 1 on success; 0 when memory cannot be had (nothing is written then).
int encodeStream(const EncoderInput* input, EncoderMode mode, FILE* output, EncoderStats* stats);

#endif
