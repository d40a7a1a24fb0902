// Temporary-file-and-rename output for qelpack.
#include "pack/atomic_output.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static mode_t currentUmask()
{
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

bool openAtomicOutput(AtomicOutput* output, const std::string& path, mode_t mode, std::string* error)
{
    output->finalPath = path;
    output->mode = mode;
    std::string pattern = path + ".qelpack-XXXXXX";
    int descriptor = mkstemp(&pattern[0]);
    if (descriptor < 0) {
        *error = "cannot create a temporary file beside " + path + ": " + strerror(errno);
        return false;
    }
    output->temporaryPath = pattern;
    output->stream = fdopen(descriptor, "wb");
    if (!output->stream) {
        *error = "cannot open " + pattern + ": " + strerror(errno);
        close(descriptor);
        unlink(pattern.c_str());
        return false;
    }
    return true;
}

bool commitAtomicOutput(AtomicOutput* output, std::string* error)
{
    FILE* stream = output->stream;
    output->stream = nullptr;
    bool written = !ferror(stream) && fflush(stream) == 0;
    int savedErrno = errno;
    if (written && (fchmod(fileno(stream), output->mode & ~currentUmask()) != 0 || fsync(fileno(stream)) != 0)) {
        written = false;
        savedErrno = errno;
    }
    if (fclose(stream) != 0 && written) {
        written = false;
        savedErrno = errno;
    }
    if (written && rename(output->temporaryPath.c_str(), output->finalPath.c_str()) != 0) {
        written = false;
        savedErrno = errno;
    }
    if (!written) {
        *error = "cannot write " + output->finalPath + ": " + strerror(savedErrno ? savedErrno : EIO);
        unlink(output->temporaryPath.c_str());
    }
    return written;
}

void abandonAtomicOutput(AtomicOutput* output)
{
    if (output->stream)
        fclose(output->stream);
    output->stream = nullptr;
    if (!output->temporaryPath.empty())
        unlink(output->temporaryPath.c_str());
}
