// Whole-file reads for qelpack, with a reason on failure.
#ifndef QEL_FILE_BYTES_H
#define QEL_FILE_BYTES_H

#include <string>
#include <vector>

bool readFileBytes(const std::string& path, std::vector<unsigned char>* bytes, std::string* error);

#endif
