// Every text the stub can show, and the caption of its boxes. These are the
// program's own words; installer authors and support staff match on them.
#ifndef QEL_MESSAGES_H
#define QEL_MESSAGES_H

static const char BOX_CAPTION[] = "Setup";

// Found by the extraction.
static const char MESSAGE_CANNOT_OPEN_PACKAGE[] = "Cannot open setup.exe";
static const char MESSAGE_PACKAGE_DAMAGED[] = "Setup.exe is damaged.";
static const char MESSAGE_CANNOT_CREATE_LIBRARY[] = "Cannot create _setup.dll";

// Found by the run.
static const char MESSAGE_EXTRACTION_FAILED[] = "Setup.exe is damaged. (1)";
static const char MESSAGE_CANNOT_LOAD_LIBRARY[] = "Cannot load secondary setup.";
static const char MESSAGE_ENTRY_MISSING[] = "Setup.exe is damaged. (2)";

#endif
