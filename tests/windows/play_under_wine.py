#!/usr/bin/python3
# The Windows build as a Windows player meets it, under Wine in a fresh profile and a private X
# server: installed silently, its version record read, its first frame in the player's high
# contrast colours and a card turned, seen on the screen, closed, then uninstalled silently,
# leaving nothing behind. The rest of a game is the same code on every platform, played to its
# end, paused and closed in its pauses by the end-to-end test.
#   play_under_wine.py PACKAGES [SHOT.png]    (PACKAGES: cpack's zip and installer)
import contextlib, glob, os, shutil, subprocess as sp, sys, tempfile, zipfile
import pefile
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import screen
from xsession import XSession, check, until

WINE = "/usr/lib/wine/wine64"
# Windows' "High Contrast Black", the system colours a player may choose for legibility's sake.
HIGH_CONTRAST_BLACK = dict(ButtonFace="0 0 0", ButtonText="255 255 255", GrayText="63 242 63",
                           Window="0 0 0", WindowText="255 255 255", Hilight="26 235 255",
                           HilightText="0 0 0", Scrollbar="0 0 0")

(installer,), (archive,) = (glob.glob(f"{sys.argv[1]}/pairon12-*.{kind}") for kind in ("exe", "zip"))
with tempfile.TemporaryDirectory(prefix="wine-") as prefix, XSession() as xs, contextlib.ExitStack() as end:
    # No .NET or browser engine to offer, and no menu entries or file types left outside the profile.
    os.environ |= dict(WINEPREFIX=prefix, WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    os.environ.pop("QT_QPA_PLATFORM")  # Wine hands the environment on, and this names Linux's plugin
    # Debian 13's Wine aborts at start ("free(): invalid pointer") whenever TMPDIR is set, to
    # anything; so its server's folder goes to /tmp, named in the profile, and is taken away here.
    os.environ.pop("TMPDIR", None)
    named = f"{prefix}/wineserver"
    end.callback(lambda: os.path.exists(named) and shutil.rmtree(f"/tmp/{open(named).read().strip()}"))
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

    for name, colour in HIGH_CONTRAST_BLACK.items():
        wine("reg", "add", r"HKCU\Control Panel\Colors", "/v", name, "/d", colour, "/f")
    game = xs.start([WINE, f"{home}/pairon12.exe"])
    win = xs.window("Pairon12", 30)
    shot = until("the first frame is not 24 face-down cards around a red X on the layout's grid", lambda:
                 (win.width, win.height) == (524, 467) and screen.first_frame(s := win.grab()) and s, 20)
    check(shot.getpixel((0, 0)) == (0, 0, 0) and shot.getpixel((104, 100)) == (255, 255, 255)
          and (63, 242, 63) in shot.crop(screen.box("instruction")).getdata(),
          "not in the player's colours: a black ground, white lines, the caption in greyed text's green")

    win.click(*screen.centre(1))
    until("a click turned no card, or not with its face on the card's own ground",
          lambda: screen.shows_face(win.grab(), 1))
    if len(sys.argv) > 2:
        win.grab().save(sys.argv[2])
    win.close()  # Wine itself takes two seconds to end any program
    check(game.wait(5) == 0, f"closed, the game exited with status {game.returncode}")

    wine(f"{home}/Uninstall.exe", "/S")
    settle()  # the uninstaller goes on from a copy of itself
    left = [n for _, ds, fs in os.walk(f"{prefix}/drive_c") for n in ds + fs if "pairon12" in n.lower()]
    check(not left and "pairon12" not in registry(), f"the uninstaller left {left} or registry keys behind")
    print("ok: installed; the first frame in high contrast; a card turned; closed; removed")
