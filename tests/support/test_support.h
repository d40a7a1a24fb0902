// Helpers shared by the tests: scratch directories, whole-file reads and
// writes, running programs, and compressing with the project's encoder.
#ifndef QEL_TEST_SUPPORT_H
#define QEL_TEST_SUPPORT_H

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
struct ScratchDirectory {
    std::string path;
    ScratchDirectory();
    ~ScratchDirectory();
    std::string file(const std::string& name) const { return path + "/" + name; }
};

Bytes readBytes(const std::string& path);
void writeBytes(const std::string& path, const Bytes& bytes);
bool fileExists(const std::string& path);
long long fileSize(const std::string& path);

// Every byte left in a stream from its current position.
Bytes readRest(FILE* stream);

// A read-only stream over a copy of `bytes` (a real FILE, through tmpfile).
FILE* streamOf(const Bytes& bytes);

struct ProcessResult {
    int status = -1;        // exit status, or -1 when it did not exit normally
    std::string output;     // standard output
    std::string errors;     // standard error
};

// Runs `arguments` with `environment` (NAME=VALUE entries; "NAME=" alone
// removes NAME) over this process's environment, standard input empty.
ProcessResult runProcess(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

// The project's optimal or greedy compressed stream for `input`.
Bytes compress(const Bytes& input, bool greedy = false);

// The expander's output for a stream.
Bytes expand(const Bytes& stream);

// Deterministic pseudo-random bytes.
Bytes randomBytes(size_t size, uint32_t seed, int alphabet = 256);

// True when the suite runs in CI, where a missing tool is a failure.
bool runningInCi();

// The build's artifacts (set by CMake).
std::string qelpackPath();
std::string nativeStubPath();
std::string nativeSamplePath(const std::string& name);   // e.g. "sample_setup"
std::string mingwDirectory(int bits);                    // 32 or 64

// Builds a package with qelpack; fails the test when qelpack fails.
void buildPackage(const std::string& stub, const std::string& library, const std::string& output,
                  const std::vector<std::string>& extra = {});

// A package image built in memory: `image`, the library compressed, the
// name string (when `name` is not null) and the trailer.
Bytes packageBytes(const Bytes& image, const Bytes& library, const char* name);

// Rewrites the trailer fields of a package in place.
struct TrailerEdit {
    long long payloadOffset = -1, payloadEnd = -1, reserved = -1, nameOffset = -1;
};
void editTrailer(const std::string& package, const TrailerEdit& edit);

#endif
