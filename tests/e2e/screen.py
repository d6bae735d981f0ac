# What a player sees of the game's window, read from a screenshot of its client area
# (an RGB image). The layout is in twips, 15 to a pixel.
LAYOUT = {"X": (3480, 3000, 975, 975), "instruction": (120, 2400, 1215, 1215),  # left, top, width, height
          "seconds caption": (1560, 360, 2535, 375), "seconds": (4440, 360, 855, 375),
          "attempts caption": (480, 6240, 1455, 375), "attempts": (2280, 6240, 615, 375)}
RED, RING, WHITE = (255, 0, 0), (0x1A, 0x3F, 0x9C), (255, 255, 255)


def box(name, inset=0):  # left, top, right, bottom in pixels
    left, top, width, height = (v // 15 for v in LAYOUT[name])
    return left + inset, top + inset, left + width - inset, top + height - inset


def square(pos, inset=0):  # card 13 lies in the cell after the X's
    cell = pos + (pos > 12) - 1
    left, top = 104 + 64 * (cell % 5), 72 + 64 * (cell // 5)
    return left + inset, top + inset, left + 65 - inset, top + 65 - inset


def centre(pos):
    return square(pos, 32)[:2]


def ground(shot):
    return shot.getpixel((0, 0))


def uniform(shot, area):
    return len(set(shot.crop(area).getdata())) == 1


def face_down(shot, pos):  # nothing but the card's ground inside the ring
    return uniform(shot, square(pos, 6))


def shows_face(shot, pos):  # a picture, on a transparent ground that lets the card's show through
    left, top, _, _ = square(pos)
    return not face_down(shot, pos) and shot.getpixel((left + 1, top + 1)) == ground(shot)


def settled(shot, a, b):  # a pair just turned: found, both faces stay; failed, both turn back
    found = shows_face(shot, b) and shot.crop(square(a, 6)) == shot.crop(square(b, 6))
    return found or face_down(shot, a) and face_down(shot, b)


def has_ring(shot, pos):  # halfway along each side, two pixels of dark blue inside the border, then white
    left, top, right, bottom = square(pos)
    x, y = centre(pos)
    inwards = [((left + 2, y), (1, 0)), ((right - 3, y), (-1, 0)),
               ((x, top + 2), (0, 1)), ((x, bottom - 3), (0, -1))]
    return all([shot.getpixel((x + dx * depth, y + dy * depth)) for depth in range(3)] == [RING, RING, WHITE]
               for (x, y), (dx, dy) in inwards)


def rings(shot):
    return [pos for pos in range(1, 25) if has_ring(shot, pos)]


def new_deal(shot):  # every card face down, nothing above or below the grid
    around = [(0, 0, 524, 72), (0, 393, 524, 467), (103, 72, 104, 393), (425, 72, 426, 393)]
    return all(face_down(shot, pos) for pos in range(1, 25)) and all(uniform(shot, area) for area in around)


def grid_whole(shot):  # six lines each way, unbroken where they cross
    pixels, blank = shot.load(), ground(shot)
    return all(blank not in (pixels[104 + along, 72 + 64 * line], pixels[104 + 64 * line, 72 + along])
               for line in range(6) for along in range(321))


def first_frame(shot):  # a new deal in its grid around a red X, and no ring yet
    reds = list(shot.crop(box("X")).getdata()).count(RED)
    return reds > 300 and grid_whole(shot) and new_deal(shot) and not rings(shot)


def contrast(a, b):  # of two RGB colours, from their relative luminance as the web's guidelines reckon it
    def luminance(rgb):
        linear = [v / 3294.6 if v <= 10 else ((v / 255 + 0.055) / 1.055) ** 2.4 for v in rgb]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2] + 0.05
    return max(luminance(a), luminance(b)) / min(luminance(a), luminance(b))


def dark(colour):  # one that white stands out from more than black does
    return contrast(colour, WHITE) > contrast(colour, (0, 0, 0))


def ink(shot, area, on):  # the contrast of what is drawn in an area against its ground: of the
    # colour that stands out most, the text's own where the rest is its smoothed edges
    return max(contrast(colour, on) for colour in set(shot.crop(area).getdata()))


def results_ground(shot):  # inside the seconds' box, by its right edge
    left, top, right, bottom = box("seconds")
    return shot.getpixel((right - 4, (top + bottom) // 2))


def lowest_contrasts(first, last):  # of the words on a first and a last frame, the lines and the X
    ground_, track = ground(first), results_ground(last)
    results = [box(name) for name in ("seconds", "attempts")]
    captions = [ink(first, box("instruction"), ground_)] + [
        ink(last, box(name), ground_) for name in ("seconds caption", "attempts caption")]
    return dict(captions=min(captions), results=min(ink(last, area, track) for area in results),
                lines=contrast(last.getpixel(square(1)[:2]), ground_),
                X=ink(last, box("X", inset=3), ground_))


def legible(lowest):  # text at 4.5 : 1, lines and the X at 3 : 1, the web's guidelines' thresholds
    return min(lowest["captions"], lowest["results"]) >= 4.5 and min(lowest["lines"], lowest["X"]) >= 3
