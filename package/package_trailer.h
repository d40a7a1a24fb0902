// The 24-byte trailer that closes a package, and how a reader finds it.
//
// The trailer is the file's last 24 bytes: four little-endian 32-bit
// fields and the eight signature bytes "QelSetup". It is decoded byte by
// byte, so the record's layout in memory plays no part.
#ifndef QEL_PACKAGE_TRAILER_H
#define QEL_PACKAGE_TRAILER_H

#include <stdint.h>
#include <stdio.h>

#include "package/package_format.h"

struct PackageTrailer {
    uint32_t payloadOffset;   // first byte of the compressed stream
    uint32_t payloadEnd;      // just past the stream; not read by the stub
    uint32_t reserved;        // 0; not read by the stub
    uint32_t nameOffset;      // the stored name string; 0 = none
    unsigned char signature[SIGNATURE_SIZE];
};

void decodeTrailer(const unsigned char bytes[TRAILER_SIZE], PackageTrailer* trailer);
void encodeTrailer(const PackageTrailer* trailer, unsigned char bytes[TRAILER_SIZE]);

// 1 when the signature is exactly "QelSetup", byte for byte.
int hasPackageSignature(const PackageTrailer* trailer);

// Reads the last 24 bytes of `stream` into `trailer` and tests the
// signature: 1 for a package, 0 otherwise. Bytes a short read does not
// deliver stay zero, so a file under 24 bytes is never a package. The
// stream is left positioned after what was read.
int readPackageTrailer(FILE* stream, PackageTrailer* trailer);

#endif
