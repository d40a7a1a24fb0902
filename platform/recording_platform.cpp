// The recording platform: the seam's operations as a test sees them.
#include "platform/recording_platform.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "platform/platform.h"

RecordingAnswers recordingAnswers;
std::vector<RecordedCall> recordedCalls;

void resetRecording()
{
    recordingAnswers = RecordingAnswers();
    recordedCalls.clear();
}

std::vector<std::string> recordedBoxes()
{
    std::vector<std::string> boxes;
    for (const RecordedCall& call : recordedCalls)
        if (call.operation == "box")
            boxes.push_back(call.text);
    return boxes;
}

std::vector<std::string> recordedOperations()
{
    std::vector<std::string> operations;
    for (const RecordedCall& call : recordedCalls)
        operations.push_back(call.operation);
    return operations;
}

// The file last handed to loadLibrary, measured when Setup runs.
static std::string loadedPath;

static void record(const char* operation, const std::string& text)
{
    RecordedCall call;
    call.operation = operation;
    call.text = text;
    recordedCalls.push_back(call);
}

// Copies `answer` the way the Win32 queries do: the length on success, the
// buffer's size (and a cut-off, terminated text) when it does not fit.
static unsigned answerPath(const std::string& answer, char* buffer, unsigned size)
{
    if (answer.size() >= size) {
        memcpy(buffer, answer.data(), size - 1);
        buffer[size - 1] = 0;
        return size;
    }
    memcpy(buffer, answer.c_str(), answer.size() + 1);
    return (unsigned)answer.size();
}

unsigned getModuleFileName(ModuleHandle, char* buffer, unsigned size)
{
    record("module path", recordingAnswers.modulePath);
    return answerPath(recordingAnswers.modulePath, buffer, size);
}

unsigned getTempPath(unsigned size, char* buffer)
{
    record("temp path", recordingAnswers.tempPath);
    if (recordingAnswers.tempPath.size() >= size)
        return (unsigned)recordingAnswers.tempPath.size() + 1;
    return answerPath(recordingAnswers.tempPath, buffer, size);
}

void copyString(char* target, const char* text)
{
    strcpy(target, text);
}

void appendString(char* target, const char* text)
{
    strcat(target, text);
}

void showMessageBox(void* owner, const char* text, const char* caption, unsigned style)
{
    RecordedCall call;
    call.operation = "box";
    call.text = text;
    call.caption = caption;
    call.style = style;
    call.owner = owner;
    recordedCalls.push_back(call);
}

ModuleHandle loadLibrary(const char* path)
{
    record("load", path);
    loadedPath = path;
    return (ModuleHandle)recordingAnswers.loadHandle;
}

static int recordedSetup(char* path)
{
    RecordedCall call;
    call.operation = "setup";
    call.text = path;
    struct stat status;
    if (stat(loadedPath.c_str(), &status) == 0)
        call.fileSize = (long long)status.st_size;
    recordedCalls.push_back(call);
    return 1;
}

SetupEntry findEntry(ModuleHandle, const char* name)
{
    record("entry", name);
    return recordingAnswers.entryMissing ? nullptr : recordedSetup;
}

void freeLibrary(ModuleHandle)
{
    record("free", "");
}

void deleteFile(const char* path)
{
    record("delete", path);
    remove(path);
}
