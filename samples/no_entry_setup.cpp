// A library for the tests that exports no Setup entry.
#include "setup_entry.h"

SETUP_EXPORT int SETUP_CALL NotSetup(char*)
{
    return 0;
}
