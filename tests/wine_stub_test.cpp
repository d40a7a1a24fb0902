// The 64-bit Windows build of the stub run under wine64 on every road,
// against Wine's real Win32 API, with a private prefix and no display (a
// message box then returns at once). Wine's relay log records each call the
// stub's own image makes, with its arguments: the boxes, the load, the
// look-up, the unload and the deletion, in order.
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

const char WINE[] = "/usr/lib/wine/wine64";

struct Call {
    std::string function;    // "USER32.MessageBoxA", "KERNEL32.LoadLibraryA", ...
    std::string arguments;   // as the log prints them
};

// The calls made from code in the stub's image by its thread. Wine's own
// services run their images at the same default base (0x140000000), so the
// stub's thread is the one that asks for the path of the module at that
// base, or copies a message (the probe): calls no service makes from there.
std::vector<Call> stubCalls(const std::string& logPath)
{
    std::ifstream log(logPath);
    std::regex callLine("^([0-9a-f]+):Call ([A-Za-z0-9_]+\\.[A-Za-z0-9_]+)\\((.*)\\) ret=(14000[0-9a-f]{4})$");
    std::regex marker("^(KERNEL32\\.GetModuleFileNameA\\(140000000,|KERNEL32\\.lstrcpyA\\().*");
    std::vector<std::pair<std::string, Call>> all;
    std::string line, thread;
    std::smatch match;
    while (std::getline(log, line)) {
        if (!std::regex_match(line, match, callLine))
            continue;
        std::string text = std::string(match[2]) + "(" + std::string(match[3]);
        if (thread.empty() && std::regex_match(text, marker))
            thread = match[1];
        all.push_back({match[1], Call{match[2], match[3]}});
    }
    std::vector<Call> calls;
    for (const auto& entry : all) {
        if (entry.first != thread)
            continue;
        Call call = entry.second;
        for (char& c : call.function) {
            if (c == '.')
                break;
            c = (char)toupper((unsigned char)c);
        }
        calls.push_back(call);
    }
    return calls;
}

// The boxes' (owner, text, caption, style) as printed.
std::vector<std::string> boxes(const std::vector<Call>& calls)
{
    std::vector<std::string> texts;
    std::regex box("^([0-9a-f]+),[0-9a-f]+ \"(.*)\",[0-9a-f]+ \"(.*)\",([0-9a-f]+)$");
    std::smatch match;
    for (const Call& call : calls) {
        if (call.function != "USER32.MessageBoxA")
            continue;
        if (std::regex_match(call.arguments, match, box))
            texts.push_back(std::string(match[1]) + "|" + std::string(match[2]) + "|" + std::string(match[3]) + "|" +
                            std::string(match[4]));
        else
            texts.push_back("unparsed: " + call.arguments);
    }
    return texts;
}

std::string box(const char* text)
{
    return std::string("00000000|") + text + "|Setup|00000010";
}

// The names of the calls that matter for the order of a road.
std::vector<std::string> road(const std::vector<Call>& calls)
{
    std::vector<std::string> steps;
    for (const Call& call : calls) {
        if (call.function == "USER32.MessageBoxA")
            steps.push_back("box");
        else if (call.function == "KERNEL32.LoadLibraryA")
            steps.push_back("load");
        else if (call.function == "KERNEL32.GetProcAddress")
            steps.push_back("entry");
        else if (call.function == "KERNEL32.FreeLibrary")
            steps.push_back("free");
        else if (call.function == "MSVCRT.remove")
            steps.push_back("delete");
        else if (call.function == "MSVCRT.exit")
            steps.push_back("exit");
    }
    return steps;
}

std::string prefixPath()
{
    return std::string(QEL_WINE_PREFIX);
}

struct WineStub : ::testing::Test {
    ScratchDirectory scratch;
    std::string package;
    std::string build64;

    static void SetUpTestSuite()
    {
        if (access(WINE, X_OK) != 0 || !fileExists(mingwDirectory(64) + "/qelsetup.exe"))
            return;
        if (fileExists(prefixPath() + "/system.reg"))
            return;
        // A prefix of our own, made once; relay logging stays off for this.
        ProcessResult made = runProcess({WINE, "wineboot", "--init"},
                                        {"WINEPREFIX=" + prefixPath(), "WINEDEBUG=-all", "DISPLAY="});
        if (made.status != 0)
            fprintf(stderr, "wineboot failed: %s\n", made.errors.c_str());
        // Leave Wine's internal and high-volume calls out of the relay log;
        // the stub's calls into KERNEL32, USER32 and msvcrt stay in it.
        runProcess({WINE, "reg", "add", "HKCU\\Software\\Wine\\Debug", "/v", "RelayExclude", "/t", "REG_SZ", "/d",
                    "ntdll.*;kernelbase.*;win32u.*;ucrtbase.*;rpcrt4.*;combase.*;msvcrt.getc;msvcrt.putc", "/f"},
                   {"WINEPREFIX=" + prefixPath(), "WINEDEBUG=-all", "DISPLAY="});
    }

