# The browsers the web test and the benchmark play the page in, each in a fresh profile: Debian's
# Chromium, headless, with a window of 1280 by 900 CSS pixels, and WebKitGTK's MiniBrowser, Safari's
# engine, on the X server the caller gives it. And the host they are served from
# (scripts/serve-web.py).
import os, sys, tempfile
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
serve_web = __import__("serve-web")
serve, published = serve_web.serve, serve_web.published


def chromium():
    profile = tempfile.TemporaryDirectory(prefix="chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    # Without the networking flags Chromium keeps calling hosts that a closed network refuses.
    for flag in ("--headless=new", "--no-sandbox", "--no-first-run", "--disable-gpu", "--disable-quic",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=1280,900", f"--user-data-dir={profile.name}"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    browser = webdriver.Chrome(options=options, service=Service("/usr/bin/chromedriver"))
    browser.profile = profile  # kept as long as the browser
    return browser


def webkit():
    # Its baseline WebAssembly compiler's signals can abort the page as it starts: docs/web.md.
    os.environ["JSC_useBBQJIT"] = "0"
    options = webdriver.WebKitGTKOptions()
    options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
    options.add_argument("--automation")  # a fresh, ephemeral profile of its own
    try:  # Selenium 4.10 and later (Debian 13) take the driver as a service
        from selenium.webdriver.webkitgtk.service import Service as WebKitService
        return webdriver.WebKitGTK(options=options, service=WebKitService("/usr/bin/WebKitWebDriver"))
    except TypeError:
        return webdriver.WebKitGTK(options=options, executable_path="/usr/bin/WebKitWebDriver")
