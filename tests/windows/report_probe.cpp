// A Windows program for the tests: it reports one failure through the
// stub's own reporting code, then shows the last message again, exactly as
// the stub's run ends. Under Wine without a display each box returns at
// once, and the relay log shows the arguments of every MessageBoxA call.
#include <stdlib.h>

#include "bootstrap/error_reporting.h"
#include "bootstrap/messages.h"

extern "C" void stubEntry(void)
{
    lastMessage[0] = 0;
    reportError(MESSAGE_CANNOT_OPEN_PACKAGE);
    reportError("");
    showLastMessage();
    reportError(MESSAGE_EXTRACTION_FAILED);
    showLastMessage();
    exit(0);
}
