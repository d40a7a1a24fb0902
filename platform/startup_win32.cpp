// The stub's own start-up on Windows. The image links no C runtime start-up
// code: the loader calls stubEntry, which gathers the four arguments of a
// GUI entry point, runs the bootstrap, and ends through the C library's
// exit so that buffered streams are flushed and exit handlers run.
//
// The entry is deliberately not named main: on mingw targets gcc plants a
// call to __main into any function of that name.
#include <stdlib.h>
#include <windows.h>

#include "bootstrap/bootstrap_run.h"

// The command line after the program's own name and the blanks behind it.
static char* skipProgramName(char* line)
{
    unsigned char* cursor = (unsigned char*)line;
    if (*cursor == '"') {
        cursor++;
        while (*cursor && *cursor != '"')
            cursor++;
        if (*cursor == '"')
            cursor++;
    } else {
        while (*cursor > ' ')
            cursor++;
    }
    while (*cursor && *cursor <= ' ')
        cursor++;
    return (char*)cursor;
}

static int startupShowCommand(void)
{
    STARTUPINFOA info;
    GetStartupInfoA(&info);
    return (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : SW_SHOWDEFAULT;
}

extern "C" void stubEntry(void)
{
    int status = runBootstrap((ModuleHandle)GetModuleHandleA(0), 0,
                              skipProgramName(GetCommandLineA()), startupShowCommand());
    exit(status);
}
