// expand_tool STREAM OUT: expands a compressed stream with the stub's own
// expander, for timing against gzip -dc. With --peak it also prints the
// process's peak resident memory in KiB on standard error.
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>

#include "expand/bit_reader.h"
#include "expand/lzss_expander.h"

int main(int argc, char** argv)
{
    bool peak = argc == 4 && strcmp(argv[1], "--peak") == 0;
    if (argc != 3 && !peak) {
        fprintf(stderr, "usage: expand_tool [--peak] STREAM OUT\n");
        return 2;
    }
    FILE* input = fopen(argv[argc - 2], "rb");
    FILE* output = fopen(argv[argc - 1], "wb");
    if (!input || !output) {
        fprintf(stderr, "expand_tool: cannot open the files\n");
        return 1;
    }
    BitReader* reader = openBitReader(input);
    expandStream(reader, output);
    closeBitReader(reader, 1);
    int failed = fclose(output) != 0;
    if (peak) {
        struct rusage usage;
        getrusage(RUSAGE_SELF, &usage);
        fprintf(stderr, "%ld\n", usage.ru_maxrss);
    }
    return failed;
}
