// Test helpers for programs run as child processes: a temporary folder, a
// bounded wait, a started program with its output in a file, and a UDP
// client on the loopback. Shared by the simulator's and the agent's tests.
#pragma once
#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
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

// One run of a program; standard output and error go to one file.
class ChildRun {
public:
    ChildRun(const char* exe, std::vector<std::string> args)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (dir_ / "out").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
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

    std::string Output() const { return ReadFile(dir_ / "out"); }
    void Signal(int signal) { kill(pid_, signal); }

    // The number after marker in the output, once it is there (bounded); 0 when it never came.
    int NumberAfter(const std::string& marker) const
    {
        std::string out;
        WaitFor([&] { return (out = Output()).find(marker) != std::string::npos; });
        const size_t p = out.find(marker);
        return p == std::string::npos ? 0 : std::atoi(out.c_str() + p + marker.size());
    }

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
    // The next datagram within ms, empty when none came; *fromPort gets its source port.
    std::vector<unsigned char> Receive(int ms, int* fromPort = nullptr)
    {
        pollfd p = {fd_, POLLIN, 0};
        std::vector<unsigned char> bytes(poll(&p, 1, ms) > 0 ? 70000 : 0);
        sockaddr_in from = {};
        socklen_t length = sizeof from;
        if (!bytes.empty())
            bytes.resize(std::max<ssize_t>(0, recvfrom(fd_, bytes.data(), bytes.size(), 0,
                                                      reinterpret_cast<sockaddr*>(&from), &length)));
        if (fromPort)
            *fromPort = ntohs(from.sin_port);
        return bytes;
    }
    // The reply to one request 0x01 (empty when none came).
    std::vector<unsigned char> Ask(int port, int* fromPort = nullptr)
    {
        Send(port, {0x01});
        return Receive(3000, fromPort);
    }

private:
    int fd_;
};
