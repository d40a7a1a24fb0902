// A secondary library for the tests: each call appends one line with the
// path it was handed to setup-calls.log in the directory that path names,
// so a test can tell how often Setup ran and with what.
#include <stdio.h>
#include <string.h>

#include "setup_entry.h"

SETUP_EXPORT int SETUP_CALL Setup(char* handOverPath)
{
    char logPath[1024];
    const char* slash = strrchr(handOverPath, '/');
    const char* backslash = strrchr(handOverPath, '\\');
    const char* separator = slash > backslash ? slash : backslash;
    size_t directory = separator ? (size_t)(separator - handOverPath) + 1 : 0;
    if (directory + sizeof("setup-calls.log") > sizeof(logPath))
        return 0;
    memcpy(logPath, handOverPath, directory);
    strcpy(logPath + directory, "setup-calls.log");
    FILE* log = fopen(logPath, "ab");
    if (!log)
        return 0;
    fprintf(log, "Setup %s\n", handOverPath);
    fclose(log);
    return 0;
}
