// The package builder. It refuses what the stub could not use or what
// appending would break, and writes nothing in place until all is done.
#include "pack/package_builder.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include <chrono>
#include <vector>

#include "pack/atomic_output.h"
#include "pack/file_bytes.h"
#include "pack/pe_image.h"
#include "package/package_format.h"

// The trailer is placed on a 4-byte boundary; the stub does not care.
enum { FILL_ALIGNMENT = 4 };

std::string checkStoredName(const std::string& name)
{
    if (name.size() > 255)
        return "the name is longer than 255 bytes";
    if (name.find('\0') != std::string::npos)
        return "the name holds a NUL byte";
    if (name.find_first_of("/\\") != std::string::npos)
        return "the name holds a path separator; it must be a plain file name";
    return "";
}

static bool endsWithSignature(const std::vector<unsigned char>& bytes)
{
    return bytes.size() >= SIGNATURE_SIZE &&
           memcmp(&bytes[bytes.size() - SIGNATURE_SIZE], PACKAGE_SIGNATURE, SIGNATURE_SIZE) == 0;
}

std::string checkStub(const std::vector<unsigned char>& stub)
{
    if (endsWithSignature(stub))
        return "the stub is already a package";
    if (stub.size() >= (uint64_t)PACKAGE_SIZE_LIMIT)
        return "the stub is 2 GiB or larger";
    if (!looksLikePeImage(stub))
        return "";   // a POSIX stub: an ELF file carries appended data as it is
    PeImage image;
    std::string error;
    if (!parsePeImage(stub, &image, &error))
        return "the stub's PE headers are damaged: " + error;
    const PeDirectory& certificates = image.directories[PE_DIRECTORY_CERTIFICATE];
    if (certificates.address || certificates.size)
        return "the stub has a certificate table, which appended data would invalidate";
    if (image.checksum)
        return "the stub's header checksum is not 0; appended data would make it false";
    return "";
}

static bool readLibrary(const std::string& path, EncoderInput* input, std::string* error)
{
    FILE* stream = fopen(path.c_str(), "rb");
    if (!stream) {
        *error = "cannot open " + path + ": " + strerror(errno);
        return false;
    }
    struct stat status;
    if (fstat(fileno(stream), &status) != 0 || !S_ISREG(status.st_mode)) {
        fclose(stream);
        *error = path + " is not a regular file";
        return false;
    }
    if ((uint64_t)status.st_size >= (uint64_t)PACKAGE_SIZE_LIMIT) {
        fclose(stream);
        *error = path + " is 2 GiB or larger";
        return false;
    }
    size_t size = (size_t)status.st_size;
    if (!openEncoderInput(input, size)) {
        fclose(stream);
        *error = "out of memory";
        return false;
    }
    bool complete = fread(encoderInputBytes(input), 1, size, stream) == size;
    fclose(stream);
    if (!complete) {
        closeEncoderInput(input);
        *error = "cannot read " + path;
    }
    return complete;
}

// Writes every region after the stub; the trailer's fields follow from
// where each region ended up.
static bool writeRegions(FILE* out, const std::vector<unsigned char>& stub, const EncoderInput& library,
                         const BuildOptions& options, BuildReport* report, std::string* error)
{
    fwrite(stub.data(), 1, stub.size(), out);
    PackageTrailer& trailer = report->trailer;
    trailer.payloadOffset = (uint32_t)stub.size();
    if (!encodeStream(&library, options.mode, out, &report->stats)) {
        *error = "out of memory";
        return false;
    }
    uint64_t position = stub.size() + report->stats.bytes;
    trailer.payloadEnd = (uint32_t)position;
    trailer.reserved = 0;
    trailer.nameOffset = 0;
    if (options.hasName) {
        trailer.nameOffset = (uint32_t)position;
        fwrite(options.name.c_str(), 1, options.name.size() + 1, out);
        position += options.name.size() + 1;
    }
    for (; position % FILL_ALIGNMENT; position++)
        putc(0, out);
    memcpy(trailer.signature, PACKAGE_SIGNATURE, SIGNATURE_SIZE);
    unsigned char bytes[TRAILER_SIZE];
    encodeTrailer(&trailer, bytes);
    fwrite(bytes, 1, TRAILER_SIZE, out);
    report->streamBytes = report->stats.bytes;
    report->packageBytes = position + TRAILER_SIZE;
    if (report->packageBytes >= (uint64_t)PACKAGE_SIZE_LIMIT) {
        *error = "the package would be 2 GiB or larger; the stub cannot seek beyond that";
        return false;
    }
    return true;
}

bool buildPackage(const BuildOptions& options, BuildReport* report, std::string* error)
{
    auto started = std::chrono::steady_clock::now();
    if (options.hasName) {
        std::string problem = checkStoredName(options.name);
        if (!problem.empty()) {
            *error = problem;
            return false;
        }
    }
    std::vector<unsigned char> stub;
    if (!readFileBytes(options.stubPath, &stub, error))
        return false;
    std::string problem = checkStub(stub);
    if (!problem.empty()) {
        *error = options.stubPath + ": " + problem;
        return false;
    }
    EncoderInput library;
    if (!readLibrary(options.libraryPath, &library, error))
        return false;
    report->stubBytes = stub.size();
    report->libraryBytes = library.size;
    AtomicOutput output;
    bool built = openAtomicOutput(&output, options.outputPath, 0755, error);
    if (built)
        built = writeRegions(output.stream, stub, library, options, report, error);
    closeEncoderInput(&library);
    if (!built) {
        abandonAtomicOutput(&output);
        return false;
    }
    if (!commitAtomicOutput(&output, error))
        return false;
    report->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return true;
}
