#!/usr/bin/python3
# The Windows build as a Windows player meets it, under Wine in a fresh profile and a private X
# server: installed silently, its version record and its Qt's read, its version written into a
# file; then a whole game with the mouse in each colour scheme a player may choose (light, dark,
# High Contrast Black), with nothing but the game's window on the screen, the contrast of its
# words, lines and X measured, and a close that ends it; then uninstalled silently, leaving
# nothing behind. Each game is asked for UI Automation as a screen reader asks; where Wine logs
# the notifications a program raises (Wine 9 and later), each card turned must be announced in
# that log before the next. The keyboard and closes in a pause are the end-to-end test's.
#   play_under_wine.py PACKAGES      (where cpack put the zip and the installer)
import contextlib, glob, os, re, shutil, subprocess as sp, sys, tempfile, zipfile
import pefile
from Xlib import Xatom
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import screen
from player import play
from xsession import XSession, check, until

WINE = "/usr/lib/wine/wine64"
UIA = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/uiautomationcore.dll"
# Whether this Wine logs the UI Automation notifications a program raises: Wine 8 has no
# UiaRaiseNotificationEvent, so Qt finds nothing to call.
LOGS_NOTICES = b"UiaRaiseNotificationEvent" in open(UIA, "rb").read()
NOTICE = r'UiaRaiseNotificationEvent \(\w+, 4, 2, L"(.*?)", L""\)'  # as Wine 10 logs it
PERSONALIZE = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize"
# The player's choices, each made in the registry before the game starts, and whether the
# window is then dark: Windows' light mode, its dark mode, and "High Contrast Black", the
# system colours a player may choose for legibility's sake (Wine knows no high contrast
# switch, so the game sees them through Qt's palette).
HIGH_CONTRAST_BLACK = dict(ButtonFace="0 0 0", ButtonText="255 255 255", GrayText="63 242 63",
                           Window="0 0 0", WindowText="255 255 255", Hilight="26 235 255",
                           HilightText="0 0 0", Scrollbar="0 0 0")
LIGHT_MODE, DARK_MODE = (PERSONALIZE, "AppsUseLightTheme", "1"), (PERSONALIZE, "AppsUseLightTheme", "0")
SCHEMES = [("light", [LIGHT_MODE], False), ("dark", [DARK_MODE], True),
           ("High Contrast Black", [LIGHT_MODE] + [(r"HKCU\Control Panel\Colors", name, value)
                                                   for name, value in HIGH_CONTRAST_BLACK.items()], True)]


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

    core = pefile.PE(f"{home}/Qt6Core.dll").FileInfo[0][0].StringTable[0].entries[b"FileVersion"].decode()
    with open(f"{prefix}/version.txt", "w") as out:  # as a packager checks it, into a file
        sp.run([WINE, f"{home}/pairon12.exe", "--version"], stdout=out, check=True)
    check(open(f"{prefix}/version.txt").read().splitlines() == ["Pairon12 1.00"],
          "pairon12.exe --version wrote no version into the file it was sent to")

    # A program of its own to ask for UI Automation as a screen reader does.
    sp.run(["x86_64-w64-mingw32-gcc-posix", "-o", f"{prefix}/ask_for_uia.exe",
            os.path.join(os.path.dirname(__file__), "ask_for_uia.c")], check=True)
    for scheme, settings, dark in SCHEMES:
        for key, name, value in settings:
            wine("reg", "add", key, "/v", name, "/d", value, "/f")
        log = f"{prefix}/{scheme}.log"  # the game's, where Wine writes what it announces
        game = xs.start([WINE, f"{home}/pairon12.exe"], stderr=open(log, "w"),
                        env=os.environ | dict(WINEDEBUG="-all,fixme+uiautomation"))
        win = xs.window("Pairon12", 30)
        first = until(f"{scheme}: the first frame is not 24 face-down cards around a red X", lambda:
                      (win.width, win.height) == (524, 467) and screen.first_frame(s := win.grab()) and s, 20)
        wine(f"{prefix}/ask_for_uia.exe")
        ground = screen.ground(first)
        check(screen.dark(ground) == dark, f"{scheme}: the window is not {'dark' if dark else 'light'}")
        # Their names, where a console would be one (not Wine's own window of a pixel, off the screen).
        windows = [w.get_full_text_property(Xatom.WM_NAME) for w in xs.shown() if w.get_geometry().width > 1]
        check(windows == ["Pairon12"], f"{scheme}: windows beside the game's: {windows}")
        shot = play(win.click, win.grab, LOGS_NOTICES and (lambda: re.findall(NOTICE, open(log).read())))
        check(DARK_MODE not in settings or screen.dark(screen.results_ground(shot)),
              f"{scheme}: the results lie on Windows' classic light boxes in a dark window")
        lowest = screen.lowest_contrasts(first, shot)
        check(screen.legible(lowest), f"{scheme}: something does not read: {lowest}")
        win.close()  # Wine itself takes two seconds to end any program
        check(game.wait(5) == 0, f"{scheme}: closed, the game exited with status {game.returncode}")

    wine(f"{home}/Uninstall.exe", "/S")
    settle()  # the uninstaller goes on from a copy of itself
    left = [n for _, ds, fs in os.walk(f"{prefix}/drive_c") for n in ds + fs if "pairon12" in n.lower()]
    check(not left and "pairon12" not in registry(), f"the uninstaller left {left} or registry keys behind")
    print(f"ok: Qt {core}; installed; --version into a file; a whole game in each scheme; removed")
