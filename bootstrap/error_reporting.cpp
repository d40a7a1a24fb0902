// Error boxes and the last message. Nothing here is tested for success:
// if a box cannot be shown, the run simply goes on.
#include "bootstrap/error_reporting.h"

#include "bootstrap/messages.h"
#include "platform/platform.h"

char lastMessage[256];

static void showErrorBox(void)
{
    showMessageBox(0, lastMessage, BOX_CAPTION, ERROR_BOX_STYLE);
}

void reportError(const char* text)
{
    copyString(lastMessage, text);
    if (lastMessage[0])
        showErrorBox();
}

void showLastMessage(void)
{
    if (lastMessage[0])
        showErrorBox();
}
