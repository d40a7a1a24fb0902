// Fuzzes the bit reader and the expander on arbitrary bytes through a real
// FILE stream. The first byte chooses a pattern of bit reads to mix in
// before the expansion; every input must end, stay inside the window and
// consume no byte beyond what the bits read need.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "expand/bit_reader.h"
#include "expand/lzss_expander.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* input = fmemopen(size ? (void*)data : (void*)"", size, "rb");
    FILE* output = fopen("/dev/null", "wb");
    if (!input || !output)
        abort();
    BitReader* reader = openBitReader(input);
    long bitsRead = 0;
    if (size > 0) {
        int pattern = data[0] & 7;   // some bits read one way or another first
        for (int i = 0; i < pattern; i++) {
            int count = 1 + (data[0] >> 3) % 32;
            readBits(reader, count);
            bitsRead += count;
            readBit(reader);
            bitsRead++;
        }
        if (reader->rack >= 0 && ftell(input) != (bitsRead + 7) / 8)
            abort();   // took a byte that no bit read needed
    }
    expandStream(reader, output);
    if (reader->mask == 0 || (reader->rack < 0 && reader->mask != 0x80))
        abort();
    closeBitReader(reader, 0);
    fclose(input);
    fclose(output);
    return 0;
}
