# Debian's Chromium, headless, in a profile of its own, as the web test and the benchmark use it,
# and the host they serve the page from (scripts/serve-web.py).
import os, sys, tempfile
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
serve = __import__("serve-web").serve


def start(scale=1):  # a browser with a fresh profile and a window of 1280 by 900 CSS pixels
    profile = tempfile.TemporaryDirectory(prefix="chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    # Without the networking flags Chromium keeps calling hosts that a closed network refuses.
    for flag in ("--headless=new", "--no-sandbox", "--no-first-run", "--disable-gpu", "--disable-quic",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 f"--force-device-scale-factor={scale}", "--window-size=1280,900",
                 f"--user-data-dir={profile.name}"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    browser = webdriver.Chrome(options=options, service=Service("/usr/bin/chromedriver"))
    browser.profile = profile  # kept as long as the browser
    return browser
