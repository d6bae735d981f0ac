// Times the game against a bare Qt window in one X server, and watches what the game
// costs while it shows a face, while a failed pair waits and while nothing happens.
//   bench_startup [--runs N] [--idle SECONDS] [--cards N] [--verbose] GAME BARE
// Prints a table on standard output; exits non-zero if any figure could not be taken.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int Width = 524, Height = 467;
constexpr std::uint32_t Ground = 0xefefef; // Fusion's window and button face
constexpr int CentreCell = 13;

Display *dpy = nullptr;
Window root = 0;
bool verbose = false;
std::vector<pid_t> alive; // killed on the way out, whatever happens
int lastXError = 0;

[[noreturn]] __attribute__((format(printf, 1, 2))) void fail(const char *format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::fprintf(stderr, "bench_startup: ");
    std::vfprintf(stderr, format, args);
    std::fprintf(stderr, "\n");
    va_end(args);
    for (pid_t pid : alive) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::exit(1);
}

__attribute__((format(printf, 1, 2))) void note(const char *format, ...)
{
    if (!verbose)
        return;
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    std::fprintf(stderr, "\n");
    va_end(args);
}

double msSince(Clock::time_point t) { return Ms(Clock::now() - t).count(); }
void sleepMs(double ms) { std::this_thread::sleep_for(Ms(ms)); }
void sleepUntil(Clock::time_point t) { std::this_thread::sleep_until(t); }

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
double minimum(const std::vector<double> &v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
double maximum(const std::vector<double> &v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// Pixels read straight out of the server through shared memory: a full-window read
// costs the server one copy, so polling at a millisecond pace hardly loads the
// machine whose start-up it is timing.
class Grabber
{
public:
    Grabber(int width, int height)
    {
        const int screen = DefaultScreen(dpy);
        m_image =
            XShmCreateImage(dpy, DefaultVisual(dpy, screen), static_cast<unsigned>(DefaultDepth(dpy, screen)), ZPixmap,
                            nullptr, &m_shm, static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (!m_image)
            fail("cannot create a shared-memory image");
        if (m_image->bits_per_pixel != 32 || m_image->red_mask != 0xff0000 || m_image->green_mask != 0xff00
            || m_image->blue_mask != 0xff)
            fail("the screen is not 24-bit RGB in 32-bit pixels");
        m_shm.shmid =
            shmget(IPC_PRIVATE, static_cast<std::size_t>(m_image->bytes_per_line) * static_cast<std::size_t>(height),
                   IPC_CREAT | 0600);
        if (m_shm.shmid < 0)
            fail("shmget: %s", std::strerror(errno));
        void *segment = shmat(m_shm.shmid, nullptr, 0);
        if (reinterpret_cast<std::intptr_t>(segment) == -1)
            fail("shmat: %s", std::strerror(errno));
        m_shm.shmaddr = m_image->data = static_cast<char *>(segment);
        m_shm.readOnly = False;
        lastXError = 0;
        XShmAttach(dpy, &m_shm);
        XSync(dpy, False);
        // Marked for removal now, so that nothing outlives the driver; it stays until both sides detach.
        shmctl(m_shm.shmid, IPC_RMID, nullptr);
        if (lastXError)
            fail("the X server cannot attach shared memory");
    }
    Grabber(const Grabber &) = delete;
    Grabber &operator=(const Grabber &) = delete;
    ~Grabber()
    {
        XShmDetach(dpy, &m_shm);
        XSync(dpy, False);
        XDestroyImage(m_image); // frees the structure only: data belongs to the segment
        shmdt(m_shm.shmaddr);
    }

    // False while the window cannot be read, e.g. before it is mapped.
    bool grab(Window w, int x = 0, int y = 0) { return XShmGetImage(dpy, w, m_image, x, y, AllPlanes); }
    std::uint32_t at(int x, int y) const
    {
        return reinterpret_cast<const std::uint32_t *>(m_image->data
                                                       + static_cast<std::ptrdiff_t>(y) * m_image->bytes_per_line)[x]
               & 0xffffff;
    }

private:
    XShmSegmentInfo m_shm{};
    XImage *m_image = nullptr;
};

bool dark(std::uint32_t p) { return (p >> 16 & 0xff) < 80 && (p >> 8 & 0xff) < 80 && (p & 0xff) < 80; }
bool red(std::uint32_t p) { return (p >> 16 & 0xff) > 180 && (p >> 8 & 0xff) < 80 && (p & 0xff) < 80; }

int cellLeft(int cell) { return 104 + 64 * ((cell - 1) % 5); }
int cellTop(int cell) { return 72 + 64 * ((cell - 1) / 5); }

// The first frame of each program, complete. Both checks read the whole window and
// neither can be met by a window that has not painted yet: Qt's windows have no
// background of their own, so until the first paint they show what lies beneath,
// here the root's black, never a flat grey and never the grid.
bool bareShown(const Grabber &g)
{
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (g.at(x, y) != Ground)
                return false;
    return true;
}

bool gameShown(const Grabber &g)
{
    int reds = 0;
    for (int cell = 1; cell <= 25; ++cell) {
        const int l = cellLeft(cell), t = cellTop(cell);
        for (int i = 0; i <= 64; ++i)
            if (!dark(g.at(l + i, t)) || !dark(g.at(l, t + i)) || !dark(g.at(l + 64, t + i))
                || !dark(g.at(l + i, t + 64)))
                return false;
        for (int y = t + 1; y < t + 64; ++y)
            for (int x = l + 1; x < l + 64; ++x)
                if (cell == CentreCell)
                    reds += red(g.at(x, y));
                else if (g.at(x, y) != Ground)
                    return false;
    }
    return reds > 100 && g.at(0, 0) == Ground && g.at(Width - 1, Height - 1) == Ground;
}

struct Program {
    const char *name;
    std::string path;
    std::function<bool(const Grabber &)> shown;
};

struct Running {
    pid_t pid = 0;
    Window win = 0;
    Clock::time_point spawned;
    double firstPaintMs = 0;
    bool seenUnpainted = false;
};

pid_t launch(const std::string &path)
{
    // Neither program is asked to report anything; what either prints is thrown
    // away alike, so that a terminal's speed never enters the figures.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char *args[] = {const_cast<char *>(path.c_str()), nullptr};
    pid_t pid = 0;
    const int err = posix_spawn(&pid, path.c_str(), &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err)
        fail("cannot start %s: %s", path.c_str(), std::strerror(err));
    alive.push_back(pid);
    return pid;
}

long windowPid(Window w)
{
    static const Atom netWmPid = XInternAtom(dpy, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(dpy, w, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success
        && data) {
        if (format == 32 && count == 1)
            pid = *reinterpret_cast<long *>(data);
        XFree(data);
    }
    return pid;
}

// Waits for X events without spinning; returns false once `deadline` has passed.
bool nextEvent(XEvent &e, Clock::time_point deadline)
{
    while (!XPending(dpy)) {
        const double left = Ms(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(std::min(left, 20.0)) + 1);
    }
    XNextEvent(dpy, &e);
    return true;
}

void checkAlive(pid_t pid, const char *what)
{
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
        alive.erase(std::remove(alive.begin(), alive.end(), pid), alive.end());
        fail("%s ended before showing its window (%s %d)", what, WIFEXITED(status) ? "status" : "signal",
             WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
    }
}

// From just before the spawn to the moment a full-window read shows the program's
// complete first frame. Both programs are detected the same way: the map is awaited
// on the root's events, then the window is read every millisecond.
Running start(const Program &program, Grabber &screen)
{
    XSync(dpy, False);
    Running r;
    r.spawned = Clock::now();
    r.pid = launch(program.path);
    const auto deadline = r.spawned + std::chrono::seconds(15);
    while (!r.win) {
        XEvent e;
        if (nextEvent(e, std::min(deadline, Clock::now() + std::chrono::milliseconds(50)))) {
            if (e.type == MapNotify && e.xmap.event == root && windowPid(e.xmap.window) == r.pid)
                r.win = e.xmap.window;
        } else {
            checkAlive(r.pid, program.name);
            if (Clock::now() > deadline)
                fail("%s: no window mapped within 15 s", program.name);
        }
    }
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, r.win, &a) || a.width != Width || a.height != Height)
        fail("%s: the window is %dx%d, not %dx%d", program.name, a.width, a.height, Width, Height);
    for (;;) {
        if (screen.grab(r.win)) {
            if (program.shown(screen))
                break;
            r.seenUnpainted = true;
        }
        if (Clock::now() > deadline)
            fail("%s: the window never showed its first frame", program.name);
        sleepMs(1);
    }
    r.firstPaintMs = msSince(r.spawned);
    return r;
}

void stop(Running &r)
{
    kill(r.pid, SIGTERM);
    waitpid(r.pid, nullptr, 0);
    alive.erase(std::remove(alive.begin(), alive.end(), r.pid), alive.end());
    // The next program must not start while this one's window still covers the screen.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    for (XEvent e; nextEvent(e, deadline);)
        if (e.type == DestroyNotify && e.xdestroywindow.window == r.win)
            return;
    fail("the window of process %d outlived it", r.pid);
}

std::map<std::string, long> procStatus(const std::string &file)
{
    std::map<std::string, long> fields;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::istringstream value(line.substr(colon + 1));
        long n;
        if (value >> n)
            fields[line.substr(0, colon)] = n;
    }
    return fields;
}

struct Memory {
    double rssKiB = 0, anonKiB = 0, fileKiB = 0;
    long threads = 0;
};

Memory memoryOf(pid_t pid)
{
    auto s = procStatus("/proc/" + std::to_string(pid) + "/status");
    if (!s.count("VmRSS"))
        fail("cannot read the memory of process %d", pid);
    return {static_cast<double>(s["VmRSS"]), static_cast<double>(s["RssAnon"]),
            static_cast<double>(s["RssFile"] + s["RssShmem"]), s["Threads"]};
}

// What the scheduler knows of each thread. /proc/<pid>/schedstat and the switch
// counts in /proc/<pid>/status describe the main thread only, so every thread is read.
struct ThreadCounts {
    std::string name;
    double cpuNs = 0;
    long slices = 0, voluntary = 0, involuntary = 0;
};
using Snapshot = std::map<long, ThreadCounts>;

Snapshot snapshot(pid_t pid)
{
    Snapshot snap;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR *d = opendir(dir.c_str());
    if (!d)
        fail("cannot list the threads of process %d", pid);
    while (dirent *ent = readdir(d)) {
        if (ent->d_name[0] == '.')
            continue;
        const std::string task = dir + "/" + ent->d_name;
        ThreadCounts c;
        std::ifstream comm(task + "/comm");
        std::getline(comm, c.name);
        std::ifstream stat(task + "/schedstat");
        double runDelay;
        if (!(stat >> c.cpuNs >> runDelay >> c.slices))
            continue; // the thread ended while the directory was read
        auto s = procStatus(task + "/status");
        c.voluntary = s["voluntary_ctxt_switches"];
        c.involuntary = s["nonvoluntary_ctxt_switches"];
        snap[std::stol(ent->d_name)] = c;
    }
    closedir(d);
    return snap;
}

// Per thread, what happened between two snapshots; a thread born in between counts from
// zero. One that ended in between ran at least once more, to end: its last counts are
// lost with it, so it counts as one wake-up.
Snapshot difference(const Snapshot &before, const Snapshot &after)
{
    Snapshot diff;
    for (const auto &[tid, b] : before)
        if (!after.count(tid))
            diff[tid] = ThreadCounts{b.name + " (ended)", 0, 1, 1, 0};
    for (const auto &[tid, a] : after) {
        ThreadCounts d = a;
        if (auto b = before.find(tid); b != before.end()) {
            d.cpuNs -= b->second.cpuNs;
            d.slices -= b->second.slices;
            d.voluntary -= b->second.voluntary;
            d.involuntary -= b->second.involuntary;
        }
        diff[tid] = d;
    }
    return diff;
}

ThreadCounts total(const Snapshot &s)
{
    ThreadCounts t;
    for (const auto &[tid, c] : s) {
        t.cpuNs += c.cpuNs;
        t.slices += c.slices;
        t.voluntary += c.voluntary;
        t.involuntary += c.involuntary;
    }
    return t;
}

struct Idle {
    double seconds = 0;
    Snapshot perThread;
    ThreadCounts sum;
    double wakeupsPerSecond() const { return static_cast<double>(sum.slices) / seconds; }
    double cpuPercent() const { return sum.cpuNs / (seconds * 1e7); }
};

// The pointer stays put outside the window, so nothing in the server has reason to
// write to the program: whatever runs in it runs of its own accord.
Idle idleFor(pid_t pid, double seconds)
{
    const Snapshot before = snapshot(pid);
    const auto t0 = Clock::now();
    sleepMs(seconds * 1000);
    const Snapshot after = snapshot(pid);
    Idle idle;
    idle.seconds = msSince(t0) / 1000;
    idle.perThread = difference(before, after);
    idle.sum = total(idle.perThread);
    return idle;
}

void parkPointer()
{
    const int screen = DefaultScreen(dpy);
    XTestFakeMotionEvent(dpy, screen, DisplayWidth(dpy, screen) - 1, DisplayHeight(dpy, screen) - 1, CurrentTime);
    XSync(dpy, False);
}

struct Play {
    std::vector<double> firstShowMs, repeatShowMs;    // click to face on screen
    std::vector<double> pausePercent, waitingPercent; // failed pairs
    Idle freshIdle, playedIdle;
};

// Pairs of neighbouring cards, in order, face by face: a face never seen before
// is parsed and drawn from its SVG, one seen before comes out of its cache.
Play play(const Program &game, Grabber &screen, double idleSeconds, int cards)
{
    Play p;
    parkPointer();
    Running r = start(game, screen);
    int winX = 0, winY = 0;
    Window child;
    XTranslateCoordinates(dpy, r.win, root, 0, 0, &winX, &winY, &child);
    sleepMs(500);
    p.freshIdle = idleFor(r.pid, idleSeconds);

    Grabber cellShot(63, 63);
    // Pixels off the ground inside a card's square, less the strips it shares with its neighbours.
    auto marked = [&](int cell) {
        if (!cellShot.grab(r.win, cellLeft(cell) + 1, cellTop(cell) + 1))
            fail("cannot read cell %d", cell);
        int n = 0;
        for (int y = 0; y < 63; ++y)
            for (int x = 0; x < 63; ++x)
                n += cellShot.at(x, y) != Ground;
        return n;
    };
    std::vector<std::vector<std::uint32_t>> faces;
    // Returns the face's number and when it was first seen on screen.
    auto reveal = [&](int cell) {
        XTestFakeMotionEvent(dpy, -1, winX + cellLeft(cell) + 32, winY + cellTop(cell) + 32, CurrentTime);
        XSync(dpy, False);
        sleepMs(30); // the pointer's arrival is not part of the click
        XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
        XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
        XFlush(dpy);
        const auto clicked = Clock::now();
        for (;;) {
            if (marked(cell) > 300)
                break;
            if (msSince(clicked) > 5000)
                fail("cell %d showed no face within 5 s of a click", cell);
            sleepMs(0.25);
        }
        const auto seen = Clock::now();
        const double latency = Ms(seen - clicked).count();
        std::vector<std::uint32_t> face;
        for (int y = 0; y < 63; ++y)
            for (int x = 0; x < 63; ++x)
                face.push_back(cellShot.at(x, y));
        auto known = std::find(faces.begin(), faces.end(), face);
        (known == faces.end() ? p.firstShowMs : p.repeatShowMs).push_back(latency);
        const int number = static_cast<int>(known - faces.begin());
        if (known == faces.end())
            faces.push_back(face);
        note("  cell %2d: face %2d on screen %.1f ms after the click", cell, number, latency);
        return std::pair{number, seen};
    };

    std::vector<int> cells;
    for (int cell = 1; cell <= 25; ++cell)
        if (cell != CentreCell)
            cells.push_back(cell);
    for (std::size_t i = 0; i + 1 < cells.size(); i += 2) {
        if (static_cast<int>(i) >= cards && !p.pausePercent.empty())
            break;
        const int a = cells[i], b = cells[i + 1];
        const int first = reveal(a).first;
        const auto [second, seen] = reveal(b);
        if (first == second)
            continue; // a pair: both stay up
        // Just after the second face is on screen, the half-second pause runs; the timer
        // was started by the click, a little before. By 0.4 s it has not fired yet, by
        // 0.6 s it has and the two cards have been turned down again.
        const Snapshot s0 = snapshot(r.pid);
        const auto t0 = Clock::now();
        sleepUntil(seen + std::chrono::milliseconds(400));
        const Snapshot s1 = snapshot(r.pid);
        const double waitedMs = msSince(t0);
        sleepUntil(seen + std::chrono::milliseconds(600));
        const Snapshot s2 = snapshot(r.pid);
        const double wholeMs = msSince(t0);
        const double whole = total(difference(s0, s2)).cpuNs, waiting = total(difference(s0, s1)).cpuNs;
        // Nanoseconds of processor per millisecond of clock, as a percentage of one core.
        p.pausePercent.push_back(whole / (wholeMs * 1e4));
        p.waitingPercent.push_back(waiting / (waitedMs * 1e4));
        note("  failed pair %d/%d: %.2f ms of processor in %.0f ms (%.2f ms before the timer)", a, b, whole / 1e6,
             wholeMs, waiting / 1e6);
        const auto deadline = Clock::now() + std::chrono::seconds(3);
        for (int cell : {a, b})
            for (;;) {
                if (marked(cell) == 0)
                    break;
                if (Clock::now() > deadline)
                    fail("a failed pair in cells %d and %d stayed up", a, b);
                sleepMs(5);
            }
    }
    if (p.pausePercent.empty())
        fail("every pair clicked matched: no pause to measure");

    parkPointer();
    sleepMs(500);
    p.playedIdle = idleFor(r.pid, idleSeconds);
    stop(r);
    return p;
}

Idle bareIdle(const Program &bare, Grabber &screen, double idleSeconds)
{
    parkPointer();
    Running r = start(bare, screen);
    sleepMs(500);
    Idle idle = idleFor(r.pid, idleSeconds);
    stop(r);
    return idle;
}

std::string fixed(double v, int decimals, const char *unit = "")
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f%s", decimals, v, unit);
    return buf;
}

