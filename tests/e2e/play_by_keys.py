#!/usr/bin/python3
# The real game in a private X server, played with keys alone and known only by what a
# screen reader hears over the accessibility bus; the screen is read where only it can tell.
#   play_by_keys.py GAME [FINISHED.png]
import re, sys, time
from PIL import Image, ImageChops
from board import check, first_frame_right, plain, square
from xsession import XSession


def wait(what, done, timeout=5):
    deadline = time.monotonic() + timeout
    while not (result := done()):
        check(time.monotonic() < deadline, what)
        GLib.MainContext.default().iteration(False)  # the bus's events arrive with the main loop
    return result


# The layout, in twips, 15 to a pixel: the card grid of 975-twip squares on a 960 pitch, and around it
LAYOUT = {"X, centro del tavolo": (3480, 3000, 975, 975), "Selezionare le caselle con il mouse": (120, 2400, 1215, 1215),
          "Secondi impiegati :": (1560, 360, 2535, 375), "Secondi impiegati": (4440, 360, 855, 375),
          "Tentativi :": (480, 6240, 1455, 375), "Tentativi": (2280, 6240, 615, 375), "Ancora": (4680, 6360, 1215, 375)}


def lum(pixel):
    return 0.05 + sum(w * (c / 3295 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4)
                      for w, c in zip((0.2126, 0.7152, 0.0722), pixel))


def rings(shot):  # mid-side, two pixels inside the border stand out 3:1 from the ground, then one white
    return [p for p in range(1, 25) for x, y, _, _ in [square(p)] if all(
        lum(shot.getpixel((0, 0))) / lum(shot.getpixel(a)) >= 3 and shot.getpixel(b) == (255, 255, 255)
        for d in (2, 3) for a, b in [((x + d, y + 32), (x + 4, y + 32)), ((x + 64 - d, y + 32), (x + 60, y + 32)),
                                     ((x + 32, y + d), (x + 32, y + 4)), ((x + 32, y + 64 - d), (x + 32, y + 60))])]


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
    check(sorted(cards) == list(range(1, 25)) and all(e.getRoleName() == "push button" and not e.description and
                                                      e.name == f"Carta {p}, coperta" for p, e in cards.items()),
          "the 24 cards are not 24 buttons that name nothing but their number")
    focused = lambda e: e.getState().contains(pyatspi.STATE_FOCUSED)
    win.key("Shift_L")  # the window takes the keyboard, but no key that moves or turns a card is pressed
    wait("the window gives card 1 no keyboard", lambda: focused(cards[1]))
    time.sleep(0.2)
    check(not rings(win.grab()), "the keyboard's ring shows before any key is used")
    for key, pos in [("Left", 1), ("Up", 1), ("Down", 6), ("Down", 11), ("Right", 12), ("Right", 13), ("Left", 12),
                     ("Up", 7), ("Right", 8), ("Down", 17), ("Up", 8), ("End", 24), ("Right", 24), ("Down", 24),
                     ("Tab", 1), ("Shift_L+Tab", 24), ("Home", 1)]:
        win.key(key)
        wait(f"{key} did not take the keyboard and its ring to card {pos}",
             lambda: focused(cards[pos]) and rings(win.grab()) == [pos])
    faces, picks = {}, 0

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
    for first in range(1, 24, 2):  # neighbours first; a failed pair is timed from its key until it turns back
        if turn(first) != turn(first + 1):
            seen = time.monotonic()
            wait("a failed pair never turned back", lambda: all(plain(s, p) for s in [win.grab()] for p in (first, first + 1)))
            check(0.5 <= time.monotonic() - pressed < seen - pressed + 1.5,
                  f"a failed pair stayed up {time.monotonic() - pressed:.3f} s")
    for a, b in [(a, b) for a in range(1, 25) for b in range(a + 1, 25) if faces[a] == faces[b]]:
        if a % 2 == 0 or b > a + 1:  # then the pairs that are left, from memory
            turn(a), turn(b)
    finished = time.monotonic()
    wait("the keyboard is not on Ancora at the end", lambda: focused(elements["Ancora"]))
    shot = win.grab()
    seconds, attempts = (int(elements[n].queryText().getText(0, -1)) for n in ("Secondi impiegati", "Tentativi"))
    check(attempts == picks // 2 and int(pressed - shown) <= seconds <= finished - started,
          f"the results read {seconds} s and {attempts} attempts after {picks} picks")
    for name, box in LAYOUT.items():
        check(tuple(elements[name].queryComponent().getExtents(pyatspi.WINDOW_COORDS)) == tuple(v // 15 for v in box),
              f"{name} is not where the layout puts it")
    for name, lines in [("Selezionare le caselle con il mouse", 3), ("Tentativi :", 1), ("Secondi impiegati :", 1)]:
        x, y, w, h = (v // 15 for v in LAYOUT[name])  # the ink inside, stopping short of the right and bottom edges
        ink = ImageChops.difference(shot.crop((x, y, x + w, y + h)), Image.new("RGB", (w, h), shot.getpixel((0, 0))))
        left, top, right, bottom = ink.getbbox() or (0, 0, w, h)
        check(right < w - 1 and bottom < h - 1 and bottom - top > 15 * (lines - 1),
              f"{name} cut off, or not on {lines} lines")
    if len(sys.argv) > 2:
        shot.save(sys.argv[2])

    win.key("Return")
    wait("Enter on Ancora dealt no new game with the keyboard back on card 1",
         lambda: focused(cards[1]) and all(c.name.endswith("coperta") for c in cards.values()))
    win.click(*square(1, 32)[:2])
    faces[1] = wait("a click turned card 1 unheard, or left the ring",
                    lambda: not rings(win.grab()) and [n for n in heard if n.startswith("Carta 1: ")])[0].split(": ")[1]
    first = 1
    while face(first + 1, "Tab") == faces[first]:  # keys again, until a pair fails
        face(first := first + 2, "Tab")
    win.close()  # during that pair's pause
    check(game.wait(5) == 0, f"closed during a pause, the game exited with status {game.returncode}")
    print(f"ok: a whole game by keys, {seconds} s and {attempts} attempts; closed in a pause")
