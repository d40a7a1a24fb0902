// Fuzzes everything that reads a package file: the trailer reader,
// qelpack's info and verify, and the PE and ELF header readers they use,
// on arbitrary files. None may crash, read out of bounds or hang, whatever
// the offsets claim.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "pack/elf_image.h"
#include "pack/package_inspector.h"
#include "pack/pe_image.h"
#include "package/package_trailer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char path[] = "/tmp/qel-fuzz-package-XXXXXX";
    int descriptor = mkstemp(path);
    if (descriptor < 0)
        abort();
    if (size && write(descriptor, data, size) != (ssize_t)size)
        abort();
    close(descriptor);

    FILE* stream = fopen(path, "rb");
    PackageTrailer trailer;
    readPackageTrailer(stream, &trailer);
    fclose(stream);

    std::vector<unsigned char> bytes(data, data + size);
    PeImage image;
    std::string reason;
    if (parsePeImage(bytes, &image, &reason)) {
        peImportedLibraries(bytes, image);
        peExportedNames(bytes, image);
        peResourceIds(bytes, image, RESOURCE_TYPE_GROUP_ICON);
        peResource(bytes, image, RESOURCE_TYPE_GROUP_ICON, 101);
    }
    elfExportedNames(bytes);

    PackageInfo info;
    std::string error;
    inspectPackage(path, &info, &error);
    std::vector<std::string> findings;
    verifyPackage(path, &findings, &error);
    unlink(path);
    return 0;
}
