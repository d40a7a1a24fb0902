// The package format's constants, defined once for the stub, qelpack and
// the tests.
//
// A package is a stub image with a compressed library, an optional name
// and a 24-byte trailer behind it. The compressed stream is LZSS with a
// 4096-byte window; its tokens are described in doc/format.md.
#ifndef QEL_PACKAGE_FORMAT_H
#define QEL_PACKAGE_FORMAT_H

// The trailer: four little-endian 32-bit fields, then the signature.
enum {
    TRAILER_SIZE = 24,
    TRAILER_PAYLOAD_OFFSET_AT = 0,
    TRAILER_PAYLOAD_END_AT = 4,
    TRAILER_RESERVED_AT = 8,
    TRAILER_NAME_OFFSET_AT = 12,
    TRAILER_SIGNATURE_AT = 16,
    SIGNATURE_SIZE = 8
};

// The eight signature bytes; no terminating zero is stored in a package.
static const char PACKAGE_SIGNATURE[SIGNATURE_SIZE + 1] = "QelSetup";

// Offsets are handed to signed 32-bit seeks, so a package stays below 2 GiB.
static const long long PACKAGE_SIZE_LIMIT = 2147483648LL;

// The compressed stream.
enum {
    WINDOW_SIZE = 4096,
    WINDOW_MASK = WINDOW_SIZE - 1,
    WINDOW_START = 1,          // slot of the first byte produced
    LITERAL_BITS = 8,          // byte value of a literal token
    POSITION_BITS = 12,        // window slot of a copy; 0 is the end marker
    LENGTH_BITS = 4,           // length code of a copy
    MIN_COPY = 2,              // length code 0
    MAX_COPY = MIN_COPY + (1 << LENGTH_BITS) - 1,   // 17
    END_POSITION = 0,
    LITERAL_COST = 1 + LITERAL_BITS,                // 9 bits
    COPY_COST = 1 + POSITION_BITS + LENGTH_BITS,    // 17 bits
    END_COST = 1 + POSITION_BITS                    // 13 bits
};

#endif
