// Whole-file reads for qelpack.
#include "pack/file_bytes.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

bool readStreamBytes(FILE* stream, std::vector<unsigned char>* bytes)
{
    unsigned char buffer[65536];
    size_t count;
    while ((count = fread(buffer, 1, sizeof(buffer), stream)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + count);
    return ferror(stream) == 0;
}

bool readFileBytes(const std::string& path, std::vector<unsigned char>* bytes, std::string* error)
{
    FILE* stream = fopen(path.c_str(), "rb");
    if (!stream) {
        *error = "cannot open " + path + ": " + strerror(errno);
        return false;
    }
    bytes->clear();
    bool failed = !readStreamBytes(stream, bytes);
    fclose(stream);
    if (failed) {
        *error = "cannot read " + path;
        return false;
    }
    return true;
}
