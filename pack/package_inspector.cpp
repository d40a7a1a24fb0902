// Package inspection for qelpack. The stub trusts its package; this is
// where a package is checked before anyone ships it: regions in order,
// a stream that ends in the byte before payloadEnd, a terminated name,
// zero fill, and a payload that is a library the stub can hand over to.
#include "pack/package_inspector.h"

#include <errno.h>
#include <string.h>

#include <algorithm>

#include "expand/bit_reader.h"
#include "expand/lzss_expander.h"
#include "pack/atomic_output.h"
#include "pack/elf_image.h"
#include "pack/file_bytes.h"
#include "pack/package_builder.h"
#include "pack/pe_image.h"
#include "package/package_format.h"

namespace {

std::string number(uint64_t value)
{
    return std::to_string(value);
}

// The stream's outcome when expanded from payloadOffset.
struct StreamEnd {
    bool endMarker = false;   // false: the data ran out first
    uint64_t nextByte = 0;    // offset just past the last byte the reader took
};

StreamEnd expandFrom(FILE* package, uint32_t offset, FILE* output)
{
    StreamEnd end;
    fseek(package, (long)offset, SEEK_SET);
    BitReader* reader = openBitReader(package);
    if (!reader)
        return end;
    expandStream(reader, output);
    end.endMarker = reader->rack >= 0;
    closeBitReader(reader, 0);
    end.nextByte = (uint64_t)ftell(package);
    return end;
}

bool openPackage(const std::string& path, FILE** stream, PackageInfo* info, std::string* error)
{
    *stream = fopen(path.c_str(), "rb");
    if (!*stream) {
        *error = "cannot open " + path + ": " + strerror(errno);
        return false;
    }
    bool isPackage = readPackageTrailer(*stream, &info->trailer);
    fseek(*stream, 0, SEEK_END);
    info->fileSize = (uint64_t)ftell(*stream);
    if (!isPackage) {
        *error = path + ": not a package (its last 24 bytes do not end in the signature \"QelSetup\")";
        fclose(*stream);
        *stream = nullptr;
        return false;
    }
    return true;
}

// Reads the name string from nameOffset up to the trailer.
void readName(FILE* stream, PackageInfo* info)
{
    info->hasName = info->trailer.nameOffset != 0;
    if (!info->hasName)
        return;
    uint64_t trailerStart = info->fileSize - TRAILER_SIZE;
    if (info->trailer.nameOffset >= trailerStart)
        return;
    fseek(stream, (long)info->trailer.nameOffset, SEEK_SET);
    for (uint64_t at = info->trailer.nameOffset; at < trailerStart; at++) {
        int value = getc(stream);
        if (value <= 0) {
            info->nameTerminated = value == 0;
            return;
        }
        info->name += (char)value;
    }
}

// `stub` is the package's own PE image, or null for a POSIX (ELF) stub.
void checkRegions(const PackageInfo& info, const PeImage* stub, std::vector<std::string>* findings)
{
    const PackageTrailer& trailer = info.trailer;
    uint64_t trailerStart = info.fileSize - TRAILER_SIZE;
    if (info.fileSize >= (uint64_t)PACKAGE_SIZE_LIMIT)
        findings->push_back("the package is 2 GiB or larger; the stub's seeks cannot reach its end");
    if (stub && trailer.payloadOffset < stub->imageEnd)
        findings->push_back("payloadOffset " + number(trailer.payloadOffset) +
                            " lies inside the stub image, which ends at " + number(stub->imageEnd));
    if (trailer.payloadOffset >= trailerStart)
        findings->push_back("payloadOffset " + number(trailer.payloadOffset) + " is not before the trailer at " +
                            number(trailerStart));
    if (trailer.payloadEnd <= trailer.payloadOffset || trailer.payloadEnd > trailerStart)
        findings->push_back("payloadEnd " + number(trailer.payloadEnd) + " is not between payloadOffset " +
                            number(trailer.payloadOffset) + " and the trailer at " + number(trailerStart));
    if (trailer.nameOffset && (trailer.nameOffset < trailer.payloadEnd || trailer.nameOffset >= trailerStart))
        findings->push_back("nameOffset " + number(trailer.nameOffset) + " is not between payloadEnd " +
                            number(trailer.payloadEnd) + " and the trailer at " + number(trailerStart));
    if (trailer.reserved)
        findings->push_back("the reserved field holds " + number(trailer.reserved) + ", not 0");
}

void checkName(const PackageInfo& info, std::vector<std::string>* findings)
{
    if (!info.hasName || info.trailer.nameOffset >= info.fileSize - TRAILER_SIZE)
        return;
    if (!info.nameTerminated) {
        findings->push_back("the name string has no terminating zero before the trailer");
        return;
    }
    std::string problem = checkStoredName(info.name);
    if (!problem.empty())
        findings->push_back("the stored name cannot be used: " + problem);
}

void checkFill(const PackageInfo& info, const std::vector<unsigned char>& bytes,
               std::vector<std::string>* findings)
{
    uint64_t trailerStart = info.fileSize - TRAILER_SIZE;
    uint64_t fillStart = info.hasName ? info.trailer.nameOffset + info.name.size() + 1 : info.trailer.payloadEnd;
    if (info.hasName && !info.nameTerminated)
        return;
    for (uint64_t at = fillStart; at < trailerStart; at++) {
        if (bytes[at]) {
            findings->push_back("the zero fill holds a non-zero byte at offset " + number(at));
            return;
        }
    }
}

bool exportsSetup(const std::vector<std::string>& exports)
{
    return std::find(exports.begin(), exports.end(), "Setup") != exports.end();
}

void checkStream(FILE* stream, const PackageInfo& info, const PeImage* stub, std::vector<std::string>* findings)
{
    const PackageTrailer& trailer = info.trailer;
    if (trailer.payloadOffset >= info.fileSize)
        return;   // reported with the regions
    FILE* library = tmpfile();
    if (!library) {
        findings->push_back("cannot create a temporary file to expand the payload into");
        return;
    }
    StreamEnd end = expandFrom(stream, trailer.payloadOffset, library);
    if (!end.endMarker)
        findings->push_back("the compressed stream has no end marker before the end of the file");
    else if (end.nextByte != trailer.payloadEnd)
        findings->push_back("the compressed stream's end marker ends in the byte at " + number(end.nextByte - 1) +
                            ", not in the byte before payloadEnd " + number(trailer.payloadEnd));
    std::vector<unsigned char> expanded;
    fflush(library);
    rewind(library);
    readStreamBytes(library, &expanded);
    fclose(library);

    if (!stub) {
        if (!looksLikeElfImage(expanded))
            findings->push_back("the payload does not expand to an ELF shared library");
        else if (!exportsSetup(elfExportedNames(expanded)))
            findings->push_back("the library exports no entry named \"Setup\"");
        return;
    }
    PeImage libraryImage;
    std::string ignored;
    if (!parsePeImage(expanded, &libraryImage, &ignored) ||
        !(libraryImage.characteristics & PE_CHARACTERISTIC_DLL)) {
        findings->push_back("the payload does not expand to a Windows DLL");
        return;
    }
    if (libraryImage.machine != stub->machine)
        findings->push_back("the library is built for another machine than the stub");
    if (!exportsSetup(peExportedNames(expanded, libraryImage)))
        findings->push_back("the library exports no entry named \"Setup\"");
}

} // namespace