    void SetUp() override
    {
        build64 = mingwDirectory(64);
        if (access(WINE, X_OK) != 0 || !fileExists(build64 + "/qelsetup.exe")) {
            if (runningInCi())
                FAIL() << "wine64 or the 64-bit Windows build is missing";
            GTEST_SKIP() << "wine64 or the 64-bit Windows build is missing";
        }
        package = scratch.file("setup.exe");
        clearTemp();
    }
    void TearDown() override
    {
        if (!build64.empty())
            clearTemp();
    }

    // The Windows temporary directory of the prefix's user (Wine names the
    // user after the account it runs as), on the Linux side.
    std::string temp() const
    {
        const passwd* account = getpwuid(getuid());
        std::string name = account ? account->pw_name : "root";
        return prefixPath() + "/drive_c/users/" + name + "/Temp";
    }
    void clearTemp() const
    {
        std::string command = "rm -rf '" + temp() + "/_setup.dll'";
        if (system(command.c_str()) != 0)
            ADD_FAILURE() << command;
    }
    void build(const char* sample, const std::vector<std::string>& extra = {"--name", "Setup1.Qel"})
    {
        buildPackage(build64 + "/qelsetup.exe", build64 + "/samples/" + sample + ".dll", package, extra);
    }
    std::vector<Call> run(const std::string& program, const std::vector<std::string>& arguments = {},
                          int* status = nullptr)
    {
        std::string logPath = scratch.file("relay.log");
        std::vector<std::string> command = {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"$QEL_RELAY_LOG\"", WINE, program};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ProcessResult result = runProcess(command, {"WINEPREFIX=" + prefixPath(), "WINEDEBUG=-all,+relay", "DISPLAY=",
                                                    "QEL_RELAY_LOG=" + logPath});
        if (status)
            *status = result.status;
        std::vector<Call> calls = stubCalls(logPath);
        unlink(logPath.c_str());
        return calls;
    }
    std::string setupLog() const
    {
        Bytes log = readBytes(scratch.file("setup-calls.log"));
        return std::string(log.begin(), log.end());
    }
    // The Windows form of a path in the scratch directory, as Z: maps it.
    std::string windowsPath(const std::string& path) const
    {
        std::string converted = "Z:" + path;
        for (char& c : converted)
            if (c == '/')
                c = '\\';
        return converted;
    }
};

typedef std::vector<std::string> Texts;

