// A secondary library for the benchmarks: its Setup writes the monotonic
// clock, in nanoseconds, to setup-returned-at beside the hand-over path,
// so the report can time a whole stub run up to the return of Setup.
#include <stdio.h>
#include <string.h>
#include <time.h>

extern "C" __attribute__((visibility("default"))) int Setup(char* handOverPath)
{
    char path[1024];
    const char* slash = strrchr(handOverPath, '/');
    size_t directory = slash ? (size_t)(slash - handOverPath) + 1 : 0;
    if (directory + sizeof("setup-returned-at") > sizeof(path))
        return 0;
    memcpy(path, handOverPath, directory);
    strcpy(path + directory, "setup-returned-at");
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    FILE* out = fopen(path, "w");
    if (out) {
        fprintf(out, "%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
        fclose(out);
    }
    return 0;
}
