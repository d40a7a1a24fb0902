// The recording platform for tests: every call into the platform seam is
// kept in order, and the answers can be set (paths, a failing load, a
// missing entry). Files are real: the temporary directory is a real one, and
// deleting removes the file, so extraction can be driven end to end.
#ifndef QEL_RECORDING_PLATFORM_H
#define QEL_RECORDING_PLATFORM_H

#include <stdint.h>

#include <string>
#include <vector>

struct RecordedCall {
    std::string operation;   // "box", "load", "entry", "setup", "free", "delete", ...
    std::string text;        // the box text, or the path or name passed
    std::string caption;     // boxes only
    unsigned style = 0;      // boxes only
    void* owner = nullptr;   // boxes only
    long long fileSize = -1; // "setup": size of the library file when Setup ran
};

struct RecordingAnswers {
    std::string modulePath;          // what getModuleFileName reports
    std::string tempPath;            // what getTempPath reports
    uintptr_t loadHandle = 0x10000;  // what loadLibrary returns
    bool entryMissing = false;       // findEntry answers null
};

extern RecordingAnswers recordingAnswers;
extern std::vector<RecordedCall> recordedCalls;

// Clears the record and restores the default answers.
void resetRecording();

// The texts of the recorded boxes, in order.
std::vector<std::string> recordedBoxes();

// The recorded operation names, in order.
std::vector<std::string> recordedOperations();

#endif
