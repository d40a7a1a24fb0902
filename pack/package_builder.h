// Making a package: the stub image unchanged, the compressed library, the
// optional name string, zero fill and the trailer, in that order.
#ifndef QEL_PACKAGE_BUILDER_H
#define QEL_PACKAGE_BUILDER_H

#include <stdint.h>

#include <string>
#include <vector>

#include "pack/lzss_encoder.h"
#include "package/package_trailer.h"

struct BuildOptions {
    std::string stubPath;
    std::string libraryPath;
    std::string outputPath;
    bool hasName = false;
    std::string name;
    EncoderMode mode = ENCODE_OPTIMAL;
};

struct BuildReport {
    uint64_t stubBytes = 0;
    uint64_t libraryBytes = 0;
    uint64_t streamBytes = 0;
    uint64_t packageBytes = 0;
    PackageTrailer trailer = {};
    EncoderStats stats = {};
    double seconds = 0;
};

// The reason a name cannot be stored, or "" when it can.
std::string checkStoredName(const std::string& name);

// The reason a stub cannot carry a package, or "" when it can.
std::string checkStub(const std::vector<unsigned char>& stub);

// Writes the package to options.outputPath through a temporary file.
// false with a reason; the destination is then untouched.
bool buildPackage(const BuildOptions& options, BuildReport* report, std::string* error);

#endif
