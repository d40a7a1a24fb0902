// How a secondary setup library declares its entry: an undecorated,
// exported "Setup" taking the hand-over path; stdcall on 32-bit Windows.
#ifndef QEL_SAMPLE_SETUP_ENTRY_H
#define QEL_SAMPLE_SETUP_ENTRY_H

#if defined(_WIN32)
#define SETUP_EXPORT extern "C" __declspec(dllexport)
#define SETUP_CALL __stdcall
#else
#define SETUP_EXPORT extern "C" __attribute__((visibility("default")))
#define SETUP_CALL
#endif

#endif
