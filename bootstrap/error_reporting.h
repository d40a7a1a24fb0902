// How the stub tells the user about a failure: a modal box captioned
// "Setup" with the error icon, shown where the failure is found. The text
// reported last is kept in lastMessage and shown once more at the end of
// the run, so the user's final box names the most general cause.
#ifndef QEL_ERROR_REPORTING_H
#define QEL_ERROR_REPORTING_H

// The text most recently reported; empty when nothing was.
extern char lastMessage[256];

// Keeps `text` (one of the fixed messages) as the last message and, unless
// it is empty, shows it in a box and waits for the user.
void reportError(const char* text);

// Shows the last message once more, if there is one.
void showLastMessage(void);

#endif
