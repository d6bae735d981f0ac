#!/usr/bin/python3
"""Measures the game against two floors, each started the same way in a private Xvfb: the
bare window (Qt Widgets, the game's style, size and title, nothing in it) and the captioned
window (the same, showing one caption in the game's face). Prints a markdown table; exits
non-zero only if a figure could not be taken, since the goals are for people to judge.
    /usr/bin/python3 bench/bench.py [--runs N] [--idle SECONDS] [--cards N] [--game P] [--floor P]"""
import argparse, glob, os, statistics, subprocess, sys, time
from Xlib import X

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from xsession import XSession  # noqa: E402

WIDTH, HEIGHT, TITLE = 524, 467, "Pairon12"
GROUND = ((0xEF, 0xEF),) * 3  # Fusion's button face, as getextrema() reports an area of nothing else
CAPTION = (32, 416, 129, 441)  # the captioned floor's one caption, where the game has "Tentativi :"
CENTRE, CARDS = 13, [cell for cell in range(1, 26) if cell != 13]


def square(cell, inset=0):  # a grid cell's 65-pixel square; with inset=1 only its inside
    left, top = 104 + 64 * ((cell - 1) % 5), 72 + 64 * ((cell - 1) // 5)
    return left + inset, top + inset, left + 65 - inset, top + 65 - inset


def ground(image, box=None):
    return (image.crop(box) if box else image).getextrema() == GROUND


# Complete first frames. Until its first paint a Qt window shows the black root beneath
# it, which meets none of these.
def bare_shown(image):
    return ground(image)


def captioned_shown(image):
    left, top, right, bottom = CAPTION
    around = [(0, 0, WIDTH, top), (0, bottom, WIDTH, HEIGHT), (0, top, left, bottom), (right, top, WIDTH, bottom)]
    inked = all(low < 80 for low, _ in image.crop(CAPTION).getextrema())
    return inked and all(ground(image, box) for box in around)


def game_shown(image):
    def dark(box):
        return all(high < 80 for _, high in image.crop(box).getextrema())

    lines = [(104, 72 + 64 * i, 425, 73 + 64 * i) for i in range(6)]  # across the grid
    lines += [(104 + 64 * i, 72, 105 + 64 * i, 393) for i in range(6)]  # and down
    colours = image.crop(square(CENTRE, 1)).getcolors(65 * 65)
    reds = sum(n for n, (r, g, b) in colours if r > 180 and g < 80 and b < 80)  # the "X"
    return (reds > 100 and all(dark(line) for line in lines) and all(ground(image, square(c, 1)) for c in CARDS)
            and ground(image, (0, 0, WIDTH, 20)) and ground(image, (440, 0, WIDTH, HEIGHT)))


def memory(pid):  # KiB, from /proc/PID/status
    with open(f"/proc/{pid}/status") as f:
        fields = dict(line.split(":", 1) for line in f)
    return int(fields["VmRSS"].split()[0]), int(fields["RssAnon"].split()[0])


def schedstat(pid):  # each thread's nanoseconds on a processor and timeslices run, from one wake-up to sleep
    counts = {}
    for path in glob.glob(f"/proc/{pid}/task/*/schedstat"):
        try:
            with open(path) as f:
                ran, _, slices = map(int, f.read().split())
            counts[path] = ran, slices
        except (FileNotFoundError, ProcessLookupError):  # the thread ended meanwhile
            pass
    return counts


def ran(before, after):  # nanoseconds and timeslices, all threads, between two schedstat() readings
    ns = sum(after[t][0] - before.get(t, (0, 0))[0] for t in after)
    slices = sum(after[t][1] - before.get(t, (0, 0))[1] for t in after)
    return ns, slices + len(before.keys() - after.keys())  # a thread gone in between woke at least to end


class Bench:
    def __init__(self, xs, args):
        self.xs, self.args = xs, args

    def start(self, argv, shown):  # the program, its window and milliseconds from spawn to first frame
        t0 = time.perf_counter()
        proc = self.xs.start(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        win = self.xs.window(TITLE, timeout=15)
        if (win.width, win.height) != (WIDTH, HEIGHT):
            raise RuntimeError(f"{argv}: a {win.width}x{win.height} window")
        while True:
            # Every first frame has the ground at its top left: one pixel's quick no keeps the polling fine.
            if win.grab((0, 0, 1, 1)).getpixel((0, 0)) == (0xEF, 0xEF, 0xEF):
                image, seen = win.grab(), time.perf_counter()  # timed as read, not as judged
                if shown(image):
                    return proc, win, (seen - t0) * 1000
            seen = time.perf_counter()
            if seen - t0 > 15 or proc.poll() is not None:
                raise RuntimeError(f"{argv}: no complete first frame")
            time.sleep(0.001)

    def stop(self, proc):  # the next start must find the screen clear
        proc.terminate()
        proc.wait()
        deadline = time.monotonic() + 5
        while self.xs.find(TITLE):
            if time.monotonic() > deadline:
                raise RuntimeError("a window outlived its program")
            time.sleep(0.001)

    def wakeups(self, proc, win):  # per second, with nothing in the server to wake the program for
        win.send((X.MotionNotify, 0, 0, 0, 1023, 767))
        time.sleep(0.5)
        before, t0 = schedstat(proc.pid), time.monotonic()
        time.sleep(self.args.idle)
        return ran(before, schedstat(proc.pid))[1] / (time.monotonic() - t0)

    def play(self, proc, win):  # milliseconds from click to face shown; % of a core in each pause
        shows, pauses, faces = [], [], {}
        for first, second in zip(CARDS[::2], CARDS[1::2]):
            if len(shows) >= self.args.cards and pauses:
                break
            for cell in first, second:
                x, y = square(cell)[0] + 32, square(cell)[1] + 32
                win.send((X.MotionNotify, 0, 0, 0, win.x + x, win.y + y))
                time.sleep(0.03)  # the pointer's arrival is not part of the click
                t0 = time.perf_counter()
                win.click(x, y)
                while ground(face := win.grab(square(cell, 1))):  # the card alone: little for the server to copy
                    if time.perf_counter() - t0 > 5:
                        raise RuntimeError(f"card {cell} showed no face")
                    time.sleep(0.0002)
                seen = time.perf_counter()
                shows.append((seen - t0) * 1000)
                faces[cell] = face.tobytes()
            if faces[first] == faces[second]:
                continue  # a pair stays up
            # From the second face on screen: the half-second pause, then both cards turned down.
            before = schedstat(proc.pid)
            time.sleep(max(0.0, seen + 0.6 - time.perf_counter()))
            pauses.append(ran(before, schedstat(proc.pid))[0] / (time.perf_counter() - seen) / 1e7)
            deadline = time.monotonic() + 3
            while not all(ground(win.grab(square(cell, 1))) for cell in (first, second)):
                if time.monotonic() > deadline:
                    raise RuntimeError(f"a failed pair, cells {first} and {second}, stayed up")
                time.sleep(0.005)
        if not pauses:
            raise RuntimeError("every pair clicked matched: no pause to measure")
        return shows, pauses


def row(measure, figures, unit, digits=1, goal=""):  # figures: the game's, then the floors' if measured
    blank = [""] * (3 - len(figures))
    cells = [f"{f:.{digits}f} {unit}" for f in figures] + blank
    ratios = [f"{figures[0] / f:.3f}" if f else "" for f in figures[1:]] + blank
    print("| " + " | ".join([measure, *cells, *ratios, goal]) + " |")


def measured_on():  # the commit, the date and the machine, which a figure in docs/ stands with
    def out(*argv):
        try:
            return subprocess.run(argv, capture_output=True, text=True, cwd=os.path.dirname(__file__)).stdout.strip()
        except OSError:
            return ""
    commit = out("git", "rev-parse", "--short", "HEAD") or "unknown"
    if out("git", "status", "--porcelain", "--untracked-files=no"):
        commit += " with changes not committed"
    with open("/proc/cpuinfo") as info:
        cpu = next((line.split(":", 1)[1].strip() for line in info if line.startswith("model name")), "unknown")
    with open("/proc/meminfo") as info:
        ram = int(info.readline().split()[1]) / 2**20
    with open("/etc/debian_version") as debian:
        release = debian.read().strip()
    qt, xvfb = out("dpkg-query", "-W", "-f=${Version}", "libqt6core6"), out("dpkg-query", "-W", "-f=${Version}", "xvfb")
    return (f"Measured at commit {commit} on {time.strftime('%Y-%m-%d')}: {os.cpu_count()} processors ({cpu}), "
            f"{ram:.1f} GiB, Debian {release}, Qt {qt}, Xvfb {xvfb}.")


def main():
    build = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "bench")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=20, help="counted starts of each program (20)")
    parser.add_argument("--idle", type=float, default=3, help="seconds to watch each program idle (3)")
    parser.add_argument("--cards", type=int, default=24, help="cards to click, in neighbouring pairs (24)")
    parser.add_argument("--game", default=os.path.join(build, "src", "ui", "pairon12"))
    parser.add_argument("--floor", default=os.path.join(build, "bench", "bench_bare_window"))
    args = parser.parse_args()
    programs = {"game": ([args.game], game_shown), "bare": ([args.floor], bare_shown),
                "captioned": ([args.floor, "--captioned"], captioned_shown)}
    starts, rss, anon = ({name: [] for name in programs} for _ in range(3))
    idle = {}  # wake-ups per second, by program, and the game's again after play
    load = os.getloadavg()[0]
    with XSession() as xs:
        bench = Bench(xs, args)
        xs.d.screen().root.warp_pointer(1023, 767)  # off every window: only clicking cards moves it
        for run in range(-1, args.runs):  # run -1 only warms the caches
            for name in list(programs)[run % 3:] + list(programs)[:run % 3]:  # none always after another
                proc, win, ms = bench.start(*programs[name])
                time.sleep(0.3)
                kib = memory(proc.pid)
                bench.stop(proc)
                if run >= 0:
                    starts[name].append(ms)
                    rss[name].append(kib[0] / 1024)
                    anon[name].append(kib[1] / 1024)
        for name in programs:
            proc, win, _ = bench.start(*programs[name])
            idle[name] = bench.wakeups(proc, win)
            if name == "game":
                shows, pauses = bench.play(proc, win)
                idle["played"] = bench.wakeups(proc, win)
            bench.stop(proc)

    med = statistics.median
    start, ram = [med(starts[k]) for k in programs], [med(rss[k]) for k in programs]
    print("| measure | game | bare | captioned | game/bare | game/captioned | goal |")
    print("|---|---:|---:|---:|---:|---:|---|")
    met = {True: "met", False: "MISSED"}
    row(f"start to first frame, median (n={args.runs})", start, "ms",
        goal=f"<= 1.10 x captioned: {met[start[0] <= 1.10 * start[2]]}")
    row("start to first frame, min", [min(starts[k]) for k in programs], "ms")
    row("resident memory (VmRSS), median", ram, "MiB", goal=f"<= 1.05 x captioned: {met[ram[0] <= 1.05 * ram[2]]}")
    row("anonymous memory (RssAnon), median", [med(anon[k]) for k in programs], "MiB")
    row(f"click to face shown, median (n={len(shows)})", [med(shows)], "ms")
    row("click to face shown, slowest", [max(shows)], "ms")
    pause = med(pauses)
    row(f"processor, 0.6 s after a failed pair, median (n={len(pauses)})", [pause], "%", 2, f"< 1 %: {met[pause < 1]}")
    row(f"idle wake-ups over {args.idle:g} s, fresh window", [idle[k] for k in programs], "/s",
        goal=f"0: {met[idle['game'] == 0]}")
    row("idle wake-ups, after the cards were clicked", [idle["played"]], "/s", goal=f"0: {met[idle['played'] == 0]}")
    print(f"\n{measured_on()} Load average (1 min) {load:.2f} before, {os.getloadavg()[0]:.2f} after.")


if __name__ == "__main__":
    main()
