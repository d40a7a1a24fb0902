// The stub's start-up on POSIX: main gathers what a GUI entry point would
// receive (the arguments after the program name as one line, and the
// default show value) and returns the run's status to the C library's exit.
#include <string.h>

#include "bootstrap/bootstrap_run.h"

enum { COMMAND_LINE_SIZE = 1024, SHOW_DEFAULT = 10 };

static char commandLine[COMMAND_LINE_SIZE];

// Joins the arguments with single blanks, cut off where the buffer ends.
static void joinArguments(int count, char** arguments)
{
    size_t used = 0;
    for (int i = 1; i < count; i++) {
        size_t length = strlen(arguments[i]);
        size_t room = COMMAND_LINE_SIZE - 1 - used;
        if (i > 1 && room > 0) {
            commandLine[used++] = ' ';
            room--;
        }
        if (length > room)
            length = room;
        memcpy(commandLine + used, arguments[i], length);
        used += length;
    }
    commandLine[used] = 0;
}

int main(int argc, char** argv)
{
    static char ownModule;
    joinArguments(argc, argv);
    return runBootstrap(&ownModule, 0, commandLine, SHOW_DEFAULT);
}
