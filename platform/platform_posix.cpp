// The platform seam on Linux, written from what the stub's callers rely on:
// the executable's path from /proc/self/exe, the temporary directory from
// TMPDIR (when set and absolute) or /tmp, libraries through dlopen, and the
// error box as one line "CAPTION: TEXT" on standard error.
#include "platform/platform.h"

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

unsigned getModuleFileName(ModuleHandle, char* buffer, unsigned size)
{
    if (size == 0)
        return 0;
    ssize_t length = readlink("/proc/self/exe", buffer, size);
    if (length < 0) {
        buffer[0] = 0;
        return 0;
    }
    if ((size_t)length >= size) {
        buffer[size - 1] = 0;
        return size;
    }
    buffer[length] = 0;
    return (unsigned)length;
}

static const char* temporaryDirectory(void)
{
    const char* fromEnvironment = getenv("TMPDIR");
    if (fromEnvironment && fromEnvironment[0] == '/')
        return fromEnvironment;
    return "/tmp";
}

unsigned getTempPath(unsigned size, char* buffer)
{
    const char* directory = temporaryDirectory();
    size_t length = strlen(directory);
    size_t needed = length + (directory[length - 1] != '/');
    if (needed + 1 > size) {
        if (size > 0)
            buffer[0] = 0;
        return (unsigned)(needed + 1);
    }
    memcpy(buffer, directory, length);
    buffer[needed - 1] = '/';
    buffer[needed] = 0;
    return (unsigned)needed;
}

void copyString(char* target, const char* text)
{
    strcpy(target, text);
}

void appendString(char* target, const char* text)
{
    strcat(target, text);
}

void showMessageBox(void*, const char* text, const char* caption, unsigned)
{
    fprintf(stderr, "%s: %s\n", caption, text);
}

ModuleHandle loadLibrary(const char* path)
{
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

SetupEntry findEntry(ModuleHandle library, const char* name)
{
    return (SetupEntry)dlsym(library, name);
}

void freeLibrary(ModuleHandle library)
{
    dlclose(library);
}

void deleteFile(const char* path)
{
    remove(path);
}
