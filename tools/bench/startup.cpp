// bench-startup: how long the program takes from its start to its main window on the
// screen, against a trivial Qt Widgets program (bench-startup-window) on the same X server.
// Not a test: it prints figures.
//
// Both run side by side, in turns, on a private Xvfb. The clock starts just before the
// program is spawned and stops when the X server reports the program's first top-level
// window mapped (MapNotify on the root window; there is no window manager, so the map
// request is the map). Both get the same environment. The program starts each time as on a
// user's first start: a copy of
// the executable in a fresh folder of its own with an empty scanner list (as an installed
// program's first start makes one; a missing list is reported in a message box before the
// main window), and a fresh runtime folder for its instance channel.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
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
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "text/texts.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A private Xvfb on a display number it picks itself (-displayfd).
class Xvfb {
  public:
    ~Xvfb() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    bool start() {
        int fds[2];
        if (pipe(fds) != 0) return false;
        const std::string fd = std::to_string(fds[1]);
        pid_ = fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            close(fds[0]);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 1);
            dup2(null, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) return false;
        name_ = ":" + number;
        return true;
    }
    const std::string& name() const { return name_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

// The environment both programs get: the private server, xcb, no Wayland session, a runtime
// folder of their own and a first serial port that is not there.
std::vector<std::string> environmentFor(const std::string& display, const fs::path& runtime) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "XDG_RUNTIME_DIR" ||
            name == "QT_QPA_PLATFORM" || name == "XDG_SESSION_TYPE" ||
            name.starts_with("LORVANT_COM"))
            continue;
        result.push_back(variable);
    }
    result.push_back("DISPLAY=" + display);
    result.push_back("XDG_RUNTIME_DIR=" + runtime.string());
    result.push_back("QT_QPA_PLATFORM=xcb");
    result.push_back("LORVANT_COM1=/nonexistent/bench-startup-port");
    return result;
}

fs::path makeTemporaryFolder(const char* prefix, const fs::path& parent) {
    std::string pattern = (parent / (std::string(prefix) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) return {};
    return pattern;  // mkdtemp makes it mode 700, as a runtime folder must be
}

// A desktop session's runtime folder (/run/user/<uid>) is in memory; so is the one the
// programs get here, where the system has /dev/shm. On a disk, the lock file of the
// program's instance channel would cost a disk flush (QLockFile syncs what it writes).
fs::path runtimeParent() {
    std::error_code error;
    return fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

struct Sample {
    double milliseconds = 0;
    std::string title;
};

class Bench {
  public:
    explicit Bench(Display* display) : display_(display) {
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
        XSync(display_, True);
    }

    // Starts `executable` (copied into a fresh folder first when `ownFolder`), waits for its
    // first top-level window to be mapped, ends it. Nothing when it did not map one.
    std::optional<Sample> run(const fs::path& executable, bool ownFolder,
                              const std::string& displayName) {
        const fs::path runtime = makeTemporaryFolder("bench-startup-runtime", runtimeParent());
        fs::path folder;
        fs::path program = executable;
        if (ownFolder) {
            folder = makeTemporaryFolder("bench-startup-program", fs::temp_directory_path());
            program = folder / executable.filename();
            fs::copy_file(executable, program);
            std::FILE* list = std::fopen((folder / "LVserial.dat").c_str(), "wb");
            if (list) std::fclose(list);
        }
        std::vector<std::string> environment = environmentFor(displayName, runtime);
        std::vector<char*> envp;
        for (std::string& variable : environment) envp.push_back(variable.data());
        envp.push_back(nullptr);
        std::string programName = program.string();
        char* argv[] = {programName.data(), nullptr};

        XSync(display_, True);  // what earlier runs left behind
        const Clock::time_point start = Clock::now();
        pid_t pid = -1;
        std::optional<Sample> sample;
        if (posix_spawn(&pid, programName.c_str(), nullptr, nullptr, argv, envp.data()) == 0) {
            sample = waitForMappedWindow(pid, start);
            end(pid);
        }
        std::error_code ignored;
        fs::remove_all(runtime, ignored);
        if (ownFolder) fs::remove_all(folder, ignored);
        return sample;
    }

  private:
    // SIGTERM, and SIGKILL when that has not ended it within five seconds (a message box
    // left open).
    static void end(pid_t pid) {
        kill(pid, SIGTERM);
        for (int tries = 0; tries < 500; ++tries) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) return;
            usleep(10000);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }

    std::optional<Sample> waitForMappedWindow(pid_t pid, Clock::time_point start) {
        const Clock::time_point deadline = start + std::chrono::seconds(30);
        pollfd connection{ConnectionNumber(display_), POLLIN, 0};
        while (Clock::now() < deadline) {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type != MapNotify || event.xmap.override_redirect) continue;
                Sample sample;
                sample.milliseconds =
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                sample.title = titleOf(event.xmap.window);
                return sample;
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid) return {};
            poll(&connection, 1, 20);
        }
        return {};
    }

    std::string titleOf(Window window) {
        char* name = nullptr;
        std::string title;
        if (XFetchName(display_, window, &name) && name) title = name;
        if (name) XFree(name);
        return title;
    }

    Display* display_;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

