// Runs programs with captured output, input, environment, working folder and a time limit.
#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "support/temp_folder.h"

extern char** environ;

namespace {

std::vector<std::string> buildEnvironment(const ProcessOptions& options) {
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : options.environment) {
        if (value)
            env[name] = *value;
        else
            env.erase(name);
    }
    std::vector<std::string> flat;
    for (const auto& [name, value] : env) flat.push_back(name + "=" + value);
    return flat;
}

[[noreturn]] void execChild(const std::vector<std::string>& argv, const ProcessOptions& options) {
    if (!options.workingFolder.empty() && ::chdir(options.workingFolder.c_str()) != 0) ::_exit(126);
    std::vector<std::string> env = buildEnvironment(options);
    std::vector<char*> envp, args;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> copy = argv;
    for (auto& a : copy) args.push_back(a.data());
    args.push_back(nullptr);
    // execvpe searches the PATH of the new environment.
    ::execvpe(args[0], args.data(), envp.data());
    ::_exit(127);
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) || ::pipe2(out, O_CLOEXEC) || ::pipe2(err, O_CLOEXEC))
        throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::setpgid(0, 0);
        execChild(argv, options);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    ::signal(SIGPIPE, SIG_IGN);

    ProcessResult result;
    std::size_t written = 0;
    int inFd = in[1];
    if (options.input.empty()) {
        ::close(inFd);
        inFd = -1;
    } else {
        ::fcntl(inFd, F_SETFL, O_NONBLOCK);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        pollfd fds[3];
        int count = 0;
        if (outOpen) fds[count++] = {out[0], POLLIN, 0};
        if (errOpen) fds[count++] = {err[0], POLLIN, 0};
        if (inFd >= 0) fds[count++] = {inFd, POLLOUT, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            ::kill(-pid, SIGKILL);
            break;
        }
        const int ready = ::poll(fds, static_cast<nfds_t>(count), static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR) break;
        for (int i = 0; i < count; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == inFd) {
                const ssize_t n = ::write(inFd, options.input.data() + written, options.input.size() - written);
                if (n > 0) written += static_cast<std::size_t>(n);
                if (n < 0 || written == options.input.size()) {
                    ::close(inFd);
                    inFd = -1;
                }
                continue;
            }
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (fds[i].fd == out[0] ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                (fds[i].fd == out[0] ? outOpen : errOpen) = false;
            }
        }
    }
    if (inFd >= 0) ::close(inFd);
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exitCode = (!result.timedOut && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return result;
}

BackgroundProcess startProcess(const std::vector<std::string>& argv, const ProcessOptions& options,
                               const std::string& outPath, const std::string& errPath) {
    BackgroundProcess p;
    p.outPath = outPath;
    p.errPath = errPath;
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int devnull = ::open("/dev/null", O_RDONLY);
        const int o = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(devnull, 0);
        ::dup2(o, 1);
        ::dup2(e, 2);
        ::setpgid(0, 0);
        execChild(argv, options);
    }
    p.pid = pid;
    return p;
}

void stopProcess(BackgroundProcess& p) {
    if (p.pid <= 0) return;
    ::kill(-p.pid, SIGKILL);
    ::kill(p.pid, SIGKILL);
    int status = 0;
    ::waitpid(p.pid, &status, 0);
    p.pid = -1;
}

std::vector<std::string> lumCommand() {
    std::vector<std::string> command;
    if (const char* wrapper = std::getenv("LUM_WRAPPER"); wrapper && *wrapper) {
        std::istringstream words(wrapper);
        for (std::string w; words >> w;) command.push_back(w);
    }
    const char* exe = std::getenv("LUM_EXE");
    if (!exe || !*exe) throw std::runtime_error("LUM_EXE names the lum under test; run the tests through ctest");
    command.emplace_back(exe);
    return command;
}

char lumSeparator() {
    const char* exe = std::getenv("LUM_EXE");
    const std::string name = exe ? exe : "";
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0 ? '\\' : '/';
}

ProcessResult runLum(const std::vector<std::string>& args, const ProcessOptions& options) {
    std::vector<std::string> argv = lumCommand();
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv, options);
}

std::string lumHostPath(const std::string& absolutePath) {
    if (lumSeparator() != '\\') return absolutePath;
    std::string dos = "Z:" + absolutePath;
    std::replace(dos.begin(), dos.end(), '/', '\\');
    return dos;
}

std::string lumOpenedTarget(const std::string& workingFolder, const std::string& printedPath) {
    if (lumSeparator() != '\\') return printedPath;
    std::string path = printedPath;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.rfind("Z:", 0) == 0) path.erase(0, 2);
    if (path.empty() || path[0] != '/') path = workingFolder + "/" + path;
    // "." and ".." steps go, as the shell resolves the path before it builds the URL.
    std::vector<std::string> parts;
    std::istringstream steps(path);
    for (std::string step; std::getline(steps, step, '/');) {
        if (step.empty() || step == ".") continue;
        if (step == "..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(step);
        }
    }
    std::string url = "file://";
    static const char hex[] = "0123456789ABCDEF";
    for (const std::string& part : parts) {
        url += '/';
        for (const unsigned char c : part) {
            if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
                url += static_cast<char>(c);
            } else {
                url += '%';
                url += hex[c >> 4];
                url += hex[c & 15];
            }
        }
    }
    return url;
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return false;
    std::istringstream parts(path);
    for (std::string dir; std::getline(parts, dir, ':');) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return true;
    }
    return false;
}

void useFakeOpener(ProcessOptions& options, const std::string& folder) {
    const std::string script = folder + "/bin/xdg-open";
    writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" + folder + "/opened.log\"\n");
    runProcess({"chmod", "+x", script});
    options.environment["PATH"] = folder + "/bin:" + std::string(std::getenv("PATH"));
}
