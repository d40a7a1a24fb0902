// Real libraries for the benchmarks: the Windows DLLs that come with the
// mingw packages, found where Debian installs them.
#ifndef QEL_BENCH_FILES_H
#define QEL_BENCH_FILES_H

#include <stdio.h>

#include <string>
#include <vector>

#include "pack/file_bytes.h"

static inline std::vector<std::string> benchmarkLibraries()
{
    std::vector<std::string> found;
    for (const char* path : {"/usr/i686-w64-mingw32/lib/zlib1.dll",
                             "/usr/lib/gcc/i686-w64-mingw32/12-win32/libgcc_s_dw2-1.dll",
                             "/usr/lib/gcc/i686-w64-mingw32/12-win32/libstdc++-6.dll"}) {
        FILE* probe = fopen(path, "rb");
        if (probe) {
            fclose(probe);
            found.push_back(path);
        }
    }
    return found;
}

static inline std::vector<unsigned char> benchmarkRead(const std::string& path)
{
    std::vector<unsigned char> bytes;
    std::string error;
    readFileBytes(path, &bytes, &error);
    return bytes;
}

static inline std::string benchmarkName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

#endif