bool inspectPackage(const std::string& path, PackageInfo* info, std::string* error)
{
    FILE* stream;
    if (!openPackage(path, &stream, info, error))
        return false;
    readName(stream, info);
    fclose(stream);
    return true;
}

bool verifyPackage(const std::string& path, std::vector<std::string>* findings, std::string* error)
{
    findings->clear();
    std::vector<unsigned char> bytes;
    if (!readFileBytes(path, &bytes, error))
        return false;
    PackageInfo info;
    FILE* stream;
    std::string notPackage;
    if (!openPackage(path, &stream, &info, &notPackage)) {
        findings->push_back("not a package: its last 24 bytes do not end in the signature \"QelSetup\"");
        return true;
    }
    readName(stream, &info);
    PeImage image;
    std::string ignored;
    const PeImage* stub = parsePeImage(bytes, &image, &ignored) ? &image : nullptr;
    checkRegions(info, stub, findings);
    checkName(info, findings);
    checkFill(info, bytes, findings);
    checkStream(stream, info, stub, findings);
    fclose(stream);
    return true;
}

bool extractPackage(const std::string& path, const std::string& outputPath, uint64_t* bytesWritten,
                    std::string* error)
{
    PackageInfo info;
    FILE* stream;
    if (!openPackage(path, &stream, &info, error))
        return false;
    AtomicOutput output;
    if (!openAtomicOutput(&output, outputPath, 0644, error)) {
        fclose(stream);
        return false;
    }
    expandFrom(stream, info.trailer.payloadOffset, output.stream);
    fclose(stream);
    fflush(output.stream);
    *bytesWritten = (uint64_t)ftell(output.stream);
    return commitAtomicOutput(&output, error);
}
