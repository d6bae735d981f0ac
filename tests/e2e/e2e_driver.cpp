// Plays the real game in an X server as a player would: it finds the window, reads the
// board from screenshots and clicks with pointer events that the server synthesizes.
//   e2e_driver GAME                              the checks run by ctest
//   e2e_driver --screenshot-finished FILE GAME   plays a whole game and saves the results
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;
using Pixels = std::vector<unsigned long>; // 0xRRGGBB, row by row
constexpr int Width = 524, Height = 467, CentreCell = 13;
constexpr unsigned long Ground = 0xefefef; // Fusion's button face

Display *dpy = nullptr;
Window win = 0;
int winX = 0, winY = 0;
pid_t game = 0;

[[noreturn]] __attribute__((format(printf, 1, 2))) void fail(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::printf("FAIL: ");
    // The analyser loses track of va_start across the printf above and reports
    // the list as uninitialised.
    std::vprintf(format, args); // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(args);
    std::printf("\n");
    if (game > 0)
        kill(game, SIGKILL);
    std::exit(1);
}

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }
void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
int cellLeft(int cell) { return 104 + 64 * ((cell - 1) % 5); }
int cellTop(int cell) { return 72 + 64 * ((cell - 1) / 5); }
// Cards are counted row by row around the centre cell.
int cellOf(int card) { return card < CentreCell ? card : card + 1; }
bool dark(unsigned long p) { return (p >> 16 & 0xff) < 80 && (p >> 8 & 0xff) < 80 && (p & 0xff) < 80; }
bool red(unsigned long p) { return (p >> 16 & 0xff) > 180 && (p >> 8 & 0xff) < 80 && (p & 0xff) < 80; }

struct Shot {
    Pixels px;
    unsigned long at(int x, int y) const
    {
        return px[static_cast<std::size_t>(y) * Width + static_cast<std::size_t>(x)];
    }
    // Less the one-pixel strips shared with the neighbours, whose faces may lie over them.
    Pixels inside(int cell) const
    {
        Pixels v;
        for (int y = cellTop(cell) + 1; y < cellTop(cell) + 64; ++y)
            for (int x = cellLeft(cell) + 1; x < cellLeft(cell) + 64; ++x)
                v.push_back(at(x, y));
        return v;
    }
    int marked(int cell) const
    {
        int n = 0;
        for (unsigned long p : inside(cell))
            n += p != Ground;
        return n;
    }
};

Shot grab()
{
    XImage *img = XGetImage(dpy, win, 0, 0, Width, Height, AllPlanes, ZPixmap);
    if (!img || img->red_mask != 0xff0000 || img->green_mask != 0xff00 || img->blue_mask != 0xff)
        fail("cannot read the window as 24-bit RGB");
    Shot s;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            s.px.push_back(XGetPixel(img, x, y) & 0xffffff);
    XDestroyImage(img);
    return s;
}

void save(const Shot &s, const std::string &file)
{
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << Width << ' ' << Height << "\n255\n";
    for (unsigned long p : s.px)
        out << char(p >> 16) << char(p >> 8) << char(p);
    if (!out)
        fail("cannot write %s", file.c_str());
}

// Screenshots until `fault` finds nothing wrong; the last one is kept for a post-mortem.
Shot waitFor(double seconds, const std::function<std::string(const Shot &)> &fault)
{
    for (const auto start = Clock::now();; sleepMs(5)) {
        Shot s = grab();
        const std::string what = fault(s);
        if (what.empty())
            return s;
        if (since(start) > seconds)
            save(s, "e2e-failure.ppm"), fail("%s after %.1f s, see e2e-failure.ppm", what.c_str(), seconds);
    }
}

Shot waitCards(std::vector<int> cells, bool up, double seconds = 5)
{
    return waitFor(seconds, [&](const Shot &s) {
        for (int c : cells)
            if (up ? s.marked(c) < 300 : s.marked(c) > 0)
                return "cell " + std::to_string(c) + (up ? " shows no face" : " is not plain face down");
        return std::string();
    });
}

