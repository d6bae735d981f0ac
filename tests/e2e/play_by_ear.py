#!/usr/bin/python3
# A blind player's game: the real binary in a private X server, or natively on Wayland in
# a weston there, played with the keys and known only by what the screen reader Orca
# says. The screen is read for what a sighted player sees: the first frame, the ring
# around the card with the keyboard, the faces, the half-second pause and the results
# where the layout puts them. Then the game is closed again and again, during a pause
# too.
#   play_by_ear.py GAME x11|wayland [FINISHED.png]
import os, re, sys, time
import screen
from screen_reader import PATIENCE, Orca
from xsession import XSession, check, until

GAME, WAYLAND = sys.argv[1], sys.argv[2] == "wayland"
BUTTON = "(?:push )?button"  # Orca 43's word, and Orca 48's


def turned(pos):  # what Orca says as the card turns, not of the card with the keyboard ("... button.")
    return rf"(?:^|\. )Carta {pos}: ([^.]+)\.(?<!button\.)"


def starve(pid):  # as on a busy machine: the thread that Qt's Wayland plugin reads events with runs last
    threads = [int(t) for t in os.listdir(f"/proc/{pid}/task")]
    for thread in threads:
        os.sched_setaffinity(thread, {min(os.sched_getaffinity(0))})
        with open(f"/proc/{pid}/task/{thread}/comm") as name:
            if name.read().startswith("WaylandEventThr"):
                os.sched_setscheduler(thread, os.SCHED_IDLE, os.sched_param(0))


