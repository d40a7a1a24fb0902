// The operating-system operations the stub needs, behind one seam.
//
// Three sources implement this header and CMake links exactly one of them:
// platform_win32.cpp (the Win32 calls themselves), platform_posix.cpp
// (the same contract on Linux) and recording_platform.cpp (tests: it
// records every call and answers as told). The callers rely only on what is
// written here; the results the stub does not test are still returned so
// that a caller may bound what it copies.
#ifndef QEL_PLATFORM_H
#define QEL_PLATFORM_H

// A module: the executable's own, or a loaded library.
typedef void* ModuleHandle;

// The secondary library's entry, as installer authors declare it:
// int Setup(char*). On 32-bit Windows it is stdcall: the callee removes
// its one 4-byte argument. Its result is never read.
#if defined(_WIN32) && defined(__i386__)
#define SETUP_ENTRY_CALL __stdcall
#else
#define SETUP_ENTRY_CALL
#endif
typedef int (SETUP_ENTRY_CALL* SetupEntry)(char* handOverPath);

// Every path buffer holds 256 bytes, a path of at most 255 characters.
enum { PATH_BUFFER_SIZE = 256 };

// The error icon and a single OK button.
enum { ERROR_BOX_STYLE = 0x10 };

// The separator between directory and file names: a backslash on Windows,
// a slash on POSIX. The temporary directory comes back with one at its end.
#if defined(_WIN32)
#define PATH_SEPARATOR_TEXT "\\"
#else
#define PATH_SEPARATOR_TEXT "/"
#endif
static const char PATH_SEPARATOR = PATH_SEPARATOR_TEXT[0];

// Fills `buffer` with the full path of the running executable. Returns the
// number of characters stored; `size` or more means the path did not fit.
unsigned getModuleFileName(ModuleHandle module, char* buffer, unsigned size);

// Fills `buffer` with the temporary directory, closing separator included.
// Returns its length, or the size needed when it does not fit; 0 on failure.
unsigned getTempPath(unsigned size, char* buffer);

// Copies `text` with its terminator over `target` (no bound is applied).
void copyString(char* target, const char* text);

// Appends `text` to the string in `target` (no bound is applied).
void appendString(char* target, const char* text);

// A modal box; returns when the user has dismissed it.
void showMessageBox(void* owner, const char* text, const char* caption, unsigned style);

// Loads a library; the handle is tested by the caller.
ModuleHandle loadLibrary(const char* path);

// The library's exported entry of that name, or null.
SetupEntry findEntry(ModuleHandle library, const char* name);

void freeLibrary(ModuleHandle library);

// Deletes a file through the C library's remove().
void deleteFile(const char* path);

#endif
