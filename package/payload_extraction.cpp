// The extraction stage. It tests what decides its course (the opens, the
// signature, the name string, the lengths of the paths, the library file's
// write and close) and trusts the rest. Each failure is reported here with
// its own text before the stage returns 0; the run adds its general one.
//
// Buffers are never overrun: a path the platform could not fit, a temporary
// directory too long for the library name, or a name string that runs past
// the end of the file or of handOverPath are all failures, not truncations.
#include "package/payload_extraction.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "bootstrap/error_reporting.h"
#include "bootstrap/messages.h"
#include "expand/bit_reader.h"
#include "expand/byte_stream.h"
#include "expand/lzss_expander.h"
#include "package/package_trailer.h"

ModuleHandle moduleInstance;
char handOverPath[PATH_BUFFER_SIZE];
char libraryPath[PATH_BUFFER_SIZE];

static PackageTrailer trailerCopy;

static const char LIBRARY_NAME[] = PATH_SEPARATOR_TEXT "_setup.dll";

// The longest temporary directory that leaves room for LIBRARY_NAME.
enum { TEMP_PATH_LIMIT = PATH_BUFFER_SIZE - sizeof(LIBRARY_NAME) };

// Offsets go to a signed 32-bit seek from the start, as on the 32-bit stub.
static void seekFromStart(FILE* stream, uint32_t offset)
{
    fseek(stream, (long)(int32_t)offset, SEEK_SET);
}

// 1 when the executable's full path fits `buffer`, which stays terminated.
static int queryExecutablePath(char* buffer)
{
    unsigned length = getModuleFileName(moduleInstance, buffer, PATH_BUFFER_SIZE);
    buffer[PATH_BUFFER_SIZE - 1] = 0;
    return length > 0 && length < PATH_BUFFER_SIZE;
}

// Puts the stored name over the file name at the end of handOverPath.
// 0 when the name runs past the end of the data or of the buffer.
static int copyStoredName(FILE* package)
{
    if (trailerCopy.nameOffset == 0)
        return 1;
    char* separator = strrchr(handOverPath, PATH_SEPARATOR);
    if (!separator)
        return 1;
    seekFromStart(package, trailerCopy.nameOffset);
    char* target = separator + 1;
    char* end = handOverPath + PATH_BUFFER_SIZE;
    for (; target < end; target++) {
        int value = streamReadByte(package);
        if (value < 0)
            break;
        *target = (char)value;
        if (value == 0)
            return 1;
    }
    if (target < end)
        *target = 0;
    handOverPath[PATH_BUFFER_SIZE - 1] = 0;
    return 0;
}

// Fills libraryPath; 0 when the temporary directory is unknown or too long.
static int buildLibraryPath(void)
{
    unsigned length = getTempPath(PATH_BUFFER_SIZE, libraryPath);
    if (length == 0 || length > TEMP_PATH_LIMIT) {
        libraryPath[0] = 0;
        return 0;
    }
    appendString(libraryPath, LIBRARY_NAME);
    return 1;
}

// Expands the payload into the open library file and closes it.
// 0 when no reader could be had or the file could not be fully written.
static int writeLibrary(FILE* package, FILE* library)
{
    BitReader* reader = openBitReader(package);
    if (!reader) {
        fclose(library);
        return 0;
    }
    expandStream(reader, library);
    closeBitReader(reader, 0);
    int written = !ferror(library);
    if (fclose(library) != 0)
        written = 0;
    return written;
}

int extractPayload(void)
{
    char packagePath[PATH_BUFFER_SIZE];
    if (!queryExecutablePath(packagePath)) {
        reportError(MESSAGE_CANNOT_OPEN_PACKAGE);
        return 0;
    }
    FILE* package = fopen(packagePath, "rb");
    if (!package) {
        reportError(MESSAGE_CANNOT_OPEN_PACKAGE);
        return 0;
    }
    if (!readPackageTrailer(package, &trailerCopy)) {
        reportError(MESSAGE_PACKAGE_DAMAGED);
        fclose(package);
        return 0;
    }
    if (!queryExecutablePath(handOverPath)) {
        reportError(MESSAGE_CANNOT_OPEN_PACKAGE);
        fclose(package);
        return 0;
    }
    if (!copyStoredName(package)) {
        reportError(MESSAGE_PACKAGE_DAMAGED);
        fclose(package);
        return 0;
    }
    seekFromStart(package, trailerCopy.payloadOffset);
    if (!buildLibraryPath()) {
        reportError(MESSAGE_CANNOT_CREATE_LIBRARY);
        fclose(package);
        return 0;
    }
    FILE* library = fopen(libraryPath, "wb");
    if (!library) {
        reportError(MESSAGE_CANNOT_CREATE_LIBRARY);
        fclose(package);
        return 0;
    }
    if (!writeLibrary(package, library)) {
        reportError(MESSAGE_CANNOT_CREATE_LIBRARY);
        deleteFile(libraryPath);
        fclose(package);
        return 0;
    }
    fclose(package);
    return 1;
}
