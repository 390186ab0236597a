// Test helpers for programs run as child processes: temporary folders and
// files, bounded waits, a started program with its output in files, and a
// UDP client on the loopback. Shared by the simulator's and the agent's
// process tests.
#pragma once
#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Written beside and renamed, so the simulator never reads half a file.
inline void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path + ".new", std::ios::binary) << text;
    std::rename((path + ".new").c_str(), path.c_str());
}

inline size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

// Waits (bounded) until pred holds.
template <class Pred>
inline bool WaitFor(Pred pred, int ms = 5000)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return pred();
}

// Waits (bounded) for the number after marker in the text read() returns; 0 when none came.
template <class Read>
inline int WaitForNumber(Read read, const std::string& marker)
{
    int n = 0;
    WaitFor([&] {
        const std::string text = read();
        const size_t p = text.find(marker);
        n = p == std::string::npos ? 0 : std::atoi(text.c_str() + p + marker.size());
        return n != 0;
    });
    return n;
}

class TempDir {
public:
    TempDir() : path_(std::filesystem::temp_directory_path() / "kelpra-test-XXXXXX") { mkdtemp(&path_[0]); }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// One run of a program with its output in files of a temporary folder.
class ChildRun {
public:
    ChildRun(const char* exe, std::vector<std::string> args)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (dir_ / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, (dir_ / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        args.insert(args.begin(), exe);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        started_ = posix_spawn(&pid_, exe, &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildRun()
    {
        if (started_ && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ChildRun(const ChildRun&) = delete;
    ChildRun& operator=(const ChildRun&) = delete;

    std::string Stdout() const { return ReadFile(dir_ / "stdout"); }
    std::string Stderr() const { return ReadFile(dir_ / "stderr"); }
    void Signal(int signal) { kill(pid_, signal); }

    // The exit code within ms, or -1.
    int Wait(int ms = 5000)
    {
        int status = 0;
        if (!WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, ms))
            return -1;
        ended_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    TempDir dir_;
    pid_t pid_ = 0;
    bool started_ = false;
    bool ended_ = false;
};

// A client socket of the test.
class Client {
public:
    Client() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~Client() { close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void Send(int port, const std::vector<unsigned char>& bytes)
    {
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    // A datagram within ms; false when none came. *fromPort gets its source.
    bool Receive(std::vector<unsigned char>* bytes, int ms = 3000, int* fromPort = nullptr)
    {
        pollfd p = {fd_, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0)
            return false;
        bytes->assign(70000, 0);
        sockaddr_in from = {};
        socklen_t length = sizeof from;
        ssize_t n = recvfrom(fd_, bytes->data(), bytes->size(), 0, reinterpret_cast<sockaddr*>(&from), &length);
        bytes->resize(n < 0 ? 0 : static_cast<size_t>(n));
        if (fromPort)
            *fromPort = ntohs(from.sin_port);
        return n >= 0;
    }
    // The reply to one request 0x01 (empty when none came).
    std::vector<unsigned char> Ask(int port, int* fromPort = nullptr)
    {
        Send(port, {0x01});
        std::vector<unsigned char> reply;
        Receive(&reply, 3000, fromPort);
        return reply;
    }

private:
    int fd_;
};
