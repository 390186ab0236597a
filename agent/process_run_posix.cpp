// RunProgram on POSIX: posix_spawnp into a process group of its own, a
// pipe read with poll, SIGKILL to the whole group, a bounded wait for it.
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
constexpr int WAIT_STEP_MS = 10;

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

// A child that waitpid has not collected yet.
class PidStraggler : public Straggler {
public:
    explicit PidStraggler(pid_t pid) : pid_(pid) {}
    bool Ended() override
    {
        pid_t done = waitpid(pid_, nullptr, WNOHANG);
        return done == pid_ || (done < 0 && errno == ECHILD);
    }

private:
    pid_t pid_;
};

int64_t ElapsedMs(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// Collects the child within limitMs; false when it has not ended by then.
bool Collect(pid_t pid, int limitMs)
{
    for (int waited = 0;; waited += WAIT_STEP_MS) {
        pid_t done = waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return true;
        if (waited >= limitMs)
            return false;
        usleep(WAIT_STEP_MS * 1000);
    }
}

// Waits for a child that closed its output, held to the same limits; kills
// its process group when a limit is reached or already was.
RunEnd Finish(pid_t pid, RunEnd end, const std::function<RunEnd()>& overLimit, const RunLimits& limits,
              int* exitStatus, std::unique_ptr<Straggler>* straggler)
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
            usleep(WAIT_STEP_MS * 1000);
    }
    kill(-pid, SIGKILL);
    if (!Collect(pid, limits.reapLimitMs) && straggler)
        *straggler = std::make_unique<PidStraggler>(pid);
    return end;
}

// Starts argv with its output into outputEnd; 0 when it could not start.
pid_t Spawn(const std::vector<std::string>& argv, int outputEnd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outputEnd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // A group of its own, so that a kill reaches whatever it starts; and
    // SIGPIPE back to its default, which the agent ignores.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

} // namespace

SmartctlRun RunProgram(const std::vector<std::string>& argv, const RunLimits& limits,
                       const std::function<bool()>& cancelled, std::unique_ptr<Straggler>* straggler)
{
    SmartctlRun run;
    int ends[2];
    if (argv.empty() || pipe2(ends, O_CLOEXEC) != 0)
        return run;
    Fd readEnd(ends[0]), writeEnd(ends[1]);
    pid_t pid = Spawn(argv, writeEnd.Get());
    writeEnd.Reset();
    if (pid == 0)
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
    run.end = Finish(pid, killedFor, overLimit, limits, &run.exitStatus, straggler);
    return run;
}
