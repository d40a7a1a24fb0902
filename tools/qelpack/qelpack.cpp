// qelpack: makes, inspects, checks and unpacks QelSetup packages.
//
//   qelpack build --stub STUB --library LIB [--name NAME] [--fast] -o OUT
//   qelpack info PKG
//   qelpack verify PKG
//   qelpack extract PKG -o OUT
//
// Exit status: 0 on success (verify: the package is sound), 1 when the
// work failed (verify: the package has findings), 2 for a usage error.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "pack/package_builder.h"
#include "pack/package_inspector.h"

namespace {

enum { EXIT_OK = 0, EXIT_FAILED = 1, EXIT_USAGE = 2 };

const char USAGE[] =
    "usage: qelpack build --stub STUB --library LIB [--name NAME] [--fast] -o OUT\n"
    "       qelpack info PKG\n"
    "       qelpack verify PKG\n"
    "       qelpack extract PKG -o OUT\n"
    "\n"
    "build    append LIB, compressed, and an optional stored NAME to the stub\n"
    "         image STUB, writing the package OUT. The stored name replaces the\n"
    "         package's file name in the path handed to the library's Setup\n"
    "         entry. --fast uses the greedy encoder instead of the optimal one.\n"
    "info     print the trailer's fields and the stored name of PKG\n"
    "verify   check PKG beyond what the stub checks; exit 1 with each finding\n"
    "extract  expand the library PKG carries into OUT\n"
    "\n"
    "Outputs are written to a temporary file and renamed into place, so a\n"
    "failed run never leaves a partial OUT behind.\n";

int usageError(const std::string& message)
{
    fprintf(stderr, "qelpack: %s\n%s", message.c_str(), USAGE);
    return EXIT_USAGE;
}

int failure(const std::string& message)
{
    fprintf(stderr, "qelpack: %s\n", message.c_str());
    return EXIT_FAILED;
}

// Options of the form --key VALUE, --key=VALUE or -o VALUE; flags stand alone.
struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> flags;
    std::string problem;
};

Arguments parseArguments(int argc, char** argv, const std::vector<std::string>& valued,
                         const std::vector<std::string>& flagNames)
{
    Arguments parsed;
    for (int i = 2; i < argc; i++) {
        std::string word = argv[i];
        std::string key = word, value;
        bool inlineValue = false;
        size_t equals = word.find('=');
        if (word.rfind("--", 0) == 0 && equals != std::string::npos) {
            key = word.substr(0, equals);
            value = word.substr(equals + 1);
            inlineValue = true;
        }
        bool isValued = false, isFlag = false;
        for (const std::string& name : valued)
            isValued = isValued || name == key;
        for (const std::string& name : flagNames)
            isFlag = isFlag || name == key;
        if (isValued) {
            if (!inlineValue) {
                if (i + 1 >= argc) {
                    parsed.problem = key + " needs a value";
                    return parsed;
                }
                value = argv[++i];
            }
            parsed.options.push_back({key, value});
        } else if (isFlag && !inlineValue) {
            parsed.flags.push_back(key);
        } else if (word == "--") {
            for (i++; i < argc; i++)
                parsed.positional.push_back(argv[i]);
        } else if (word.size() > 1 && word[0] == '-') {
            parsed.problem = "unknown option " + word;
            return parsed;
        } else {
            parsed.positional.push_back(word);
        }
    }
    return parsed;
}

bool option(const Arguments& arguments, const std::string& a, const std::string& b, std::string* value)
{
    bool found = false;
    for (const auto& entry : arguments.options)
        if (entry.first == a || entry.first == b) {
            *value = entry.second;
            found = true;
        }
    return found;
}

bool flag(const Arguments& arguments, const std::string& name)
{
    for (const std::string& entry : arguments.flags)
        if (entry == name)
            return true;
    return false;
}

