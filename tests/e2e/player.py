# A sighted player's whole game, with a pointer: each face learnt as it shows, each pair
# seen twice turned from memory. Shared by every build that a pointer plays.
import re
import screen
from xsession import until


def play(click, grab, notices=None):  # the last frame
    # click(x, y) and grab() in the window's pixels; notices(): what the game has announced so
    # far, where it can be heard, each card turned announced before the next.
    def turn(pos):
        before = len(notices()) if notices else 0
        click(*screen.centre(pos))
        shot = until(f"a click on card {pos} showed no face on its card's ground",
                     lambda: screen.shows_face(s := grab(), pos) and s)
        until(f"card {pos} turned unannounced", lambda: not notices or any(
            re.match(rf"(.*\. )?Carta {pos}: [^.]+\.", notice) for notice in notices()[before:]))
        return shot.crop(screen.square(pos, 6)).tobytes()  # inside the keyboard's ring

    unseen, known = list(range(1, 25)), {}  # known: the faces seen and turned back
    while unseen or known:  # a pair seen in two failed ones first, else a card not seen yet
        twins = [p for p in known if list(known.values()).count(known[p]) == 2]
        a = twins[0] if twins else unseen.pop(0)
        face = turn(a)
        known.pop(a, None)
        b = next((p for p in known if known[p] == face), None) or unseen.pop(0)
        other = turn(b)
        known.pop(b, None)
        until("a failed pair was not turned back", lambda: screen.settled(grab(), a, b))
        if other != face:
            known |= {a: face, b: other}
    return until("no results after the last pair",
                 lambda: not screen.uniform(s := grab(), screen.box("attempts")) and s)