std::string boardFault(const Shot &s)
{
    for (int cell = 1; cell <= 25; ++cell) {
        const int l = cellLeft(cell), t = cellTop(cell);
        for (int i = 0; i <= 64; ++i)
            if (!dark(s.at(l + i, t)) || !dark(s.at(l, t + i)) || !dark(s.at(l + 64, t + i))
                || !dark(s.at(l + i, t + 64)))
                return "cell " + std::to_string(cell) + " lacks a border around its 65-pixel square";
        if (cell != CentreCell && s.marked(cell))
            return "cell " + std::to_string(cell) + " is not plain face down";
    }
    for (int i = 0; i <= 320; ++i)
        if (dark(s.at(103, 72 + i)) || dark(s.at(425, 72 + i)) || dark(s.at(104 + i, 71)) || dark(s.at(104 + i, 393)))
            return "border pixels outside the grid 104..424 x 72..392";
    int reds = 0;
    for (unsigned long p : s.inside(CentreCell))
        reds += red(p);
    return reds > 100 ? "" : "no red X in the centre cell";
}

std::vector<Pixels> faces; // each picture seen; identical pictures render identically

// Clicks a face-down card and waits for its face; tells which face it is.
int reveal(int cell, Shot *shot = nullptr)
{
    XTestFakeMotionEvent(dpy, -1, winX + cellLeft(cell) + 32, winY + cellTop(cell) + 32, CurrentTime);
    XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
    XFlush(dpy);
    const Shot s = waitCards({cell}, true);
    if (shot)
        *shot = s;
    for (std::size_t i = 0; i < faces.size(); ++i)
        if (faces[i] == s.inside(cell))
            return static_cast<int>(i);
    faces.push_back(s.inside(cell));
    return static_cast<int>(faces.size()) - 1;
}

Window findWindow(Window under, int depth)
{
    Window root, parent, *children = nullptr, found = 0;
    unsigned n = 0;
    XQueryTree(dpy, under, &root, &parent, &children, &n);
    for (unsigned i = 0; i < n && !found; ++i) {
        XTextProperty name{};
        XWindowAttributes a;
        if (XGetWMName(dpy, children[i], &name) && name.value
            && std::string(reinterpret_cast<char *>(name.value), name.nitems) == "Pairon12"
            && XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable)
            found = children[i];
        else if (depth > 0)
            found = findWindow(children[i], depth - 1);
        XFree(name.value);
    }
    XFree(children);
    return found;
}

void closeWindowAndExpectExit()
{
    XEvent e{};
    e.xclient = {ClientMessage, 0, False, dpy, win, XInternAtom(dpy, "WM_PROTOCOLS", False), 32, {}};
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    XSendEvent(dpy, win, False, NoEventMask, &e);
    XFlush(dpy);
    int status = 0;
    for (const auto start = Clock::now(); waitpid(game, &status, WNOHANG) == 0; sleepMs(10))
        if (since(start) > 5)
            fail("the game still runs 5 s after its window was closed");
    game = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail("the game did not exit cleanly: wait status 0x%x", status);
}

void playWholeGame(const char *file)
{
    waitCards({1}, false, 10);
    // First every face in turn, neighbours by pairs, then the pairs that remain, from memory.
    std::vector<int> face(26, -1);
    std::vector<bool> matched(26, false);
    for (int card = 1; card < 24; card += 2) {
        const int a = cellOf(card), b = cellOf(card + 1);
        face[a] = reveal(a), face[b] = reveal(b);
        matched[a] = matched[b] = face[a] == face[b];
        if (!matched[a])
            waitCards({a, b}, false, 3);
    }
    for (int a = 1; a <= 25; ++a)
        for (int b = a + 1; b <= 25; ++b)
            if (face[a] >= 0 && face[a] == face[b] && !matched[a])
                reveal(a), reveal(b), matched[a] = true;
    const Shot s = waitFor(5, [](const Shot &now) {
        int marks = 0;
        for (int y = 24; y < 49; ++y)
            for (int x = 104; x < 273; ++x)
                marks += now.at(x, y) != Ground;
        return marks > 30 ? "" : "no results after the last pair";
    });
    save(s, file);
    std::printf("ok: a whole game played, results saved to %s\n", file);
    closeWindowAndExpectExit();
}