// One contestant: an executable, its times, and how it is started.
struct Contestant {
    const char* name;
    fs::path executable;
    bool ownFolder = false;  // the program, started as on a user's first start
    std::vector<double> times;
};

// Runs every contestant once, in an order that turns with `round` so that none always
// follows another. False (with a message) when one mapped no window, or the program's
// first window is not its main window (a message box would be timed instead).
bool runRound(Bench& bench, const std::string& display, int round,
              std::vector<Contestant>& contestants, std::vector<Sample>& samples) {
    samples.assign(contestants.size(), Sample{});
    for (size_t turn = 0; turn < contestants.size(); ++turn) {
        const size_t i = (turn + round) % contestants.size();
        const std::optional<Sample> sample =
            bench.run(contestants[i].executable, contestants[i].ownFolder, display);
        if (!sample) {
            std::fprintf(stderr, "bench-startup: %s mapped no window\n",
                         contestants[i].executable.c_str());
            return false;
        }
        if (contestants[i].ownFolder && sample->title != texts::kMainWindowTitle) {
            std::fprintf(stderr, "bench-startup: the program's first window is \"%s\"\n",
                         sample->title.c_str());
            return false;
        }
        samples[i] = *sample;
    }
    return true;
}

void printRatios(const std::vector<Contestant>& contestants) {
    const Contestant& program = contestants.back();
    const double programMedian = median(program.times);
    for (size_t i = 0; i + 1 < contestants.size(); ++i) {
        std::vector<double> ratios;
        for (size_t run = 0; run < program.times.size(); ++run)
            ratios.push_back(program.times[run] / contestants[i].times[run]);
        const double yardstick = median(contestants[i].times);
        std::printf(
            "%s: median %.1f ms; program %.1f ms, ratio of the medians %.2f (median of "
            "the runs' ratios %.2f)\n",
            contestants[i].name, yardstick, programMedian, programMedian / yardstick,
            median(ratios));
    }
}

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    const fs::path program = argc > 2 ? fs::path(argv[2]) : fs::path(LORVANT_PROGRAM);
    if (runs < 1 || !fs::exists(program)) {
        std::fprintf(stderr, "usage: bench-startup [runs] [program]  (runs >= 1)\n");
        return 2;
    }
    Xvfb server;
    if (!server.start()) {
        std::fprintf(stderr, "bench-startup: Xvfb does not start\n");
        return 1;
    }
    Display* display = XOpenDisplay(server.name().c_str());
    if (!display) {
        std::fprintf(stderr, "bench-startup: cannot open display %s\n", server.name().c_str());
        return 1;
    }
    Bench bench(display);
    std::vector<Contestant> contestants = {
        {"trivial window", LORVANT_TRIVIAL_WINDOW, false, {}},
        {"trivial window with text", LORVANT_TEXT_WINDOW, false, {}},
        {"program", program, true, {}}};
    std::printf(
        "program: %s\nyardsticks: %s, %s\nX server: Xvfb %s, %d runs each after one "
        "warm-up\n",
        program.c_str(), LORVANT_TRIVIAL_WINDOW, LORVANT_TEXT_WINDOW, server.name().c_str(), runs);
    std::vector<Sample> samples;
    for (int round = 0; round <= runs; ++round) {
        if (!runRound(bench, server.name(), round, contestants, samples)) return 1;
        if (round == 0) continue;  // the warm-up: the files come into the page cache
        std::printf("run %2d:", round);
        for (size_t i = 0; i < contestants.size(); ++i) {
            contestants[i].times.push_back(samples[i].milliseconds);
            std::printf(" %s %6.1f ms%s", contestants[i].name, samples[i].milliseconds,
                        i + 1 < contestants.size() ? "," : "\n");
        }
        std::fflush(stdout);
    }
    printRatios(contestants);
    XCloseDisplay(display);
    return 0;
}
