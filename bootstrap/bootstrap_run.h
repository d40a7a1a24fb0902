// The stub's whole run, from its entry to its exit status.
#ifndef QEL_BOOTSTRAP_RUN_H
#define QEL_BOOTSTRAP_RUN_H

#include "platform/platform.h"

// Called by the start-up code with the four arguments of a GUI entry
// point. Only `instance`, the executable's own module, is read: the stub
// takes no options and opens no window. Always returns exit status 0;
// failures reach the user as boxes.
int runBootstrap(ModuleHandle instance, ModuleHandle previousInstance,
                 char* commandLine, int showCommand);

#endif
