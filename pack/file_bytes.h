// Whole-file and whole-stream reads for qelpack, with a reason on failure.
#ifndef QEL_FILE_BYTES_H
#define QEL_FILE_BYTES_H

#include <stdio.h>

#include <string>
#include <vector>

// Appends every byte left in `stream`; false when reading failed.
bool readStreamBytes(FILE* stream, std::vector<unsigned char>* bytes);

bool readFileBytes(const std::string& path, std::vector<unsigned char>* bytes, std::string* error);

#endif