with XSession(accessibility=True, wayland=WAYLAND) as xs:
    orca = Orca(xs)
    game = xs.start([GAME])
    started = time.monotonic()
    win = xs.window("Pairon12")
    shown = time.monotonic()
    until("the first frame is not 24 face-down cards around a red X on the layout's grid",
          lambda: (win.width, win.height) == (524, 467) and screen.first_frame(win.grab()))

    win.focus()  # with no key pressed
    # The card with the keyboard and how the game is played: Orca 43 says the second as the
    # window's description, Orca 48 hears it announced after the card. (The window's own name
    # is Orca's to say as it sees fit: on Wayland Orca 48 now and then leaves it out.)
    orca.wait_for_each(r"^Frecce per spostarsi tra le carte, Spazio o Invio per girarle\.$",
                       rf"^Carta 1, coperta {BUTTON}\.$")
    check(not screen.rings(win.grab()), "the keyboard's ring shows before any key is used")

    # The neighbours four at a time while Orca is held up, as on a busy machine: each pair quick on
    # the keys, and the next turned only once it stays up, or after its pause. Let go, Orca says every
    # card, none lost to what the game said after it, and each pair's verdict with its second card.
    faces = {}
    for first in range(1, 24, 4):
        four = range(first, first + 4)
        orca.hold(True)
        for a in four[::2]:
            win.key(*["Tab"] * (a > 1), "space", "Tab", "space")
            until(f"cards {a} and {a + 1} show no faces", lambda: (s := win.grab())
                  and screen.shows_face(s, a) and screen.shows_face(s, a + 1))
            until(f"pair {a}-{a + 1} never settles", lambda: screen.settled(win.grab(), a, a + 1))
        orca.hold(False)
        said = orca.wait_for_each(*map(turned, four))
        faces |= {pos: words[1] for pos, words in zip(four, said)}
        for pos, words in zip(four[1::2], said[1::2]):
            verdict = "Coppia trovata." if faces[pos - 1] == faces[pos] else "Non fanno coppia."
            check(words.string.endswith(verdict), f"card {pos} ends a pair, but Orca said {words.string!r}")
        if faces[first + 2] != faces[first + 3]:
            orca.wait_for(r"^Le carte tornano coperte\.$")
    at, picks = 24, 24  # the card with the keyboard, the cards turned

    def go(pos):  # with the fewest keys: on from here, or from the first card or the last
        global at
        ways = [["Tab"] * (pos - at), ["Shift_L+Tab"] * (at - pos),
                ["Home"] + ["Tab"] * (pos - 1), ["End"] + ["Shift_L+Tab"] * (24 - pos)]
        win.key(*min((keys for keys in ways if keys), key=len))
        orca.wait_for(rf"^Carta {pos}, coperta {BUTTON}\.$")
        until(f"the ring is not on card {pos} alone", lambda: screen.rings(win.grab()) == [pos])
        at = pos

    def turn(pos, also=()):  # also: what else must be said with it, before or after
        global picks, pressed
        go(pos)
        pressed, picks = time.monotonic(), picks + 1
        win.key("space")
        until(f"card {pos} shows no face on its card's ground", lambda: screen.shows_face(win.grab(), pos))
        said = orca.wait_for_each(turned(pos), *also)[0].string
        ringed = "Secondi impiegati" not in said  # at the end "Ancora" has the keyboard
        until(f"card {pos} has a wrong ring", lambda: screen.has_ring(win.grab(), pos) == ringed)
        return said

    left = [(a, b) for a in range(1, 25) for b in range(a + 1, 25)
            if faces[b] == faces[a] and (a % 2 == 0 or b > a + 1)]
    for a, b in left:  # then the pairs that are left, from memory; at the last the keyboard goes on to Ancora
        turn(a)
        said = turn(b, also=[rf"^Ancora {BUTTON}\.$"] if (a, b) == left[-1] else [])
    finished = time.monotonic()

    results = re.search(r"Coppia trovata\. Secondi impiegati: (\d+)\. Tentativi: (\d+)\.$", said)
    check(results, f"the last pair said no results: {said!r}")
    seconds, attempts = int(results[1]), int(results[2])
    check(attempts == picks // 2 and int(pressed - shown) <= seconds <= finished - started,
          f"Orca said {seconds} s and {attempts} attempts after {picks} picks")
    if len(sys.argv) > 3:
        win.grab().save(sys.argv[3])
    win.key("Return")  # a new deal, for the first of the closes; Enter again turns its first card
    orca.wait_for(rf"^Carta 1, coperta {BUTTON}\.$")
    win.key("Return")
    # Seen, not only heard: a key that Qt holds for a slow screen reader would otherwise reach
    # the game after the clicks below, and show its ring after them.
    until("Enter again turned no first card", lambda: screen.shows_face(win.grab(), 1))
    orca.wait_for(turned(1))

    # The game closed twenty times, every other time while a failed pair is up, turned by clicks.
    for start in range(20):
        if start:
            game = xs.start([GAME])
            win = xs.window("Pairon12")
            until("the game came up with no grid", lambda: screen.grid_whole(win.grab()))
        if WAYLAND:
            starve(game.pid)
        for first in range(1, 24, 2) if start % 2 == 0 else []:  # told by the screen: a starved game
            win.click(*screen.centre(first))                      # may keep Orca waiting for its answers
            win.click(*screen.centre(first + 1))
            shot = until(f"cards {first} and {first + 1} clicked show no faces", lambda: (s := win.grab())
                         and screen.shows_face(s, first) and screen.shows_face(s, first + 1) and s)
            if shot.crop(screen.square(first, 6)) != shot.crop(screen.square(first + 1, 6)):  # a failed pair
                # Starved, Qt's Wayland plugin may show a frame in which a card keeps its old ring beside
                # the new face: the ring must be gone as the frames settle, well before the pause ends.
                until(f"game {start + 1}: a click left the keyboard's ring on",
                      lambda: not screen.rings(win.grab()), timeout=0.4)
                break
        win.close()  # as a player does; the game must end, with status 0
        check(game.wait(PATIENCE) == 0, f"close {start + 1} of 20: the game ended with {game.returncode}")
        while xs.find("Pairon12"):  # gone from the screen before the next one comes
            time.sleep(0.001)

print(f"ok: a whole game by ear, {seconds} s and {attempts} attempts; closed 20 times")
