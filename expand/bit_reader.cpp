// Creating and releasing a BitReader. The reads themselves are inline in
// bit_reader.h.
#include "expand/bit_reader.h"

#include <stdlib.h>

BitReader* openBitReader(FILE* stream)
{
    BitReader* reader = (BitReader*)calloc(1, sizeof(BitReader));
    if (!reader)
        return 0;
    reader->stream = stream;
    reader->rack = 0;
    reader->mask = 0x80;
    return reader;
}

void closeBitReader(BitReader* reader, int closeStream)
{
    if (closeStream)
        fclose(reader->stream);
    free(reader);
}