void row(const std::string &measure, const std::string &game, const std::string &bare, const std::string &ratio,
         const std::string &goal)
{
    std::printf("| %-38s | %10s | %10s | %9s | %-16s |\n", measure.c_str(), game.c_str(), bare.c_str(), ratio.c_str(),
                goal.c_str());
}

// No cards of a kind, no figure: a blank says so better than a zero would.
std::string medianMs(const std::vector<double> &v) { return v.empty() ? "-" : fixed(median(v), 1, " ms"); }

std::string verdict(bool met, const char *goal) { return std::string(goal) + (met ? " met" : " MISSED"); }

void describeIdle(const char *who, const Idle &idle)
{
    std::printf("  %s, %.1f s:", who, idle.seconds);
    for (const auto &[tid, c] : idle.perThread)
        std::printf(" %s %ld (%.2f ms);", c.name.c_str(), c.slices, c.cpuNs / 1e6);
    std::printf("\n");
}

int usage(const char *argv0)
{
    std::fprintf(stderr, "usage: %s [--runs N] [--idle SECONDS] [--cards N] [--verbose] GAME BARE\n", argv0);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    int runs = 20, cards = 24;
    double idleSeconds = 5;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--runs" || arg == "--idle" || arg == "--cards") && i + 1 < argc) {
            const double v = std::atof(argv[++i]);
            if (v <= 0)
                return usage(argv[0]);
            if (arg == "--idle")
                idleSeconds = v;
            else
                (arg == "--runs" ? runs : cards) = static_cast<int>(v);
        } else if (arg == "--verbose") {
            verbose = true;
        } else if (arg.rfind("--", 0) == 0) {
            return usage(argv[0]);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2)
        return usage(argv[0]);

    // Both programs meet the same plain X server at 96 dpi, whatever the caller's session asks of Qt.
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    for (const char *v : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_FONT_DPI",
                          "WAYLAND_DISPLAY", "QT_DEBUG_PLUGINS", "QT_LOGGING_RULES"})
        unsetenv(v);

    dpy = XOpenDisplay(nullptr);
    if (!dpy)
        fail("cannot open the X display");
    root = DefaultRootWindow(dpy);
    int event, error, major, minor;
    if (!XTestQueryExtension(dpy, &event, &error, &major, &minor))
        fail("the X server lacks XTEST");
    if (!XShmQueryExtension(dpy))
        fail("the X server lacks MIT-SHM");
    // Windows come and go while they are read: every call's result is checked instead.
    XSetErrorHandler([](Display *, XErrorEvent *e) {
        lastXError = e->error_code;
        return 0;
    });
    XSelectInput(dpy, root, SubstructureNotifyMask);

    const Program game{"the game", paths[0], gameShown};
    const Program bare{"the bare window", paths[1], bareShown};
    auto screenOwner = std::make_unique<Grabber>(Width, Height);
    Grabber &screen = *screenOwner;
    parkPointer();

    // One start of each, not counted, so that every counted one finds the libraries
    // and font caches already in memory.
    for (const Program *p : {&game, &bare}) {
        Running r = start(*p, screen);
        stop(r);
    }

    std::vector<double> gameMs, bareMs, gameKiB, bareKiB, gameAnon, bareAnon, gameFile, bareFile;
    bool anyUnpainted[2] = {false, false};
    for (int i = 0; i < runs; ++i) {
        // Alternately game first and bare first, so that neither always follows the other.
        const Program *order[2] = {&game, &bare};
        if (i % 2)
            std::swap(order[0], order[1]);
        for (const Program *p : order) {
            Running r = start(*p, screen);
            sleepMs(300);
            const Memory m = memoryOf(r.pid);
            stop(r);
            const bool isGame = p == &game;
            anyUnpainted[isGame ? 0 : 1] |= r.seenUnpainted;
            (isGame ? gameMs : bareMs).push_back(r.firstPaintMs);
            (isGame ? gameKiB : bareKiB).push_back(m.rssKiB);
            (isGame ? gameAnon : bareAnon).push_back(m.anonKiB);
            (isGame ? gameFile : bareFile).push_back(m.fileKiB);
            note("run %2d %-15s first paint %7.1f ms%s, VmRSS %6.0f KiB (anon %6.0f, file %6.0f), %ld threads", i + 1,
                 p->name, r.firstPaintMs, r.seenUnpainted ? "" : " (already painted at first look)", m.rssKiB,
                 m.anonKiB, m.fileKiB, m.threads);
            sleepMs(100);
        }
    }

    const Play p = play(game, screen, idleSeconds, cards);
    const Idle bi = bareIdle(bare, screen, idleSeconds);

    std::vector<double> allShows = p.firstShowMs;
    allShows.insert(allShows.end(), p.repeatShowMs.begin(), p.repeatShowMs.end());
    const double startRatio = median(gameMs) / median(bareMs);
    const double memRatio = median(gameKiB) / median(bareKiB);

    std::printf("| %-38s | %10s | %10s | %9s | %-16s |\n", "measure", "game", "bare", "game/bare", "goal");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(40, '-').c_str(), std::string(12, '-').c_str(),
                std::string(12, '-').c_str(), std::string(11, '-').c_str(), std::string(18, '-').c_str());
    const std::string n = " (n=" + std::to_string(runs) + ")";
    row("start to first paint, median" + n, fixed(median(gameMs), 1, " ms"), fixed(median(bareMs), 1, " ms"),
        fixed(startRatio, 3), verdict(startRatio <= 1.05, "<= 1.05"));
    row("start to first paint, min", fixed(minimum(gameMs), 1, " ms"), fixed(minimum(bareMs), 1, " ms"),
        fixed(minimum(gameMs) / minimum(bareMs), 3), "");
    row("resident memory (VmRSS), median", fixed(median(gameKiB) / 1024, 1, " MiB"),
        fixed(median(bareKiB) / 1024, 1, " MiB"), fixed(memRatio, 3), verdict(memRatio <= 1.15, "<= 1.15"));
    row("resident memory (VmRSS), min", fixed(minimum(gameKiB) / 1024, 1, " MiB"),
        fixed(minimum(bareKiB) / 1024, 1, " MiB"), fixed(minimum(gameKiB) / minimum(bareKiB), 3), "");
    row("  of which anonymous, median", fixed(median(gameAnon) / 1024, 1, " MiB"),
        fixed(median(bareAnon) / 1024, 1, " MiB"), fixed(median(gameAnon) / median(bareAnon), 3), "");
    row("  of which file-backed, median", fixed(median(gameFile) / 1024, 1, " MiB"),
        fixed(median(bareFile) / 1024, 1, " MiB"), fixed(median(gameFile) / median(bareFile), 3), "");
    row("click to face shown, median (n=" + std::to_string(allShows.size()) + ")", fixed(median(allShows), 1, " ms"),
        "", "", "");
    row("  first showing of a face, median", medianMs(p.firstShowMs), "", "", "");
    row("  face shown before, median", medianMs(p.repeatShowMs), "", "", "");
    row("  slowest", fixed(maximum(allShows), 1, " ms"), "", "", "");
    row("processor in 0.6 s after a failed pair", fixed(median(p.pausePercent), 2, " %"), "", "",
        verdict(median(p.pausePercent) < 1, "< 1 %"));
    row("  before the timer fires (0.4 s)", fixed(median(p.waitingPercent), 2, " %"), "", "", "");
    row("idle wake-ups, fresh window", fixed(p.freshIdle.wakeupsPerSecond(), 1, " /s"),
        fixed(bi.wakeupsPerSecond(), 1, " /s"), "", verdict(p.freshIdle.sum.slices == 0, "0"));
    row("idle wake-ups, after play", fixed(p.playedIdle.wakeupsPerSecond(), 1, " /s"), "", "",
        verdict(p.playedIdle.sum.slices == 0, "0"));
    row("idle voluntary switches, after play",
        fixed(static_cast<double>(p.playedIdle.sum.voluntary) / p.playedIdle.seconds, 1, " /s"),
        fixed(static_cast<double>(bi.sum.voluntary) / bi.seconds, 1, " /s"), "", "");
    row("idle processor", fixed(p.playedIdle.cpuPercent(), 3, " %"), fixed(bi.cpuPercent(), 3, " %"), "", "");
    std::printf("\nprocessor after a failed pair: median of %zu pairs, %% of one core.\n", p.pausePercent.size());
    std::printf("idle wake-ups (timeslices run) by thread, and processor time:\n");
    describeIdle("game, fresh", p.freshIdle);
    describeIdle("game, after play", p.playedIdle);
    describeIdle("bare window", bi);
    for (int k : {0, 1})
        if (!anyUnpainted[k])
            std::printf("note: %s was always painted at the first look; its start-up times are upper bounds\n",
                        k == 0 ? "the game" : "the bare window");
    screenOwner.reset(); // its segment is detached through the display
    XCloseDisplay(dpy);
    return 0;
}
