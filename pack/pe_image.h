// Reads the headers of a Windows PE image: enough for qelpack to decide
// whether a stub can carry appended data unchanged, and for the tests to
// check what the built stub imports, exports and holds as resources.
#ifndef QEL_PE_IMAGE_H
#define QEL_PE_IMAGE_H

#include <stdint.h>

#include <string>
#include <vector>

struct PeSection {
    std::string name;
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawOffset = 0;
    uint32_t rawSize = 0;
};

struct PeDirectory {
    uint32_t address = 0;   // an RVA; for the certificate table, a file offset
    uint32_t size = 0;
};

enum {
    PE_DIRECTORY_EXPORT = 0,
    PE_DIRECTORY_IMPORT = 1,
    PE_DIRECTORY_RESOURCE = 2,
    PE_DIRECTORY_CERTIFICATE = 4,
    PE_MACHINE_I386 = 0x14C,
    PE_MACHINE_AMD64 = 0x8664,
    PE_CHARACTERISTIC_DLL = 0x2000,
    PE_CHARACTERISTIC_LARGE_ADDRESS_AWARE = 0x20,
    PE_SUBSYSTEM_GUI = 2,
    RESOURCE_TYPE_ICON = 3,
    RESOURCE_TYPE_GROUP_ICON = 14
};

struct PeImage {
    uint16_t machine = 0;
    uint16_t characteristics = 0;
    bool isPe32Plus = false;
    uint16_t subsystem = 0;
    uint32_t checksum = 0;
    uint32_t checksumOffset = 0;     // where the checksum lies in the file
    std::vector<PeDirectory> directories;
    std::vector<PeSection> sections;
    uint32_t imageEnd = 0;           // end of the last section's raw data
};

// True when `bytes` begin with an MZ header that points at a PE signature.
bool looksLikePeImage(const std::vector<unsigned char>& bytes);

// Parses the headers; false with a reason when they are malformed.
bool parsePeImage(const std::vector<unsigned char>& bytes, PeImage* image, std::string* error);

// The names of the DLLs the image imports, in table order.
std::vector<std::string> peImportedLibraries(const std::vector<unsigned char>& bytes, const PeImage& image);

// The names the image exports.
std::vector<std::string> peExportedNames(const std::vector<unsigned char>& bytes, const PeImage& image);

// A resource's data by type and numeric id (first language); empty if none.
std::vector<unsigned char> peResource(const std::vector<unsigned char>& bytes, const PeImage& image,
                                      uint32_t type, uint32_t id);

// The numeric ids of every resource of a type.
std::vector<uint32_t> peResourceIds(const std::vector<unsigned char>& bytes, const PeImage& image, uint32_t type);

#endif
