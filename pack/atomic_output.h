// Output files that appear whole or not at all: bytes go to a temporary
// file beside the destination, which is renamed into place only after
// everything was written and flushed to disk.
#ifndef QEL_ATOMIC_OUTPUT_H
#define QEL_ATOMIC_OUTPUT_H

#include <stdio.h>
#include <sys/types.h>

#include <string>

struct AtomicOutput {
    std::string finalPath;
    std::string temporaryPath;
    FILE* stream = nullptr;
    mode_t mode = 0644;
};

// Creates the temporary file; false with a reason.
bool openAtomicOutput(AtomicOutput* output, const std::string& path, mode_t mode, std::string* error);

// Flushes, closes and renames into place; on any failure the temporary
// file is removed and false is returned with a reason.
bool commitAtomicOutput(AtomicOutput* output, std::string* error);

// Closes and removes the temporary file; the destination is untouched.
void abandonAtomicOutput(AtomicOutput* output);

#endif