void runChecks()
{
    std::remove("e2e-failure.ppm");
    save(waitFor(10, boardFault), "e2e-board.ppm");
    std::printf("ok: 24 face-down cards and a red X, 65-pixel squares on a 64-pixel pitch\n");

    // Neighbours in turn until two differ; a matched pair must stay up.
    int a = 0, b = 0;
    for (int card = 1; card < 12 && !a; card += 2) {
        Shot shot;
        const int first = reveal(cellOf(card), &shot);
        if (card == 1)
            save(shot, "e2e-face.ppm"), std::printf("ok: a click on cell 1 turns its face up\n");
        // Well apart, so that a pause counted from the first pick would visibly end too soon.
        sleepMs(300);
        const auto clicked = Clock::now();
        const int second = reveal(cellOf(card + 1), &shot);
        const auto seen = Clock::now();
        if (first == second) {
            sleepMs(1000);
            waitCards({cellOf(card), cellOf(card + 1)}, true, 0);
            std::printf("ok: cells %d and %d match and stay up\n", cellOf(card), cellOf(card + 1));
            continue;
        }
        save(shot, "e2e-pair.ppm");
        waitCards({cellOf(card), cellOf(card + 1)}, false, 3);
        // The click surely precedes the pause; the face is seen only after a paint and a
        // poll, late by however much a loaded machine delays them, so it bounds only from above.
        const double fromClick = since(clicked), fromSeen = since(seen);
        if (fromClick < 0.5 || fromSeen > 2)
            fail("a failed pair turned down %.3f s after the click, %.3f s after it was seen", fromClick, fromSeen);
        std::printf("ok: a failed pair stayed up %.3f s from the click, %.3f s seen\n", fromClick, fromSeen);
        a = cellOf(card), b = cellOf(card + 1);
    }
    if (!a)
        fail("no failed pair among the first 12 cards");

    // Known to differ, so once both are seen up the pause is running as the window closes.
    reveal(a);
    Shot shot;
    reveal(b, &shot);
    closeWindowAndExpectExit();
    save(shot, "e2e-closing.ppm");
    std::printf("ok: closed during a pause, the game exited with status 0\n");
}

} // namespace

int main(int argc, char *argv[])
{
    const bool finished = argc == 4 && std::string(argv[1]) == "--screenshot-finished";
    if (argc != (finished ? 4 : 2)) {
        std::fprintf(stderr, "usage: %s [--screenshot-finished FILE] GAME\n", argv[0]);
        return 2;
    }
    int event, error, major, minor;
    if (!(dpy = XOpenDisplay(nullptr)) || !XTestQueryExtension(dpy, &event, &error, &major, &minor))
        fail("cannot open an X display with XTEST");
    // Windows come and go while the tree is walked; every result is checked instead.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });

    char *gameArgs[] = {argv[argc - 1], nullptr};
    if (posix_spawn(&game, argv[argc - 1], nullptr, nullptr, gameArgs, environ) != 0)
        fail("cannot start %s", argv[argc - 1]);
    for (const auto start = Clock::now(); !(win = findWindow(DefaultRootWindow(dpy), 1)); sleepMs(20)) {
        if (waitpid(game, nullptr, WNOHANG) == game)
            game = 0, fail("the game ended before showing its window");
        if (since(start) > 10)
            fail("no mapped window titled Pairon12 after 10 s");
    }
    XWindowAttributes attrs{};
    Window child;
    if (!XGetWindowAttributes(dpy, win, &attrs) || attrs.width != Width || attrs.height != Height)
        fail("the window is %dx%d, not %dx%d", attrs.width, attrs.height, Width, Height);
    XTranslateCoordinates(dpy, win, DefaultRootWindow(dpy), 0, 0, &winX, &winY, &child);
    std::printf("ok: window Pairon12 mapped at %d,%d, %dx%d\n", winX, winY, Width, Height);

    finished ? playWholeGame(argv[2]) : runChecks();
    XCloseDisplay(dpy);
}
