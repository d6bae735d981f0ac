#!/usr/bin/python3
# The web page as a player meets it, from the release's zip unpacked under a path of a static
# host, in one browser engine: Debian's Chromium, or WebKitGTK, Safari's engine. The page that
# cannot start says why: opened from disk, a file missing, WebAssembly forbidden. From a host
# that sends no policy and keeps files for ten minutes: the first frame; an inline script put
# into the page refused; a whole game with the mouse, each card heard; results that nothing
# the page's scripts do can change; a new release published by halves, taken only once whole;
# then offline, from the service worker alone, a whole game with the keys. Chromium also
# checks the accessibility tree, the contrast in light and in dark, a phone turned each way,
# the page installable and the console.
#   play_in_browser.py chromium|webkit PACKAGES   (the folder of scripts/cross-build.sh's web zip)
import collections, io, os, re, shutil, subprocess, sys
from PIL import Image
from selenium import webdriver
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.keys import Keys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import browsers, screen
from player import play
from xsession import XSession, check, until

ENGINE, PACKAGES = sys.argv[1:3]
CHROMIUM = ENGINE == "chromium"
HERE = os.path.dirname(os.path.abspath(__file__))
SITE_SCRIPT = os.path.join(HERE, "..", "..", "packaging", "web", "site.cmake")
SITE = browsers.published(PACKAGES)  # the zip's one folder, unpacked to be published as it is
check(SITE != PACKAGES, f"no release zip in {PACKAGES}")  # the test changes the files it serves
ROOT, FOLDER = os.path.split(SITE)

host, address = browsers.serve(ROOT)
URL = f"{address}{FOLDER}/"
x11 = None if CHROMIUM else XSession().__enter__()
browser = browsers.chromium() if CHROMIUM else browsers.webkit()
js = browser.execute_script


def run(code):  # an async function's body, run in the page; its result
    return browser.execute_async_script(f"(async () => {{ {code} }})().then(arguments[0])")


def listen():  # what the live region says, from here on, in order: heard()
    js("window.heard = []; new MutationObserver(changes => changes.forEach(change => change.addedNodes"
       ".forEach(line => heard.push(line.textContent)))).observe(spoken, {childList: true})")


heard = lambda: js("return heard")  # noqa: E731


def grab():  # the window's pixels, cut from the page's: WebKitGTK's driver cuts elements amiss
    left, top = js("const r = game.getBoundingClientRect(); return [Math.round(r.x), Math.round(r.y)]")
    page = Image.open(io.BytesIO(browser.get_screenshot_as_png())).convert("RGB")
    return page.crop((left, top, left + 524, top + 467))


def press(kind, x, y):  # a pointer or a finger at the window's pixel (x, y), however the page scales it
    left, top, scale = js("const r = game.getBoundingClientRect(); return [r.x, r.y, r.width / 524]")
    actions = ActionBuilder(browser, mouse=PointerInput(kind, kind))
    actions.pointer_action.move_to_location(round(left + (x + 0.5) * scale), round(top + (y + 0.5) * scale))
    actions.pointer_action.pointer_down().pointer_up()
    actions.perform()


def start():  # the page opened, up to its first frame, by which the loading bar is gone
    browser.get(URL)
    shot = until("the first frame is not 24 face-down cards around a red X",
                 lambda: screen.first_frame(s := grab()) and s, 30)
    on_page = js("return loading.getClientRects().length")
    check(not on_page, "the loading bar is on the page at the first frame")
    listen()
    return shot


def sentence(url):  # what the page says where the game cannot start
    browser.get(url)
    return until(f"{url} says nothing", lambda: js("return !problem.hidden && problem.textContent"), 10)


Node = collections.namedtuple("Node", "role name parent ignored said")


def tree():  # the page's accessibility tree, as a screen reader reads it, by node id
    nodes = {}
    for n in browser.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]:
        said = {p["name"]: p["value"].get("value") for p in n.get("properties", [])}
        name = n.get("name", {}).get("value") or ""
        nodes[n["nodeId"]] = Node(n["role"]["value"], name, n.get("parentId"), n.get("ignored"), said)
    return nodes


def focused():  # what a screen reader finds focused, as (role, name): the page itself aside
    return [(n.role, n.name) for n in tree().values() if n.role != "RootWebArea" and n.said.get("focused")]


