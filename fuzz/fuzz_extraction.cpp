// Fuzzes the stub's extraction on arbitrary package files through the
// recording platform, with a real temporary directory. Whatever the file
// holds, the stage must return, leave no stream open, keep its paths
// terminated inside their buffers, and on failure leave no library file.
#include <dirent.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "bootstrap/error_reporting.h"
#include "package/payload_extraction.h"
#include "platform/recording_platform.h"

static std::string scratchDirectory;

static void removeScratchDirectory()
{
    rmdir(scratchDirectory.c_str());
}

static int openDescriptors()
{
    int count = 0;
    DIR* directory = opendir("/proc/self/fd");
    while (readdir(directory))
        count++;
    closedir(directory);
    return count;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string& directory = scratchDirectory;
    if (directory.empty()) {
        char pattern[] = "/tmp/qel-fuzz-extract-XXXXXX";
        if (!mkdtemp(pattern))
            abort();
        directory = pattern;
        atexit(removeScratchDirectory);
    }
    std::string package = directory + "/setup.exe";
    FILE* out = fopen(package.c_str(), "wb");
    if (!out || (size && fwrite(data, 1, size, out) != size) || fclose(out) != 0)
        abort();

    resetRecording();
    recordingAnswers.modulePath = package;
    recordingAnswers.tempPath = directory + "/";
    lastMessage[0] = 0;
    int before = openDescriptors();
    int result = extractPayload();
    if (openDescriptors() != before)
        abort();
    if (memchr(handOverPath, 0, sizeof(handOverPath)) == nullptr || memchr(libraryPath, 0, sizeof(libraryPath)) == nullptr)
        abort();
    std::string library = directory + "//_setup.dll";
    bool exists = access(library.c_str(), F_OK) == 0;
    if (result == 0 && exists && recordedBoxes() != std::vector<std::string>{"Cannot create _setup.dll"})
        abort();
    if (result == 1 && !exists)
        abort();
    unlink(library.c_str());
    unlink(package.c_str());
    return 0;
}
