// The run: extract the library, load it, hand over to its Setup entry,
// unload it and delete its file. A failure never cuts the run short of its
// clean-up or of the final repeat of the last message.
#include "bootstrap/bootstrap_run.h"

#include <stdint.h>

#include "bootstrap/error_reporting.h"
#include "bootstrap/messages.h"
#include "package/payload_extraction.h"

static const char ENTRY_NAME[] = "Setup";

// The 32-bit stub takes the handle as a signed 32-bit value: below 32 is a
// failure. It is not large-address-aware, so a library it loads lies below
// 2 GiB. A 64-bit handle is a pointer: null, or below 32, is a failure.
static int loadFailed(ModuleHandle library)
{
#if defined(_WIN32) && defined(__i386__)
    return (int32_t)(intptr_t)library < 32;
#else
    return (uintptr_t)library < 32;
#endif
}

// Loads the extracted library, calls its entry, and always deletes the
// file; the library is unloaded exactly when it was loaded.
static void runLibrary(void)
{
    ModuleHandle library = loadLibrary(libraryPath);
    if (loadFailed(library)) {
        reportError(MESSAGE_CANNOT_LOAD_LIBRARY);
    } else {
        SetupEntry entry = findEntry(library, ENTRY_NAME);
        if (entry)
            entry(handOverPath);
        else
            reportError(MESSAGE_ENTRY_MISSING);
        freeLibrary(library);
    }
    deleteFile(libraryPath);
}

int runBootstrap(ModuleHandle instance, ModuleHandle, char*, int)
{
    moduleInstance = instance;
    lastMessage[0] = 0;
    if (extractPayload())
        runLibrary();
    else
        reportError(MESSAGE_EXTRACTION_FAILED);
    showLastMessage();
    return 0;
}
