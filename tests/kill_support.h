#pragma once

// Running a helper process that does one of the program's saves, and ending it with
// SIGKILL part way: right before a chosen system call (traced through ptrace), or at a
// moment after it began. The helper writes one byte to its standard output when it is about
// to start, and stops itself there first when LORVANT_STOP_BEFORE_SAVE is set, so that the
// tracer counts the system calls of the save alone.
#include <fcntl.h>
#include <poll.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

constexpr int kHelperTimeoutMs = 20000;

inline std::vector<char*> argv(std::vector<std::string>& arguments) {
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The sanitizers' leak check cannot run in a traced process; it would fail the helper.
inline void leaveOutLeakCheck() {
    const char* options = std::getenv("ASAN_OPTIONS");
    const std::string extended = std::string(options ? options : "") + ":detect_leaks=0";
    setenv("ASAN_OPTIONS", extended.c_str(), 1);
}

// Starts the helper (its output thrown away); its process id.
inline pid_t startHelper(std::vector<std::string> arguments) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        auto pointers = argv(arguments);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    return pid;
}

// Runs the helper to its end; true when it succeeded.
inline bool runToEnd(std::vector<std::string> arguments) {
    const pid_t pid = startHelper(std::move(arguments));
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

enum class TracedEnd { Killed, Finished, Failed, NoTracing };
constexpr int kNoTracing = 126;

// Runs the helper under ptrace and kills it at the entry of the `point`-th system call of
// its save (counted from 0). When it finishes first, `calls` (if given) gets the number of
// system calls it made.
inline TracedEnd runKilledAt(std::vector<std::string> arguments, int point, int* calls = nullptr) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(kNoTracing);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        setenv("LORVANT_STOP_BEFORE_SAVE", "1", 1);
        leaveOutLeakCheck();
        auto pointers = argv(arguments);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    if (pid < 0) return TracedEnd::Failed;
    int status = 0;
    // Stopped after exec; let it run to the stop it makes right before the save.
    if (waitpid(pid, &status, 0) != pid) return TracedEnd::Failed;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNoTracing) return TracedEnd::NoTracing;
    if (!WIFSTOPPED(status)) return TracedEnd::Failed;
    ptrace(PTRACE_SETOPTIONS, pid, nullptr,
           reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL));
    ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    for (;;) {
        if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return TracedEnd::Failed;
        if (WSTOPSIG(status) == SIGSTOP) break;
        ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(intptr_t(WSTOPSIG(status))));
    }
    int entries = 0;
    bool inCall = false;
    long signal = 0;
    for (;;) {
        ptrace(PTRACE_SYSCALL, pid, nullptr, reinterpret_cast<void*>(signal));
        signal = 0;
        if (waitpid(pid, &status, 0) != pid) return TracedEnd::Failed;
        if (WIFEXITED(status)) {
            if (calls) *calls = entries;
            return WEXITSTATUS(status) == 0 ? TracedEnd::Finished : TracedEnd::Failed;
        }
        if (WIFSIGNALED(status)) return TracedEnd::Failed;
        if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
            signal = WSTOPSIG(status);
            continue;
        }
        if (!inCall && entries++ == point) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return TracedEnd::Killed;
        }
        inCall = !inCall;
    }
}

// Starts the helper saving again and again, and kills it `delayUs` after it began. `output`
// (if given) gets what it wrote to its standard output after the byte that said it began.
inline bool runKilledAfter(std::vector<std::string> arguments, int delayUs,
                           std::string* output = nullptr) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        auto pointers = argv(arguments);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    pollfd started{pipeEnds[0], POLLIN, 0};
    char byte = 0;
    const bool began = poll(&started, 1, kHelperTimeoutMs) == 1 && read(pipeEnds[0], &byte, 1) == 1;
    if (began) usleep(static_cast<useconds_t>(delayUs));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    if (output) {
        output->clear();
        char bytes[256];
        for (ssize_t got; began && (got = read(pipeEnds[0], bytes, sizeof bytes)) > 0;)
            output->append(bytes, size_t(got));
    }
    close(pipeEnds[0]);
    return began && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}