int runBuild(int argc, char** argv)
{
    Arguments arguments = parseArguments(argc, argv, {"--stub", "--library", "--name", "-o", "--output"}, {"--fast"});
    if (!arguments.problem.empty())
        return usageError(arguments.problem);
    BuildOptions options;
    if (!option(arguments, "--stub", "--stub", &options.stubPath))
        return usageError("build needs --stub STUB");
    if (!option(arguments, "--library", "--library", &options.libraryPath))
        return usageError("build needs --library LIB");
    if (!option(arguments, "-o", "--output", &options.outputPath))
        return usageError("build needs -o OUT");
    if (!arguments.positional.empty())
        return usageError("build takes no operand " + arguments.positional[0]);
    options.hasName = option(arguments, "--name", "--name", &options.name);
    options.mode = flag(arguments, "--fast") ? ENCODE_GREEDY : ENCODE_OPTIMAL;
    BuildReport report;
    std::string error;
    if (!buildPackage(options, &report, &error))
        return failure(error);
    double ratio = report.libraryBytes ? 100.0 * report.streamBytes / report.libraryBytes : 0;
    printf("%s: %llu bytes\n", options.outputPath.c_str(), (unsigned long long)report.packageBytes);
    printf("  stub      %llu bytes\n", (unsigned long long)report.stubBytes);
    printf("  library   %llu bytes, compressed to %llu bytes (%.1f%%, %s)\n",
           (unsigned long long)report.libraryBytes, (unsigned long long)report.streamBytes, ratio,
           options.mode == ENCODE_GREEDY ? "greedy" : "optimal");
    printf("  name      %s\n", options.hasName ? ("\"" + options.name + "\"").c_str() : "(none)");
    printf("  time      %.3f s\n", report.seconds);
    return EXIT_OK;
}

int runInfo(int argc, char** argv)
{
    Arguments arguments = parseArguments(argc, argv, {}, {});
    if (!arguments.problem.empty())
        return usageError(arguments.problem);
    if (arguments.positional.size() != 1)
        return usageError("info takes one package");
    PackageInfo info;
    std::string error;
    if (!inspectPackage(arguments.positional[0], &info, &error))
        return failure(error);
    const PackageTrailer& trailer = info.trailer;
    printf("file size      %llu\n", (unsigned long long)info.fileSize);
    printf("payloadOffset  %u\n", trailer.payloadOffset);
    printf("payloadEnd     %u\n", trailer.payloadEnd);
    printf("reserved       %u\n", trailer.reserved);
    printf("nameOffset     %u\n", trailer.nameOffset);
    printf("signature      QelSetup\n");
    if (!info.hasName)
        printf("name           (none: the package's own path is handed over)\n");
    else if (!info.nameTerminated)
        printf("name           (not terminated before the trailer)\n");
    else
        printf("name           \"%s\"\n", info.name.c_str());
    return EXIT_OK;
}

int runVerify(int argc, char** argv)
{
    Arguments arguments = parseArguments(argc, argv, {}, {});
    if (!arguments.problem.empty())
        return usageError(arguments.problem);
    if (arguments.positional.size() != 1)
        return usageError("verify takes one package");
    const std::string& path = arguments.positional[0];
    std::vector<std::string> findings;
    std::string error;
    if (!verifyPackage(path, &findings, &error))
        return failure(error);
    if (findings.empty()) {
        printf("%s: sound\n", path.c_str());
        return EXIT_OK;
    }
    for (const std::string& finding : findings)
        printf("%s: %s\n", path.c_str(), finding.c_str());
    return EXIT_FAILED;
}

int runExtract(int argc, char** argv)
{
    Arguments arguments = parseArguments(argc, argv, {"-o", "--output"}, {});
    if (!arguments.problem.empty())
        return usageError(arguments.problem);
    std::string outputPath;
    if (!option(arguments, "-o", "--output", &outputPath))
        return usageError("extract needs -o OUT");
    if (arguments.positional.size() != 1)
        return usageError("extract takes one package");
    uint64_t written = 0;
    std::string error;
    if (!extractPackage(arguments.positional[0], outputPath, &written, &error))
        return failure(error);
    printf("%s: %llu bytes\n", outputPath.c_str(), (unsigned long long)written);
    return EXIT_OK;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usageError("no command given");
    std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        fputs(USAGE, stdout);
        return EXIT_OK;
    }
    for (int i = 2; i < argc; i++)
        if (!strcmp(argv[i], "--help") || !strcmp(argv[i], "-h")) {
            fputs(USAGE, stdout);
            return EXIT_OK;
        }
    if (command == "build")
        return runBuild(argc, argv);
    if (command == "info")
        return runInfo(argc, argv);
    if (command == "verify")
        return runVerify(argc, argv);
    if (command == "extract")
        return runExtract(argc, argv);
    return usageError("unknown command " + command);
}
