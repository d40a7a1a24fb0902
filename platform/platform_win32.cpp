// The platform seam on Windows: each operation is the Win32 call itself.
#include "platform/platform.h"

#include <stdio.h>
#include <windows.h>

unsigned getModuleFileName(ModuleHandle module, char* buffer, unsigned size)
{
    return GetModuleFileNameA((HMODULE)module, buffer, size);
}

unsigned getTempPath(unsigned size, char* buffer)
{
    return GetTempPathA(size, buffer);
}

void copyString(char* target, const char* text)
{
    lstrcpyA(target, text);
}

void appendString(char* target, const char* text)
{
    lstrcatA(target, text);
}

void showMessageBox(void* owner, const char* text, const char* caption, unsigned style)
{
    MessageBoxA((HWND)owner, text, caption, style);
}

ModuleHandle loadLibrary(const char* path)
{
    return (ModuleHandle)LoadLibraryA(path);
}

SetupEntry findEntry(ModuleHandle library, const char* name)
{
    return (SetupEntry)(void*)GetProcAddress((HMODULE)library, name);
}

void freeLibrary(ModuleHandle library)
{
    FreeLibrary((HMODULE)library);
}

void deleteFile(const char* path)
{
    remove(path);
}
