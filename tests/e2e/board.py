# The board as the screen shows it, for the tests that play the real game.
import sys


def check(ok, what):
    ok or sys.exit(f"FAIL: {what}")


def square(pos, inset=0):
    cell = pos + (pos > 12) - 1  # the X takes the middle cell
    x, y = (1560 + 960 * (cell % 5)) // 15, (1080 + 960 * (cell // 5)) // 15
    return x + inset, y + inset, x + 975 // 15 - inset, y + 975 // 15 - inset


def plain(shot, pos, inset=6):  # no face: nothing but the button face in the square, within the ring
    return len(set(shot.crop(square(pos, inset)).getdata())) == 1


def first_frame_right(shot):  # 24 plain squares in their borders, the X, the instruction, nothing else
    dark = lambda x, y: max(shot.getpixel((x, y))) < 80
    around = [(0, 0, 524, 72), (0, 393, 524, 467), (103, 72, 104, 393), (425, 72, 426, 393)]
    return (all(dark(104 + 64 * k, 72 + i) and dark(104 + i, 72 + 64 * k)
                for k in range(6) for i in range(321))
            and all(plain(shot, p, 1) for p in range(1, 25))
            and all(len(set(shot.crop(box).getdata())) == 1 for box in around)
            and sum(p == (255, 0, 0) for p in shot.crop((232, 200, 297, 265)).getdata()) > 300)