def politely(words):  # whether a screen reader hears the words, in a polite live region
    nodes = tree()
    for region in [node for node in nodes.values() if node.name == words]:
        while "live" not in region.said and region.parent in nodes:
            region = nodes[region.parent]
        if region.said.get("live") == "polite":
            return True
    return False


def release():  # the service worker's caches, once it has asked for a new release and kept or refused it
    return run("const r = await navigator.serviceWorker.ready; await r.update().catch(() => {}); "
               "while (r.installing) await new Promise(go => setTimeout(go, 50)); "
               "return (await caches.keys()).filter(name => name.startsWith('pairon12 '))")


def newest():  # whether the page shows the new release
    return js("return getComputedStyle(document.documentElement).getPropertyValue('--release')")


def cache_name():  # the one the service worker of the folder as published names its release
    return f"pairon12 {URL} " + re.search(r'const Release = "(\w+)"', open(f"{SITE}/sw.js").read())[1]


try:
    # Where the game cannot start, the page says why: opened from disk; its WebAssembly missing;
    # a host whose policy forbids WebAssembly, which WebKitGTK 2.50 compiles under any policy.
    check("dal disco" in sentence(f"file://{SITE}/index.html"), "a page opened from disk does not say so")
    os.rename(f"{SITE}/pairon12.wasm", f"{SITE}/hidden")
    check("scaricare" in sentence(f"{URL}?missing"), "a missing file is not told")
    os.rename(f"{SITE}/hidden", f"{SITE}/pairon12.wasm")
    if CHROMIUM:
        host.headers["Content-Security-Policy"] = "default-src 'self'"  # pages apart, by their addresses
        check("vieta WebAssembly" in sentence(f"{URL}?forbidding"),
              "a policy that forbids WebAssembly is not told")
        browser.get_log("browser")  # its refusals, told on the console

    # A host that sends no headers of its own, has files kept for ten minutes, and does not know
    # WebAssembly's type. The page's own policy refuses a script put into it.
    host.headers = {"Cache-Control": "max-age=600"}
    host.types[".wasm"] = "application/octet-stream"
    start()
    js("const script = document.createElement('script');"
       "script.textContent = 'document.title = 1';"
       "document.head.append(script)")
    check(browser.title == "Pairon12", "an inline script put into the page ran")
    if CHROMIUM:
        browser.get_log("browser")  # the policy's refusal
        browser.execute_cdp_cmd("Accessibility.enable", {})

    # A whole game with the mouse, each card heard as it turns, in Chromium where a screen reader
    # hears it: in a polite live region of the accessibility tree, with no loading bar left there.
    # Then its results. A screen reader finds each result read-only, its number its value; a page
    # script that writes there changes nothing on the window.
    play(lambda x, y: press(interaction.POINTER_MOUSE, x, y), grab, heard)
    if CHROMIUM:
        check(politely(heard()[-1]), "the last pair is not in a polite live region for a screen reader")
        loading_bar = [n for n in tree().values() if not n.ignored and "Caricamento" in n.name]
        check(not loading_bar, "the loading bar is left for a screen reader")
    seconds, attempts = re.search(r"Secondi impiegati: (\d+)\. Tentativi: (\d+)", heard()[-1]).groups()
    boxes = "[...game.firstElementChild.shadowRoot.querySelectorAll('input')]"

    def results():  # as a screen reader finds the boxes, and as the window shows them
        found = js(f"return {boxes}.map(box => [box.readOnly, box.ariaLabel, box.value]).sort()")
        return found, [grab().crop(screen.box(name)) for name in ("seconds", "attempts")]

    before = results()
    check(before[0] == [[True, "Secondi impiegati", seconds], [True, "Tentativi", attempts]],
          f"the results are not read-only, or not their numbers: {before[0]}")
    js(f"{boxes}.forEach(box => {{ box.value = '999'; box.dispatchEvent(new Event('input')); }})")
    run("await new Promise(drawn => requestAnimationFrame(() => requestAnimationFrame(drawn)))")
    check(results() == before, "a page script changed the results")

    # A new release, published a file at a time: the service worker keeps the one in use until the
    # new one has arrived whole, as the host has it now, and then takes it within two reloads.
    kept = cache_name()  # under the name of the page's own folder
    new = shutil.copytree(SITE, f"{ROOT}/new")
    with open(f"{new}/page.css", "a") as css:
        css.write("html { --release: new; }\n")
    files = re.findall(r'^    "([^"]+)": "[0-9a-f]{64}",$', open(f"{SITE}/sw.js").read(), re.M)
    subprocess.run(["cmake", f"-DSITE={new}", f"-DFILES={';'.join(files)}", "-P", SITE_SCRIPT], check=True)
    shutil.copy(f"{new}/sw.js", SITE)
    start()
    check(release() == [kept] and not newest(), "a release missing a file was taken")
    shutil.copy(f"{new}/page.css", SITE)
    shutil.copy(f"{new}/index.html", SITE)
    start()
    until("a release whole was not kept", lambda: release() == [cache_name()], 10)
    start()
    check(newest(), "the new release has not arrived in two reloads")

    # The network gone, and in Chromium the player's choice now dark: every file comes from the
    # service worker's cache, and a whole game is played with the keys alone, known only by ear,
    # each card named as a screen reader finds it.
    host.shutdown()  # it answers no request: each of its connections closes after one response
    host.server_close()
    if CHROMIUM:
        errors = browser.execute_cdp_cmd("Page.getInstallabilityErrors", {})["installabilityErrors"]
        check(not errors, f"the browser cannot install the page as an app: {errors}")
        browser.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                dict(features=[dict(name="prefers-color-scheme", value="dark")]))
    first = start()
    uncached = run("const loaded = performance.getEntriesByType('resource').map(entry => entry.name);"
                   "const files = [location.href, ...loaded];"
                   "const kept = await Promise.all(files.map(f => caches.match(f, {ignoreSearch: true})));"
                   "return files.filter((f, i) => !kept[i])")
    check(newest() and not uncached, f"offline, from elsewhere than the service worker: {uncached}")
    keys = lambda *sequence: webdriver.ActionChains(browser).send_keys(*sequence).perform()  # noqa: E731

    def by_keys(x, y):  # the card under (x, y), reached from the first with Tab, and turned with Space
        pos = next(pos for pos in range(1, 25) if screen.centre(pos) == (x, y))
        keys(Keys.HOME, *[Keys.TAB] * (pos - 1))
        if CHROMIUM:
            check(focused() == [("button", f"Carta {pos}, coperta")], f"card {pos} is not the focused one")
        keys(Keys.SPACE)

    play(by_keys, grab, heard)
    check(re.search(r"Coppia trovata\. Secondi impiegati: \d+\. Tentativi: \d+\.$", heard()[-1]),
          f"the last pair heard: {heard()[-1]}")
    if CHROMIUM:
        check(screen.dark(screen.ground(first)), "the window is not dark where the player chose dark")

        # A phone of two device pixels to the CSS pixel, loaded one way and turned the other: the
        # whole window in view, drawn at the phone's pixels, unzoomed, and a tap turns the card under
        # the finger.
        def phone(width, height):
            browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                    dict(width=width, height=height, deviceScaleFactor=2, mobile=True))
            until(f"the window at {width} × {height} is not whole, or not at the phone's pixels", lambda: js(
                "const r = game.getBoundingClientRect();"
                "const canvas = game.firstElementChild?.shadowRoot?.querySelector('canvas');"
                "return r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight"
                "  && visualViewport.scale === 1 && Math.abs(canvas?.width - 2 * r.width) <= 1"), 10)

        browser.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", dict(enabled=True, maxTouchPoints=5))
        for width, height in ((360, 740), (740, 360)):
            phone(width, height)
            browser.get(URL)
            listen()
            for size, pos in (((width, height), 7), ((height, width), 18)):
                phone(*size)
                before = len(heard())
                press(interaction.POINTER_TOUCH, *screen.centre(pos))
                until(f"a tap on card {pos} turned another", lambda: any(
                    re.match(rf"Carta {pos}: ", words) for words in heard()[before:]))
        console = browser.get_log("browser")  # all the page wrote there since the refusals above
        check(not console, f"the console: {console}")
finally:
    browser.quit()
    x11 and x11.__exit__()
steps = ["three sentences" if CHROMIUM else "two sentences", "a script refused", "a game by mouse",
         "results unchanged", "a release taken whole", "a game by keys offline"]
print(f"ok in {ENGINE}: " + "; ".join(steps + ["a phone turned each way"] * CHROMIUM))
