#!/usr/bin/python3
# The web build as a player meets it, served with a host's headers, in Debian's Chromium: the
# window drawn at two device pixels to one; the first frame; the accessibility tree; a whole
# game with the mouse; "Ancora"; taps on a phone's screen; the page installable; then offline
# and dark, a whole game with the keys alone, heard through the live region. The console
# stays empty.
#   play_in_browser.py SITE      (the folder scripts/cross-build.sh made)
import io, os, re, sys
from PIL import Image
from selenium import webdriver
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import chromium, screen
from player import play
from xsession import check, until

SITE = sys.argv[1]
host, URL = chromium.serve(SITE)
browser = chromium.start()
js = browser.execute_script


def listen():  # what the live region says, from here on, in order: heard()
    js("window.heard = []; new MutationObserver(changes => changes.forEach(change => change.addedNodes"
       ".forEach(line => heard.push(line.textContent)))).observe(spoken, {childList: true})")


heard = lambda: js("return heard")  # noqa: E731


def grab():  # the window's pixels
    return Image.open(io.BytesIO(browser.find_element(By.ID, "game").screenshot_as_png)).convert("RGB")


def press(kind, x, y):  # a pointer or a finger at the window's pixel (x, y), however the page scales it
    left, top, scale = js("const r = game.getBoundingClientRect(); return [r.x, r.y, r.width / 524]")
    actions = ActionBuilder(browser, mouse=PointerInput(kind, kind))
    actions.pointer_action.move_to_location(round(left + (x + 0.5) * scale), round(top + (y + 0.5) * scale))
    actions.pointer_action.pointer_down().pointer_up()
    actions.perform()


def accessible():  # what a screen reader gets: (role, name) of every node, and of the focused ones
    nodes = browser.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
    nodes = [n for n in nodes if not n["ignored"]]
    named = [(n["role"]["value"], n.get("name", {}).get("value", "")) for n in nodes]
    focused = [name for n, name in zip(nodes, named) if name[0] != "RootWebArea"  # the page has it too
               and any(p["name"] == "focused" and p["value"]["value"] for p in n.get("properties", []))]
    return named, focused


def start():  # the page opened, up to its first frame
    browser.get(URL)
    shot = until("the first frame is not 24 face-down cards around a red X",
                 lambda: screen.first_frame(s := grab()) and s, 30)
    listen()
    return shot


try:
    # On a screen of two device pixels to the CSS pixel, the window is drawn with as many.
    sharp = chromium.start(scale=2)
    sharp.get(URL)
    until("the window is not drawn at the screen's two pixels to one", lambda: sharp.execute_script(
        "return game.firstElementChild?.shadowRoot?.querySelector('canvas')?.width") == 2 * 524, 30)
    sharp.quit()
    first = start()
    check(browser.title == "Pairon12" and js("return game.getBoundingClientRect().width") == 524,
          "the page is not titled Pairon12, or the window is not at its own size")
    browser.execute_cdp_cmd("Accessibility.enable", {})
    named = accessible()[0]
    cards = [("button", f"Carta {pos}, coperta") for pos in range(1, 25)]
    captions = [("textbox", "Selezionare le caselle con il mouse"), ("textbox", "X, centro del tavolo")]
    check(all(control in named for control in cards + captions), f"cards or captions unnamed: {named}")
    ids = js("const ids = [], walk = root => root.querySelectorAll('*').forEach(e => { "
             "if (e.id) ids.push(e.id); if (e.shadowRoot) walk(e.shadowRoot); }); "
             "walk(document); return ids")
    check(len(ids) == len(set(ids)), f"ids given twice: {sorted(i for i in ids if ids.count(i) > 1)}")

    # A whole game with the mouse, each card heard as it turns; then its results, and "Ancora".
    shot = play(lambda x, y: press(interaction.POINTER_MOUSE, x, y), grab, heard)
    check(accessible()[1] == [("button", "Ancora")], f"Ancora has not the keyboard: {accessible()[1]}")
    lowest = screen.lowest_contrasts(first, shot)
    check(not screen.dark(screen.ground(first)) and screen.legible(lowest),
          f"light: something does not read: {lowest}")

    # On a phone held upright the window comes smaller, whole, and a tap still turns the card under the
    # finger.
    browser.set_window_size(360, 740)
    browser.get(URL)
    until("the window does not fit a narrow screen", lambda: js(
        "return game.getBoundingClientRect().right <= 360 && game.firstElementChild?.shadowRoot"
        "?.getElementById('QApplication.Form1.Label18') != null"), 30)
    listen()
    for pos in (7, 18):
        press(interaction.POINTER_TOUCH, *screen.centre(pos))
        until(f"a tap on card {pos} turned another",
              lambda: re.match(rf"Carta {pos}: ", (heard() or [""])[-1]))
    browser.set_window_size(1280, 900)

    # The network gone, and the player's choice now dark: the page comes back from the service worker,
    # dark, and a whole game is played with the keys alone, known only by ear.
    until("the service worker keeps no page",
          lambda: js("return navigator.serviceWorker.controller !== null"))
    errors = browser.execute_cdp_cmd("Page.getInstallabilityErrors", {})["installabilityErrors"]
    check(not errors, f"the browser cannot install the page as an app: {errors}")
    host.shutdown()
    host.server_close()
    browser.execute_cdp_cmd("Emulation.setEmulatedMedia",
                            dict(features=[dict(name="prefers-color-scheme", value="dark")]))
    first = start()
    keys = lambda *sequence: webdriver.ActionChains(browser).send_keys(*sequence).perform()
    faces, at = {}, 1

    def turn(pos):
        global at
        keys(*[Keys.HOME] + [Keys.TAB] * (pos - 1) if pos < at else [Keys.TAB] * (pos - at))
        at, before = pos, len(heard())
        check(accessible()[1] == [("button", f"Carta {pos}, coperta")], f"card {pos} is not the focused one")
        keys(Keys.SPACE)
        words = until(f"card {pos} turned unheard",
                      lambda: next((w for w in heard()[before:] if w.startswith(f"Carta {pos}: ")), None))
        faces.setdefault(pos, words.split(": ")[1].split(".")[0])

    for a in range(1, 25, 2):
        turn(a), turn(a + 1)
        until("a failed pair was not turned back", lambda: screen.settled(grab(), a, a + 1))
    left = [(a, b) for a in range(1, 25) for b in range(a + 1, 25)  # the pairs not turned together
            if faces[a] == faces[b] and (a % 2 == 0 or b > a + 1)]
    for a, b in left:
        turn(a), turn(b)
    results = rf"Coppia trovata\. Secondi impiegati: \d+\. Tentativi: {12 + len(left)}\.$"
    check(re.search(results, heard()[-1]), f"the last pair heard: {heard()[-1]}")
    # The browser's own keys stay the browser's: reload, here.
    js("window.taken = []; "
       "addEventListener('keydown', e => setTimeout(() => taken.push(e.defaultPrevented)), true)")
    webdriver.ActionChains(browser).key_down(Keys.CONTROL).send_keys("r").key_up(Keys.CONTROL).perform()
    check(until("no key came", lambda: len(js("return taken")) == 2 and js("return taken")) == [False, False],
          "the game kept Ctrl+R from the browser")
    lowest = screen.lowest_contrasts(first, grab())
    check(screen.dark(screen.ground(first)) and screen.legible(lowest),
          f"dark: something does not read: {lowest}")
    console = browser.get_log("browser")  # all the page wrote there, from the first page on
    check(not console, f"the console: {console}")
finally:
    browser.quit()
print("ok: a game by mouse, taps at 360 px, a game by keys offline; console empty")
