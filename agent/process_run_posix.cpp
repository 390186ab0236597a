// RunProgram on POSIX: posix_spawnp with a pipe, poll, SIGKILL.
#include "process_run.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int POLL_MS = 100;

// Owns a file descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }
    void Reset(int fd = -1)
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

int64_t ElapsedMs(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// Kills the child unless it exited by itself, and collects it. A child
// that closed its output but does not end is held to the same limits.
RunEnd Reap(pid_t pid, RunEnd end, const std::function<RunEnd()>& overLimit, int* exitStatus)
{
    int status = 0;
    while (end == RunEnd::EXITED) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (!WIFEXITED(status))
                return RunEnd::FAILED;
            *exitStatus = WEXITSTATUS(status);
            return RunEnd::EXITED;
        }
        if (done < 0 && errno != EINTR)
            return RunEnd::FAILED;
        end = overLimit();
        if (end == RunEnd::EXITED)
            usleep(10000);
    }
    kill(pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return end;
}

} // namespace

SmartctlRun RunProgram(const std::vector<std::string>& argv, const RunLimits& limits,
                       const std::function<bool()>& cancelled)
{
    SmartctlRun run;
    int ends[2];
    if (argv.empty() || pipe2(ends, O_CLOEXEC) != 0)
        return run;
    Fd readEnd(ends[0]), writeEnd(ends[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    writeEnd.Reset();
    if (rc != 0)
        return run;

    auto start = std::chrono::steady_clock::now();
    auto overLimit = [&] {
        if (run.output.size() > limits.outputCap)
            return RunEnd::TOO_LONG;
        if (ElapsedMs(start) > limits.timeLimitMs)
            return RunEnd::TIMED_OUT;
        return cancelled() ? RunEnd::CANCELLED : RunEnd::EXITED;
    };
    RunEnd killedFor = RunEnd::EXITED;
    char buffer[65536];
    while (killedFor == RunEnd::EXITED) {
        pollfd p = {readEnd.Get(), POLLIN, 0};
        int ready = poll(&p, 1, POLL_MS);
        if (ready > 0) {
            ssize_t n = read(readEnd.Get(), buffer, sizeof buffer);
            if (n == 0)
                break;
            if (n > 0)
                run.output.append(buffer, static_cast<size_t>(n));
        }
        killedFor = overLimit();
    }
    run.end = Reap(pid, killedFor, overLimit, &run.exitStatus);
    return run;
}
