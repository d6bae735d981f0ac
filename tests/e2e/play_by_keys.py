#!/usr/bin/python3
# The real game in a private X server, played with keys alone and known only by what a
# screen reader hears over the accessibility bus; the screen is read where only it can tell.
#   play_by_keys.py GAME [FINISHED.png]
import re, sys, time
from PIL import Image, ImageChops
from xsession import XSession


def wait(what, done, timeout=5):
    deadline = time.monotonic() + timeout
    while not (result := done()):
        if time.monotonic() > deadline:
            sys.exit(f"FAIL: {what}")
        GLib.MainContext.default().iteration(False)  # the bus's events arrive with the main loop
    return result


# The layout, in twips, 15 to a pixel: the card grid on a 960 pitch, and what surrounds it.
def twips(pos):
    cell = pos + (pos > 12)
    return 1560 + 960 * ((cell - 1) % 5), 1080 + 960 * ((cell - 1) // 5), 975, 975


LAYOUT = {"X, centro del tavolo": (3480, 3000, 975, 975), "Selezionare le caselle con il mouse": (120, 2400, 1215, 1215),
          "Secondi impiegati :": (1560, 360, 2535, 375), "Secondi impiegati": (4440, 360, 855, 375),
          "Tentativi :": (480, 6240, 1455, 375), "Tentativi": (2280, 6240, 615, 375), "Ancora": (4680, 6360, 1215, 375)}


def square(pos, inset=0):
    x, y, w, h = (v // 15 for v in twips(pos))
    return x + inset, y + inset, x + w - inset, y + h - inset


def plain(shot, pos, inset=6):  # no face: nothing but the button face in the square, within the ring
    return len(set(shot.crop(square(pos, inset)).getdata())) == 1


def lum(pixel):
    return 0.05 + sum(w * (c / 3295 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4)
                      for w, c in zip((0.2126, 0.7152, 0.0722), pixel))


def rings(shot):  # mid-side, two pixels inside the border stand out 3:1 from the ground, then one white
    return [p for p in range(1, 25) for x, y, _, _ in [square(p)] if all(
        lum(shot.getpixel((0, 0))) / lum(shot.getpixel(a)) >= 3 and shot.getpixel(b) == (255, 255, 255)
        for d in (2, 3) for a, b in [((x + d, y + 32), (x + 4, y + 32)), ((x + 64 - d, y + 32), (x + 60, y + 32)),
                                     ((x + 32, y + d), (x + 32, y + 4)), ((x + 32, y + 64 - d), (x + 32, y + 60))])]


def first_frame_right(shot):  # 24 plain squares in their borders, the X, the instruction, nothing else
    dark = lambda x, y: max(shot.getpixel((x, y))) < 80
    return (all(dark(104 + 64 * k, 72 + i) and dark(104 + i, 72 + 64 * k) for k in range(6) for i in range(321))
            and not any(dark(103, 72 + i) or dark(425, 72 + i) or dark(104 + i, 71) or dark(104 + i, 393)
                        for i in range(321)) and all(plain(shot, p, 1) for p in range(1, 25))
            and all(len(set(shot.crop(box).getdata())) == 1 for box in [(0, 0, 524, 71), (0, 394, 524, 467)])
            and sum(p == (255, 0, 0) for p in shot.crop((232, 200, 297, 265)).getdata()) > 300)


with XSession(accessibility=True) as xs:
    import pyatspi
    from gi.repository import GLib
    heard = []  # names as the bus says they change, listened to from before the game starts
    pyatspi.Registry.registerEventListener(lambda e: heard.append(e.source.name), "object:property-change:accessible-name")
    game = xs.start([sys.argv[1]])
    started, win, shown = time.monotonic(), xs.window("Pairon12"), time.monotonic()
    wait("the first frame is not 24 face-down cards around a red X on the layout's grid",
         lambda: (win.width, win.height) == (524, 467) and first_frame_right(win.grab()))
    app = wait("no game on the bus", lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a.name == "Pairon12"), 0))
    elements = {e.name: e for e in app[0] if e.name}
    cards = {int(re.match(r"Carta (\d+)", n)[1]): e for n, e in elements.items() if n.startswith("Carta")}
    if sorted(cards) != list(range(1, 25)) or any(e.getRoleName() != "push button" or e.description or
                                                  e.name != f"Carta {p}, coperta" for p, e in cards.items()):
        sys.exit("FAIL: the 24 cards are not 24 buttons that name nothing but their number")
    focused = lambda e: e.getState().contains(pyatspi.STATE_FOCUSED)
    win.focus()
    for key, pos in [("Left", 1), ("Up", 1), ("Down", 6), ("Down", 11), ("Right", 12), ("Right", 13), ("Left", 12),
                     ("Up", 7), ("Right", 8), ("Down", 17), ("Up", 8), ("End", 24), ("Right", 24), ("Down", 24),
                     ("Tab", 1), ("Shift_L+Tab", 24), ("Home", 1)]:
        win.key(key)
        wait(f"{key} did not take the keyboard and its ring to card {pos}",
             lambda: focused(cards[pos]) and rings(win.grab()) == [pos])
    faces, up, picks, measured = {}, set(), 0, False

    def face(pos, *keys):  # the keys turn the card; its face only as the bus tells it, seen within its ring
        global picks, pressed
        win.key(*keys)
        wait(f"card {pos} never took the keyboard", lambda: focused(cards[pos]))
        pressed, picks = time.monotonic(), picks + 1
        win.key("space")
        said = wait(f"card {pos} turned up unheard", lambda: [n for n in heard if n.startswith(f"Carta {pos}: ")])
        heard.clear()
        wait(f"card {pos} shows no face in its ring",  # the last leaves the keyboard, and its ring, to Ancora
             lambda: not plain(s := win.grab(), pos) and rings(s) == ([] if focused(elements["Ancora"]) else [pos]))
        faces[pos] = said[0].split(": ")[1]
        return faces[pos]

    turn = lambda pos: face(pos, "Home", *["Tab"] * (pos - 1))
    for first in range(1, 24, 2):
        if turn(first) == turn(first + 1):
            up |= {first, first + 1}
        elif not measured:  # the first failed pair, from its key until it turns back
            seen, measured = time.monotonic(), True
            wait("a failed pair never turned back", lambda: plain(win.grab(), first) and plain(win.grab(), first + 1))
            if not 0.5 <= time.monotonic() - pressed < seen - pressed + 1.5:
                sys.exit(f"FAIL: a failed pair stayed up {time.monotonic() - pressed:.3f} s")
        else:
            wait("a failed pair never turned back", lambda: f"Carta {first}, coperta" in heard)
    for a, b in [(a, b) for a in range(1, 25) for b in range(a + 1, 25) if faces[a] == faces[b] and a not in up]:
        turn(a), turn(b)
    finished, shot = time.monotonic(), win.grab()
    wait("the keyboard is not on Ancora at the end", lambda: focused(elements["Ancora"]))
    seconds, attempts = (int(elements[n].queryText().getText(0, -1)) for n in ("Secondi impiegati", "Tentativi"))
    if attempts != picks // 2 or not int(pressed - shown) <= seconds <= finished - started:
        sys.exit(f"FAIL: the results read {seconds} s and {attempts} attempts after {picks} picks")
    for name, box in LAYOUT.items():
        if tuple(elements[name].queryComponent().getExtents(pyatspi.WINDOW_COORDS)) != tuple(v // 15 for v in box):
            sys.exit(f"FAIL: {name} is not where the layout puts it")
    for name, lines in [("Selezionare le caselle con il mouse", 3), ("Tentativi :", 1), ("Secondi impiegati :", 1)]:
        x, y, w, h = (v // 15 for v in LAYOUT[name])  # the ink inside, stopping short of the right and bottom edges
        ink = ImageChops.difference(shot.crop((x, y, x + w, y + h)), Image.new("RGB", (w, h), shot.getpixel((0, 0))))
        ink = ink.getbbox()
        if not ink or ink[2] >= w - 1 or ink[3] >= h - 1 or ink[3] - ink[1] < 15 * (lines - 1):
            sys.exit(f"FAIL: {name} is cut off or not on {lines} lines")
    if len(sys.argv) > 2:
        shot.save(sys.argv[2])

    win.key("Return")
    wait("Enter on Ancora dealt no new game with the keyboard back on card 1",
         lambda: focused(cards[1]) and all(c.name.endswith("coperta") for c in cards.values()))
    heard.clear()
    win.click(*square(1, 32)[:2])
    said = wait("a click turned card 1 unheard, or left the ring",
                lambda: not rings(win.grab()) and [n for n in heard if n.startswith("Carta 1: ")])
    faces[1] = said[0].split(": ")[1]
    first = 1
    while face(first + 1, "Tab") == faces[first]:  # keys again, until a pair fails
        face(first := first + 2, "Tab")
    win.close()  # during that pair's pause
    if game.wait(5):
        sys.exit(f"FAIL: closed during a pause, the game exited with status {game.returncode}")
    print(f"ok: a whole game by keys, {seconds} s and {attempts} attempts; closed in a pause")