TEST_F(WineStub, SoundPackageHandsOverOnceWithNoBox)
{
    build("recording_setup");
    int status;
    std::vector<Call> calls = run(package, {}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(road(calls), (Texts{"load", "entry", "free", "delete", "exit"}));
    EXPECT_EQ(setupLog(), "Setup " + windowsPath(scratch.file("Setup1.Qel")) + "\n");
    EXPECT_FALSE(fileExists(temp() + "/_setup.dll"));
    for (const Call& call : calls) {
        if (call.function == "KERNEL32.LoadLibraryA") {
            EXPECT_NE(call.arguments.find("\\\\Temp\\\\\\\\_setup.dll\""), std::string::npos) << call.arguments;
        }
        if (call.function == "KERNEL32.GetProcAddress") {
            EXPECT_NE(call.arguments.find("\"Setup\""), std::string::npos);
        }
    }
}

TEST_F(WineStub, CommandLineChangesNothing)
{
    build("recording_setup");
    std::vector<std::string> plain = road(run(package));
    EXPECT_EQ(road(run(package, {"/S", "/D=C:\\Program Files\\X", "--quiet"})), plain);
    EXPECT_EQ(setupLog(), "Setup " + windowsPath(scratch.file("Setup1.Qel")) + "\nSetup " +
                              windowsPath(scratch.file("Setup1.Qel")) + "\n");
}

TEST_F(WineStub, NoStoredNameHandsOverThePackagePath)
{
    build("recording_setup", {});
    run(package);
    EXPECT_EQ(setupLog(), "Setup " + windowsPath(package) + "\n");
}

TEST_F(WineStub, ZeroByteAtTheNameHandsOverTheDirectory)
{
    build("recording_setup", {"--name", ""});
    run(package);
    EXPECT_EQ(setupLog(), "Setup " + windowsPath(scratch.path) + "\\\n");
}

TEST_F(WineStub, WrongSignatureShowsThreeBoxes)
{
    build("recording_setup");
    Bytes bytes = readBytes(package);
    bytes.back() = 'P';
    writeBytes(package, bytes);
    int status;
    std::vector<Call> calls = run(package, {}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(boxes(calls), (Texts{box("Setup.exe is damaged."), box("Setup.exe is damaged. (1)"),
                                   box("Setup.exe is damaged. (1)")}));
    EXPECT_EQ(road(calls), (Texts{"box", "box", "box", "exit"}));   // nothing created, loaded or deleted
    for (const Call& call : calls)
        EXPECT_NE(call.function, "KERNEL32.GetTempPathA");
}

TEST_F(WineStub, LibraryThatCannotBeLoaded)
{
    ScratchDirectory inputs;
    writeBytes(inputs.file("garbage.dll"), randomBytes(3000, 2));
    buildPackage(build64 + "/qelsetup.exe", inputs.file("garbage.dll"), package, {"--name", "Setup1.Qel"});
    int status;
    std::vector<Call> calls = run(package, {}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(road(calls), (Texts{"load", "box", "delete", "box", "exit"}));
    EXPECT_EQ(boxes(calls), (Texts{box("Cannot load secondary setup."), box("Cannot load secondary setup.")}));
    EXPECT_FALSE(fileExists(temp() + "/_setup.dll"));
}

TEST_F(WineStub, PayloadOffsetPastTheEndGivesAnEmptyLibrary)
{
    build("recording_setup");
    editTrailer(package, {50000000, -1, -1, -1});
    std::vector<Call> calls = run(package);
    EXPECT_EQ(boxes(calls), (Texts{box("Cannot load secondary setup."), box("Cannot load secondary setup.")}));
    EXPECT_FALSE(fileExists(temp() + "/_setup.dll"));
}

TEST_F(WineStub, LibraryWithoutSetup)
{
    build("no_entry_setup");
    std::vector<Call> calls = run(package);
    EXPECT_EQ(road(calls), (Texts{"load", "entry", "box", "free", "delete", "box", "exit"}));
    EXPECT_EQ(boxes(calls), (Texts{box("Setup.exe is damaged. (2)"), box("Setup.exe is damaged. (2)")}));
    EXPECT_FALSE(fileExists(temp() + "/_setup.dll"));
}

TEST_F(WineStub, DirectoryNamedLikeTheLibrary)
{
    build("recording_setup");
    mkdir((temp() + "/_setup.dll").c_str(), 0755);
    std::vector<Call> calls = run(package);
    EXPECT_EQ(boxes(calls), (Texts{box("Cannot create _setup.dll"), box("Setup.exe is damaged. (1)"),
                                   box("Setup.exe is damaged. (1)")}));
    EXPECT_EQ(setupLog(), "");
}

TEST_F(WineStub, ExistingLibraryFileIsOverwritten)
{
    build("recording_setup");
    writeBytes(temp() + "/_setup.dll", Bytes(200000, 0xCC));
    std::vector<Call> calls = run(package);
    EXPECT_TRUE(boxes(calls).empty());
    EXPECT_NE(setupLog(), "");
    EXPECT_FALSE(fileExists(temp() + "/_setup.dll"));
}

TEST_F(WineStub, FullDiskIsAFailure)
{
    build("recording_setup");
    ASSERT_EQ(symlink("/dev/full", (temp() + "/_setup.dll").c_str()), 0);
    std::vector<Call> calls = run(package);
    EXPECT_EQ(boxes(calls), (Texts{box("Cannot create _setup.dll"), box("Setup.exe is damaged. (1)"),
                                   box("Setup.exe is damaged. (1)")}));
    EXPECT_EQ(setupLog(), "");
    EXPECT_EQ(road(calls), (Texts{"box", "delete", "box", "box", "exit"}));
}

TEST_F(WineStub, ReportingProbeShowsEachBoxWithTheErrorStyle)
{
    std::string probe = build64 + "/report_probe.exe";
    ASSERT_TRUE(fileExists(probe));
    EXPECT_EQ(boxes(run(probe)), (Texts{box("Cannot open setup.exe"), box("Setup.exe is damaged. (1)"),
                                       box("Setup.exe is damaged. (1)")}));
}

} // namespace
