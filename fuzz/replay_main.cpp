// Replays a fuzzing harness over files and directories of inputs, without
// libFuzzer: the corpora then run as ordinary tests in every build.
#include <dirent.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int replayFile(const std::string& path)
{
    FILE* stream = fopen(path.c_str(), "rb");
    if (!stream) {
        fprintf(stderr, "cannot open %s\n", path.c_str());
        return 0;
    }
    std::vector<uint8_t> bytes;
    int value;
    while ((value = getc(stream)) != EOF)
        bytes.push_back((uint8_t)value);
    fclose(stream);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 1;
}

int main(int argc, char** argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; i++) {
        struct stat status;
        if (stat(argv[i], &status) != 0) {
            fprintf(stderr, "no such input: %s\n", argv[i]);
            return 1;
        }
        if (!S_ISDIR(status.st_mode)) {
            replayed += replayFile(argv[i]);
            continue;
        }
        DIR* directory = opendir(argv[i]);
        while (dirent* entry = readdir(directory))
            if (entry->d_name[0] != '.')
                replayed += replayFile(std::string(argv[i]) + "/" + entry->d_name);
        closedir(directory);
    }
    printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
