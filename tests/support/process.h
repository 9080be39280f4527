// Runs programs for the end-to-end and browser tests: the lum under test, Chromium, fakes.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // -1 when killed by a signal or timed out
    bool timedOut = false;
    std::string out, err;
};

struct ProcessOptions {
    std::string workingFolder;                                  // "" = the test's own
    std::string input;                                          // standard input, then end of input
    std::map<std::string, std::optional<std::string>> environment;  // nullopt removes a variable
    int timeoutSeconds = 60;
};

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// A process left running, its output going to files; stopped by pid.
struct BackgroundProcess {
    int pid = -1;
    std::string outPath, errPath;
};
BackgroundProcess startProcess(const std::vector<std::string>& argv, const ProcessOptions& options,
                               const std::string& outPath, const std::string& errPath);
void stopProcess(BackgroundProcess& p);

// The lum under test: LUM_EXE (set by CTest), behind LUM_WRAPPER when set (for example wine).
std::vector<std::string> lumCommand();
// The native path separator of the lum under test ("\" for a Windows build).
char lumSeparator();
ProcessResult runLum(const std::vector<std::string>& args, const ProcessOptions& options = {});
// How the lum under test prints an absolute host path it worked out itself (its own folder,
// for one): unchanged natively; for lum.exe under Wine, drive Z: and backslashes.
std::string lumHostPath(const std::string& absolutePath);
// What a fake xdg-open on PATH receives when lum opens `printedPath` (a page path as lum
// printed it, relative to `workingFolder` unless absolute): the path itself natively; under
// Wine, whose shell passes pages on as URLs, "file://" and the percent-encoded absolute path.
std::string lumOpenedTarget(const std::string& workingFolder, const std::string& printedPath);

// Puts a fake xdg-open first on the PATH of `options`: instead of opening anything it appends
// its argument as a line to folder/opened.log.
void useFakeOpener(ProcessOptions& options, const std::string& folder);

// Whether a program can be found on PATH.
bool onPath(const std::string& program);
