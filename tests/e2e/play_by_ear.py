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
from screen_reader import Orca
from xsession import XSession, check, until

GAME, WAYLAND = sys.argv[1], sys.argv[2] == "wayland"
SLOW = float(os.environ.get("PAIRON12_SLOWDOWN", "1"))  # how much slower a sanitizer build runs



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

    at, faces, picks = 1, {}, 0  # the card with the keyboard, the faces heard, the cards turned

    def go(pos):  # with the fewest keys: on from here, or from the first card or the last
        global at
        if pos != at:
            ways = [["Tab"] * (pos - at), ["Shift_L+Tab"] * (at - pos),
                    ["Home"] + ["Tab"] * (pos - 1), ["End"] + ["Shift_L+Tab"] * (24 - pos)]
            win.key(*min((keys for keys in ways if keys), key=len))
            orca.wait_for(rf"^Carta {pos}, coperta {BUTTON}\.$")
            until(f"the ring is not on card {pos} alone", lambda: screen.rings(win.grab()) == [pos])
            at = pos

    def heard(*cards, also=()):  # the cards' faces on screen, seen before a failed pair's half second is
        # out, not after Orca's words; then each face as Orca says it, maybe in one breath, and what else it
        # said with the last; also: what else must be said with them, before or after
        until(f"cards {cards} show no faces on their own cards' ground",
              lambda: (shot := win.grab()) and all(screen.shows_face(shot, pos) for pos in cards))
        found = orca.wait_for_each(*map(turned, cards), *also, timeout=SLOW)
        for pos, said in zip(cards, found):
            faces[pos] = said[1]
            ringed = pos == at and "Secondi impiegati" not in said.string  # at the end, Ancora's
            until(f"card {pos} has a wrong ring", lambda: screen.has_ring(win.grab(), pos) == ringed)
        return found[len(cards) - 1].string

    def turn(pos, also=()):
        global picks, pressed
        go(pos)
        pressed, picks = time.monotonic(), picks + 1
        win.key("space")
        return heard(pos, also=also)

    for first in range(1, 24, 2):  # neighbours first, quick on the keys: both turned before Orca speaks
        go(first)
        pressed, picks, at = time.monotonic(), picks + 2, first + 1
        win.key("space", "Tab", "space")
        said = heard(first, first + 1)
        if faces[first] == faces[first + 1]:
            check(said.endswith("Coppia trovata."), f"a pair was found, but Orca said {said!r}")
            continue
        check(said.endswith("Non fanno coppia."), f"a pair failed, but Orca said {said!r}")
        orca.wait_for(r"^Le carte tornano coperte\.$", timeout=2 * SLOW)
        until("a failed pair never turned back",
              lambda: screen.face_down(shot := win.grab(), first) and screen.face_down(shot, first + 1))
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
            if shot.crop(screen.square(first)) != shot.crop(screen.square(first + 1)):  # a failed pair
                check(not screen.rings(shot), "a click left the keyboard's ring on")
                break
        win.close()  # as a player does; the game must be gone a second later, with status 0
        check(game.wait(SLOW) == 0, f"close {start + 1} of 20: the game exited with status {game.returncode}")
        while xs.find("Pairon12"):  # gone from the screen before the next one comes
            time.sleep(0.001)

print(f"ok: a whole game by ear, {seconds} s and {attempts} attempts; closed 20 times")
