// Turns the running executable back into what the hand-over needs: the
// library file in the temporary directory and the path for its entry.
#ifndef QEL_PAYLOAD_EXTRACTION_H
#define QEL_PAYLOAD_EXTRACTION_H

#include "platform/platform.h"

// The executable's own module; the run sets it before extracting.
extern ModuleHandle moduleInstance;

// The executable's directory followed by the stored name, or the
// executable's own path when the package stores no name.
extern char handOverPath[PATH_BUFFER_SIZE];

// The temporary directory followed by the separator and "_setup.dll".
extern char libraryPath[PATH_BUFFER_SIZE];

// Opens the package, checks its trailer, builds handOverPath, and expands
// the library to libraryPath. Returns 1 when the library file is complete
// and closed; 0 after reporting the cause. Nothing stays open either way.
int extractPayload(void);

#endif
