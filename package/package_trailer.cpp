// Decoding, encoding and finding the package trailer. The stub and qelpack
// share this file so both read a package the same way.
#include "package/package_trailer.h"

#include <string.h>

static uint32_t loadLittleEndian32(const unsigned char* bytes)
{
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 |
           (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24;
}

static void storeLittleEndian32(uint32_t value, unsigned char* bytes)
{
    bytes[0] = (unsigned char)value;
    bytes[1] = (unsigned char)(value >> 8);
    bytes[2] = (unsigned char)(value >> 16);
    bytes[3] = (unsigned char)(value >> 24);
}

void decodeTrailer(const unsigned char bytes[TRAILER_SIZE], PackageTrailer* trailer)
{
    trailer->payloadOffset = loadLittleEndian32(bytes + TRAILER_PAYLOAD_OFFSET_AT);
    trailer->payloadEnd = loadLittleEndian32(bytes + TRAILER_PAYLOAD_END_AT);
    trailer->reserved = loadLittleEndian32(bytes + TRAILER_RESERVED_AT);
    trailer->nameOffset = loadLittleEndian32(bytes + TRAILER_NAME_OFFSET_AT);
    memcpy(trailer->signature, bytes + TRAILER_SIGNATURE_AT, SIGNATURE_SIZE);
}

void encodeTrailer(const PackageTrailer* trailer, unsigned char bytes[TRAILER_SIZE])
{
    storeLittleEndian32(trailer->payloadOffset, bytes + TRAILER_PAYLOAD_OFFSET_AT);
    storeLittleEndian32(trailer->payloadEnd, bytes + TRAILER_PAYLOAD_END_AT);
    storeLittleEndian32(trailer->reserved, bytes + TRAILER_RESERVED_AT);
    storeLittleEndian32(trailer->nameOffset, bytes + TRAILER_NAME_OFFSET_AT);
    memcpy(bytes + TRAILER_SIGNATURE_AT, trailer->signature, SIGNATURE_SIZE);
}

int hasPackageSignature(const PackageTrailer* trailer)
{
    return memcmp(trailer->signature, PACKAGE_SIGNATURE, SIGNATURE_SIZE) == 0;
}

int readPackageTrailer(FILE* stream, PackageTrailer* trailer)
{
    unsigned char bytes[TRAILER_SIZE];
    memset(bytes, 0, sizeof(bytes));
    fseek(stream, 0, SEEK_END);
    long size = ftell(stream);
    fseek(stream, size - TRAILER_SIZE, SEEK_SET);
    fread(bytes, 1, TRAILER_SIZE, stream);
    decodeTrailer(bytes, trailer);
    return hasPackageSignature(trailer);
}
