// compress_tool [--fast] IN OUT: the package encoder as a command, for
// timing against gzip -9 and xz -9.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "pack/file_bytes.h"
#include "pack/lzss_encoder.h"

int main(int argc, char** argv)
{
    bool fast = argc == 4 && strcmp(argv[1], "--fast") == 0;
    if (argc != 3 && !fast) {
        fprintf(stderr, "usage: compress_tool [--fast] IN OUT\n");
        return 2;
    }
    std::vector<unsigned char> bytes;
    std::string error;
    if (!readFileBytes(argv[argc - 2], &bytes, &error)) {
        fprintf(stderr, "compress_tool: %s\n", error.c_str());
        return 1;
    }
    EncoderInput input;
    if (!openEncoderInput(&input, bytes.size()))
        return 1;
    if (!bytes.empty())
        memcpy(encoderInputBytes(&input), bytes.data(), bytes.size());
    std::vector<unsigned char>().swap(bytes);
    FILE* output = fopen(argv[argc - 1], "wb");
    if (!output)
        return 1;
    EncoderStats stats;
    int ok = encodeStream(&input, fast ? ENCODE_GREEDY : ENCODE_OPTIMAL, output, &stats);
    closeEncoderInput(&input);
    return fclose(output) == 0 && ok ? 0 : 1;
}
