// One-byte reads and writes on the C library's buffered streams.
//
// The stub and its tools are single-threaded, so on POSIX the unlocked
// forms are used: they are the same buffered operations without a lock per
// byte, which is most of the cost of a byte in the expander's loop. The
// Windows C runtime the stub imports offers only the plain forms.
#ifndef QEL_BYTE_STREAM_H
#define QEL_BYTE_STREAM_H

#include <stdio.h>

// The next byte as 0 to 255, or -1 at the end of the data or on an error.
static inline int streamReadByte(FILE* stream)
{
#if defined(_WIN32)
    return getc(stream);
#else
    return getc_unlocked(stream);
#endif
}

// Appends one byte; the result is left to the stream's error state.
static inline void streamWriteByte(int value, FILE* stream)
{
#if defined(_WIN32)
    putc(value, stream);
#else
    putc_unlocked(value, stream);
#endif
}

#endif
