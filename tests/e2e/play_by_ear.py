#!/usr/bin/python3
# A blind player's game: the real binary in a private X server, played with the keys
# and known only by what the screen reader Orca says. The screen is read for what a
# sighted player sees: the first frame, the ring around the card with the keyboard,
# the faces, the half-second pause and the results where the layout puts them.
#   play_by_ear.py GAME [FINISHED.png]
import re, sys, time
from Xlib import X
import screen
from screen_reader import Orca
from xsession import XSession


def check(ok, what):
    ok or sys.exit(f"FAIL: {what}")


def turned(pos):  # what Orca says as the card turns, not as the keyboard reaches it ("... push button.")
    return rf"^Carta {pos}: ([^.]+)\.(?<!push button\.)"


def until(what, done, timeout=5):
    deadline = time.monotonic() + timeout
    while not (result := done()):
        check(time.monotonic() < deadline, what)
        time.sleep(0.005)
    return result


with XSession(accessibility=True) as xs:
    orca = Orca(xs)
    game = xs.start([sys.argv[1]])
    started = time.monotonic()
    win = xs.window("Pairon12")
    shown = time.monotonic()
    until("the first frame is not 24 face-down cards around a red X on the layout's grid",
          lambda: (win.width, win.height) == (524, 467) and screen.first_frame(win.grab()))

    # The window takes the keyboard as a window manager gives it, with no key pressed.
    win.w.set_input_focus(X.RevertToParent, X.CurrentTime)
    xs.d.sync()
    orca.wait_for(r"^Pairon12\.$")
    orca.wait_for(r"^Frecce per spostarsi tra le carte, Spazio o Invio per girarle\.$")
    orca.wait_for(r"^Carta 1, coperta push button\.$")
    check(not screen.rings(win.grab()), "the keyboard's ring shows before any key is used")

    at = 1  # the card with the keyboard

    def move(keys, pos):
        global at
        win.key(*keys)
        orca.wait_for(rf"^Carta {pos}[,:] ")
        until(f"{keys} rang card {pos} on screen", lambda: screen.rings(win.grab()) == [pos])
        at = pos

    for key, pos in [("Left", 1), ("Up", 1), ("Down", 6), ("Down", 11), ("Right", 12), ("Right", 13),
                     ("Left", 12), ("Up", 7), ("Right", 8), ("Down", 17), ("Up", 8), ("End", 24),
                     ("Right", 24), ("Down", 24), ("Tab", 1), ("Shift_L+Tab", 24), ("Home", 1)]:
        if pos == at:  # nowhere to go: the keyboard stays, and nothing is said
            win.key(key)
        else:
            move([key], pos)
    faces, picks = {}, 0

    def turn(pos):  # goes to the card, turns it, and hears its face; what else was said with it
        global picks, pressed
        if pos != at:
            move(["Tab"] * (pos - at) if pos > at else ["Home"] + ["Tab"] * (pos - 1), pos)
        pressed, picks = time.monotonic(), picks + 1
        win.key("space")
        heard = orca.wait_for(turned(pos), timeout=1)
        faces[pos] = heard[1]
        game_over = "Secondi impiegati" in heard.string  # the keyboard, and its ring, then go to Ancora
        until(f"card {pos} shows no face in its ring, on its own card's ground",
              lambda: screen.shows_face(shot := win.grab(), pos) and screen.has_ring(shot, pos) != game_over)
        return heard.string

    def failed_pair_turns_back(first, second):  # seen for half a second, then heard and seen face down
        orca.wait_for(r"^Le carte tornano coperte\.$", timeout=2)
        until("a failed pair never turned back",
              lambda: screen.face_down(shot := win.grab(), first) and screen.face_down(shot, second))
        shown_for = time.monotonic() - pressed
        check(0.5 <= shown_for < 1, f"a failed pair stayed up {shown_for:.3f} s")

    for first in range(1, 24, 2):  # neighbours first
        turn(first)
        heard = turn(first + 1)
        if faces[first] == faces[first + 1]:
            check(heard.endswith("Coppia trovata."), f"a pair was found, but Orca said {heard!r}")
        else:
            check(heard.endswith("Non fanno coppia."), f"a pair failed, but Orca said {heard!r}")
            failed_pair_turns_back(first, first + 1)
    for a in range(1, 25):  # then the pairs that are left, from memory
        b = next(b for b in range(1, 25) if b != a and faces[b] == faces[a])
        if a < b and (a % 2 == 0 or b > a + 1):
            turn(a)
            heard = turn(b)
    finished = time.monotonic()

    results = re.search(r"Coppia trovata\. Secondi impiegati: (\d+)\. Tentativi: (\d+)\.$", heard)
    check(results, f"the last pair said no results: {heard!r}")
    seconds, attempts = int(results[1]), int(results[2])
    check(attempts == picks // 2 and int(pressed - shown) <= seconds <= finished - started,
          f"Orca said {seconds} s and {attempts} attempts after {picks} picks")
    orca.wait_for(r"^Ancora push button\.$")
    shot = win.grab()
    for name in ("seconds", "attempts", "Ancora"):
        check(screen.fills(shot, name), f"{name} is not where the layout puts it")
    for name, lines in [("instruction", 3), ("Tentativi :", 1), ("Secondi impiegati :", 1)]:
        check(screen.caption_whole(shot, name, lines), f"{name} cut off, or not on {lines} lines")
    if len(sys.argv) > 2:
        shot.save(sys.argv[2])

    win.key("Return")
    orca.wait_for(r"^Carta 1, coperta push button\.$")
    until("Enter on Ancora dealt no new game", lambda: screen.new_deal(win.grab()))

    # Now with the mouse, until a pair fails; closing the window during its pause ends the game.
    first = 1
    while True:
        win.click(*screen.centre(first))
        orca.wait_for(turned(first))
        win.click(*screen.centre(first + 1))
        if orca.wait_for(turned(first + 1)).string.endswith("Non fanno coppia."):
            break
        first += 2
    check(not screen.rings(win.grab()), "a click left the keyboard's ring on")
    win.close()
    check(game.wait(1) == 0, f"closed during a pause, the game exited with status {game.returncode}")
    print(f"ok: a whole game by ear, {seconds} s and {attempts} attempts; closed in a pause")
