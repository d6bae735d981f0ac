# What a player sees of the game's window, read from a screenshot of its client area
# (an RGB image). The layout is in twips, 15 to a pixel.
LAYOUT = {  # left, top, width, height of what lies around the grid
    "X": (3480, 3000, 975, 975), "instruction": (120, 2400, 1215, 1215),
    "Secondi impiegati :": (1560, 360, 2535, 375), "seconds": (4440, 360, 855, 375),
    "Tentativi :": (480, 6240, 1455, 375), "attempts": (2280, 6240, 615, 375),
    "Ancora": (4680, 6360, 1215, 375)}
WHITE, RED = (255, 255, 255), (255, 0, 0)


def box(name):  # left, top, right, bottom in pixels
    left, top, width, height = (v // 15 for v in LAYOUT[name])
    return left, top, left + width, top + height


def square(pos, inset=0):  # card 13 lies in the cell after the X's
    cell = pos + (pos > 12) - 1
    left, top = (1560 + 960 * (cell % 5)) // 15, (1080 + 960 * (cell // 5)) // 15
    return left + inset, top + inset, left + 65 - inset, top + 65 - inset


def centre(pos):
    left, top, right, bottom = square(pos)
    return (left + right) // 2, (top + bottom) // 2


def ground(shot):
    return shot.getpixel((0, 0))


def uniform(shot, area):
    return len(set(shot.crop(area).getdata())) == 1


def face_down(shot, pos):  # nothing but the card's ground inside the ring
    return uniform(shot, square(pos, 6))


def shows_face(shot, pos):  # a picture, on a transparent ground that lets the card's show through
    left, top, _, _ = square(pos)
    return not face_down(shot, pos) and shot.getpixel((left + 1, top + 1)) == ground(shot)


def luminance(pixel):
    linear = [c / 3295 if c <= 10 else ((c / 255 + 0.055) / 1.055) ** 2.4 for c in pixel]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast(a, b):
    return (max(luminance(a), luminance(b)) + 0.05) / (min(luminance(a), luminance(b)) + 0.05)


def has_ring(shot, pos):  # mid-side, two pixels inside the border that stand out 3:1, then one white
    left, top, right, bottom = square(pos)
    middle_x, middle_y = (left + right) // 2, (top + bottom) // 2
    for depth in (2, 3):
        for ring, white in [((left + depth, middle_y), (left + 4, middle_y)),
                            ((right - 1 - depth, middle_y), (right - 5, middle_y)),
                            ((middle_x, top + depth), (middle_x, top + 4)),
                            ((middle_x, bottom - 1 - depth), (middle_x, bottom - 5))]:
            if contrast(shot.getpixel(ring), ground(shot)) < 3 or shot.getpixel(white) != WHITE:
                return False
    return True


def rings(shot):
    return [pos for pos in range(1, 25) if has_ring(shot, pos)]


def new_deal(shot):  # every card face down, nothing above or below the grid
    around = [(0, 0, 524, 72), (0, 393, 524, 467), (103, 72, 104, 393), (425, 72, 426, 393)]
    return all(face_down(shot, pos) for pos in range(1, 25)) and all(uniform(shot, area) for area in around)


def first_frame(shot):  # a new deal in unbroken borders around a red X, and no ring yet
    def dark(x, y):
        return max(shot.getpixel((x, y))) < 80

    for line in range(6):
        for along in range(321):
            if not dark(104 + 64 * line, 72 + along) or not dark(104 + along, 72 + 64 * line):
                return False
    reds = list(shot.crop(box("X")).getdata()).count(RED)
    return reds > 300 and new_deal(shot) and all(uniform(shot, square(pos, 1)) for pos in range(1, 25))


def fills(shot, name):  # drawn right up to the edges of its box, and not a pixel beyond
    left, top, right, bottom = box(name)
    outside = [(left - 1, top - 1, right + 1, top), (left - 1, bottom, right + 1, bottom + 1),
               (left - 1, top, left, bottom), (right, top, right + 1, bottom)]
    edges = [((left + right) // 2, top), ((left + right) // 2, bottom - 1),
             (left, (top + bottom) // 2), (right - 1, (top + bottom) // 2)]
    return (all(uniform(shot, area) and shot.getpixel(area[:2]) == ground(shot) for area in outside)
            and all(shot.getpixel(edge) != ground(shot) for edge in edges))


def caption_whole(shot, name, lines):  # its ink stops short of the box's right and bottom edges
    left, top, right, bottom = box(name)
    inked = [(x, y) for y in range(top, bottom) for x in range(left, right)
             if shot.getpixel((x, y)) != ground(shot)]
    return (inked and max(x for x, _ in inked) < right - 1 and max(y for _, y in inked) < bottom - 1
            and max(y for _, y in inked) - min(y for _, y in inked) > 15 * (lines - 1))
