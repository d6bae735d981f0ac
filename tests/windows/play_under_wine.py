#!/usr/bin/python3
# The Windows build as a Windows player meets it, under Wine in a fresh profile and a private X
# server: installed silently, its version record read, a whole game by clicks known only from
# the screen, then uninstalled silently, leaving nothing behind.
#   play_under_wine.py PACKAGES [FINISHED.png]    (PACKAGES: cpack's zip and installer)
import contextlib, glob, io, os, subprocess as sp, sys, tempfile, time, zipfile
import pefile
from PIL import Image, ImageOps
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import screen
from xsession import XSession, check, until

WINE = "/usr/lib/wine/wine64"



def number(shot, name):  # a results box read by OCR: its digits black on white, magnified
    left, top, right, bottom = screen.box(name)
    digits = shot.crop((left + 3, top + 3, right - 3, bottom - 3)).convert("L")
    digits = digits.resize((3 * digits.width, 3 * digits.height), Image.LANCZOS)
    png = io.BytesIO()
    ImageOps.expand(digits.point(lambda v: 255 * (v > 175)), 20, 255).save(png, "PNG")
    ocr = sp.run(["tesseract", "stdin", "stdout", "--psm", "7", "-c", "tessedit_char_whitelist=0123456789"],
                 input=png.getvalue(), capture_output=True, check=True)
    return int(ocr.stdout.strip() or -1)


(installer,), (archive,) = (glob.glob(f"{sys.argv[1]}/pairon12-*.{kind}") for kind in ("exe", "zip"))
with tempfile.TemporaryDirectory(prefix="wine-") as prefix, XSession() as xs, contextlib.ExitStack() as end:
    # No .NET or browser engine to offer, and no menu entries, file types or server directory left
    # outside the profile.
    os.environ |= dict(WINEPREFIX=prefix, WINEDEBUG="-all", TMPDIR=prefix,
                       WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    os.environ.pop("QT_QPA_PLATFORM")  # Wine hands the environment on, and this names Linux's plugin
    wine = lambda *argv: sp.run([WINE, *argv], check=True, capture_output=True)
    settle = lambda: sp.run(["/usr/lib/wine/wineserver", "-w"], check=True)  # all ended, registry saved
    end.callback(sp.run, ["/usr/lib/wine/wineserver", "-k"])  # whatever happens, before the profile goes
    registry = lambda: "".join(open(f"{prefix}/{hive}.reg").read().lower() for hive in ("system", "user"))
    wine("wineboot", "--init")
    # A fresh profile has no Arial, which Windows would give the game, and draws serif instead.
    wine("reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", "Arial", "/d", "Liberation Sans", "/f")
    wine(installer, "/S")
    settle()
    home = f"{prefix}/drive_c/Program Files/Pairon12"
    with zipfile.ZipFile(archive) as z:
        zipped = {name.split("/", 1)[1] for name in z.namelist() if not name.endswith("/")}
    check({os.path.relpath(f"{d}/{f}", home) for d, _, files in os.walk(home) for f in files}
          == zipped | {"Uninstall.exe"} and r"uninstall\\pairon12]" in registry() and os.path.isfile(
              f"{prefix}/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pairon12/Pairon12.lnk"),
          "the installer did not put the zip's folder, a Start menu entry and an uninstaller in place")

    pe = pefile.PE(f"{home}/pairon12.exe")
    (strings, variables), v = pe.FileInfo[0], pe.VS_FIXEDFILEINFO[0]
    (table,), language = strings.StringTable, variables.Var[0].entry
    check((table.LangID.lower(), language, table.entries[b"FileVersion"], table.entries[b"ProductVersion"],
           v.FileVersionMS, v.FileVersionLS, v.ProductVersionMS, v.ProductVersionLS, v.FileType)
          == (b"041004b0", {b"Translation": "0x0410 0x04b0"}, b"1.00", b"1.00", 0x10000, 0, 0x10000, 0, 1)
          and pefile.RESOURCE_TYPE["RT_GROUP_ICON"] in [e.id for e in pe.DIRECTORY_ENTRY_RESOURCE.entries],
          "the program file lacks its icon, or its version record: Italian, Unicode, 1.00, 1.0.0.0, "
          "an application")

    started = time.monotonic()
    game = xs.start([WINE, f"{home}/pairon12.exe"])
    win, shown = xs.window("Pairon12", 30), time.monotonic()
    until("the first frame is not 24 face-down cards around a red X on the layout's grid",
          lambda: (win.width, win.height) == (524, 467) and screen.first_frame(win.grab()), 20)
    faces, turns = {}, 0

    def turn(pos):  # a click, and the card's face as its pixels once on screen
        global turns, clicked
        clicked, turns = time.monotonic(), turns + 1
        win.click(*screen.centre(pos))
        shot = until(f"card {pos} shows no face", lambda: screen.shows_face(s := win.grab(), pos) and s)
        faces[pos] = shot.crop(screen.square(pos, 6)).tobytes()
        return faces[pos]

    for first in range(1, 24, 2):  # neighbours first; a failed pair timed from its click until face down
        if turn(first) != turn(first + 1):
            until("a failed pair stayed up", lambda: screen.face_down(s := win.grab(), first)
                  and screen.face_down(s, first + 1))
            check(0.5 <= (up := time.monotonic() - clicked) < 2, f"a failed pair stayed up {up:.3f} s")
    for a, b in [(a, b) for a in range(1, 25) for b in range(a + 1, 25) if faces[a] == faces[b]]:
        if a % 2 == 0 or b > a + 1:  # then the pairs that are left, from memory
            turn(a), turn(b)
    finished = time.monotonic()
    until("no results at the end", lambda: not screen.uniform(win.grab(), screen.box("attempts")))
    shot = win.grab()
    seconds, attempts = number(shot, "seconds"), number(shot, "attempts")
    check(attempts == turns // 2 and int(clicked - shown) <= seconds <= finished - started,
          f"the results read {seconds} s and {attempts} attempts after {turns} cards turned")
    if len(sys.argv) > 2:
        shot.save(sys.argv[2])
    win.click(*(v + 5 for v in screen.box("Ancora")[:2]))
    until("Ancora dealt no new game", lambda: screen.new_deal(win.grab()))
    first = 1
    while turn(first) == turn(first + 1):  # until a pair fails
        first += 2
    win.close()  # during that pair's pause; Wine itself takes two seconds to end any program
    check(game.wait(5) == 0, f"closed during a pause, the game exited with status {game.returncode}")

    wine(f"{home}/Uninstall.exe", "/S")
    settle()  # the uninstaller goes on from a copy of itself
    left = [n for _, ds, fs in os.walk(f"{prefix}/drive_c") for n in ds + fs if "pairon12" in n.lower()]
    check(not left and "pairon12" not in registry(), f"the uninstaller left {left} or registry keys behind")
    print(f"ok: installed; a game by clicks, {seconds} s, {attempts} attempts; closed in a pause; removed")
