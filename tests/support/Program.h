// Runs a built program as a child process and collects its exit status and
// output (through files, so no pipe can fill up). POSIX only.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kt::test {

struct ProgramRun {
    int status = -1;  // the exit status; -1 when it did not exit within the time or was killed
    std::string out, err;
};

inline std::string SlurpFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The program with `args`, `env` ("NAME=value") added to the environment, in
// `dir` (empty: the current directory). Killed after `timeoutMs`, or as soon
// as `stopWhen` holds for its output so far (the status is then -1).
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::vector<std::string>& env = {}, const std::string& dir = {},
                             int timeoutMs = 10000,
                             const std::function<bool(const std::string& out)>& stopWhen = {}) {
    ProgramRun r;
    char outName[] = "/tmp/kt-run-out-XXXXXX";
    char errName[] = "/tmp/kt-run-err-XXXXXX";
    const int outFd = ::mkstemp(outName);
    const int errFd = ::mkstemp(errName);
    if (outFd < 0 || errFd < 0) return r;
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        const int nul = ::open("/dev/null", O_RDONLY);
        if (nul >= 0) ::dup2(nul, 0);
        for (const std::string& e : env)
            ::putenv(const_cast<char*>(e.c_str()));
        if (!dir.empty() && ::chdir(dir.c_str()) != 0) ::_exit(126);
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    bool exited = false;
    while (pid > 0 && !exited) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
        } else if (std::chrono::steady_clock::now() > end || (stopWhen && stopWhen(SlurpFile(outName)))) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (exited && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    ::close(outFd);
    ::close(errFd);
    r.out = SlurpFile(outName);
    r.err = SlurpFile(errName);
    ::unlink(outName);
    ::unlink(errName);
    return r;
}

}  // namespace kt::test
