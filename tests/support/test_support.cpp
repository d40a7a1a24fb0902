// The tests' shared helpers; see test_support.h.
#include "tests/support/test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "expand/bit_reader.h"
#include "expand/lzss_expander.h"
#include "pack/file_bytes.h"
#include "pack/lzss_encoder.h"
#include "package/package_trailer.h"

extern char** environ;

ScratchDirectory::ScratchDirectory()
{
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && base[0] == '/' ? base : "/tmp") + "/qeltest-XXXXXX";
    char* made = mkdtemp(&pattern[0]);
    if (!made)
        abort();
    path = made;
}

ScratchDirectory::~ScratchDirectory()
{
    std::string command = "rm -rf '" + path + "'";
    if (system(command.c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", path.c_str());
}

Bytes readBytes(const std::string& path)
{
    Bytes bytes;
    FILE* stream = fopen(path.c_str(), "rb");
    if (!stream)
        return bytes;
    bytes = readRest(stream);
    fclose(stream);
    return bytes;
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    FILE* stream = fopen(path.c_str(), "wb");
    ASSERT_NE(stream, nullptr) << path;
    if (!bytes.empty()) {
        ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), stream), bytes.size());
    }
    ASSERT_EQ(fclose(stream), 0);
}

bool fileExists(const std::string& path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

long long fileSize(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? (long long)status.st_size : -1;
}

Bytes readRest(FILE* stream)
{
    Bytes bytes;
    readStreamBytes(stream, &bytes);
    return bytes;
}

FILE* streamOf(const Bytes& bytes)
{
    FILE* stream = tmpfile();
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), stream);
    rewind(stream);
    return stream;
}

static std::string slurp(const std::string& path)
{
    Bytes bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

ProcessResult runProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
{
    ScratchDirectory capture;
    std::string outputPath = capture.file("stdout"), errorPath = capture.file("stderr");
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; entry++) {
        std::string variable = *entry;
        bool replaced = false;
        for (const std::string& added : environment)
            replaced = replaced || variable.substr(0, variable.find('=') + 1) == added.substr(0, added.find('=') + 1);
        if (!replaced)
            variables.push_back(variable);
    }
    // An entry "NAME=" with nothing after it removes NAME.
    for (const std::string& added : environment)
        if (added.find('=') != std::string::npos && added.back() != '=')
            variables.push_back(added);
    std::vector<char*> argv, envp;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (const std::string& variable : variables)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child;
    ProcessResult result;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status;
        if (waitpid(child, &status, 0) == child && WIFEXITED(status))
            result.status = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.output = slurp(outputPath);
    result.errors = slurp(errorPath);
    return result;
}

Bytes compress(const Bytes& input, bool greedy)
{
    EncoderInput encoderInput;
    if (!openEncoderInput(&encoderInput, input.size()))
        abort();
    if (!input.empty())
        memcpy(encoderInputBytes(&encoderInput), input.data(), input.size());
    FILE* stream = tmpfile();
    EncoderStats stats;
    encodeStream(&encoderInput, greedy ? ENCODE_GREEDY : ENCODE_OPTIMAL, stream, &stats);
    closeEncoderInput(&encoderInput);
    rewind(stream);
    Bytes bytes = readRest(stream);
    fclose(stream);
    return bytes;
}

Bytes expand(const Bytes& stream)
{
    FILE* input = streamOf(stream);
    FILE* output = tmpfile();
    BitReader* reader = openBitReader(input);
    expandStream(reader, output);
    closeBitReader(reader, 1);
    rewind(output);
    Bytes bytes = readRest(output);
    fclose(output);
    return bytes;
}

Bytes randomBytes(size_t size, uint32_t seed, int alphabet)
{
    Bytes bytes(size);
    uint32_t state = seed * 2654435761u + 1;
    for (unsigned char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = (unsigned char)(state % (uint32_t)alphabet);
    }
    return bytes;
}

bool runningInCi()
{
    const char* ci = getenv("CI");
    return ci && strcmp(ci, "true") == 0;
}

std::string qelpackPath() { return QEL_QELPACK_PATH; }
std::string nativeStubPath() { return QEL_NATIVE_STUB_PATH; }
std::string nativeSamplePath(const std::string& name) { return std::string(QEL_NATIVE_SAMPLES_DIR) + "/" + name + ".so"; }
std::string mingwDirectory(int bits) { return bits == 32 ? QEL_MINGW32_DIR : QEL_MINGW64_DIR; }

void buildPackage(const std::string& stub, const std::string& library, const std::string& output,
                  const std::vector<std::string>& extra)
{
    std::vector<std::string> arguments = {qelpackPath(), "build", "--stub", stub, "--library", library, "-o", output};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    ProcessResult result = runProcess(arguments);
    ASSERT_EQ(result.status, 0) << result.errors;
}

void editTrailer(const std::string& package, const TrailerEdit& edit)
{
    Bytes bytes = readBytes(package);
    ASSERT_GE(bytes.size(), (size_t)TRAILER_SIZE);
    PackageTrailer trailer;
    unsigned char* at = &bytes[bytes.size() - TRAILER_SIZE];
    decodeTrailer(at, &trailer);
    if (edit.payloadOffset >= 0) trailer.payloadOffset = (uint32_t)edit.payloadOffset;
    if (edit.payloadEnd >= 0) trailer.payloadEnd = (uint32_t)edit.payloadEnd;
    if (edit.reserved >= 0) trailer.reserved = (uint32_t)edit.reserved;
    if (edit.nameOffset >= 0) trailer.nameOffset = (uint32_t)edit.nameOffset;
    encodeTrailer(&trailer, at);
    writeBytes(package, bytes);
}

Bytes packageBytes(const Bytes& image, const Bytes& library, const char* name)
{
    Bytes package = image;
    Bytes stream = compress(library);
    PackageTrailer trailer = {};
    trailer.payloadOffset = (uint32_t)package.size();
    package.insert(package.end(), stream.begin(), stream.end());
    trailer.payloadEnd = (uint32_t)package.size();
    if (name) {
        trailer.nameOffset = (uint32_t)package.size();
        package.insert(package.end(), name, name + strlen(name) + 1);
    }
    memcpy(trailer.signature, "QelSetup", 8);
    unsigned char bytes[TRAILER_SIZE];
    encodeTrailer(&trailer, bytes);
    package.insert(package.end(), bytes, bytes + TRAILER_SIZE);
    return package;
}
