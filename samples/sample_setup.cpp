// The sample secondary setup library: it shows the path it was handed and
// returns. A real installer does its work here.
#include <stdio.h>

#include "setup_entry.h"

#if defined(_WIN32)
#include <windows.h>
#endif

SETUP_EXPORT int SETUP_CALL Setup(char* handOverPath)
{
#if defined(_WIN32)
    MessageBoxA(0, handOverPath, "Sample setup", MB_OK | MB_ICONINFORMATION);
#else
    printf("Setup received: %s\n", handOverPath);
    fflush(stdout);
#endif
    return 1;
}
