// Reading packages back: the trailer and name (info), the checks the stub
// itself does not make (verify), and the payload expanded with the stub's
// own expander (extract).
#ifndef QEL_PACKAGE_INSPECTOR_H
#define QEL_PACKAGE_INSPECTOR_H

#include <stdint.h>

#include <string>
#include <vector>

#include "package/package_trailer.h"

struct PackageInfo {
    uint64_t fileSize = 0;
    PackageTrailer trailer = {};
    bool hasName = false;
    bool nameTerminated = false;
    std::string name;
};

// Reads the trailer and the stored name as the stub would find them.
// false with a reason when the file cannot be read or is not a package.
bool inspectPackage(const std::string& path, PackageInfo* info, std::string* error);

// Every finding that makes the package unsound; empty when it is sound.
// false with a reason when the file cannot be read at all.
bool verifyPackage(const std::string& path, std::vector<std::string>* findings, std::string* error);

// Expands the payload to outputPath through a temporary file.
bool extractPackage(const std::string& path, const std::string& outputPath, uint64_t* bytesWritten,
                    std::string* error);

#endif
