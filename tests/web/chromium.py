# A static host on 127.0.0.1 that sends the headers docs/web.md asks of one, and Debian's
# Chromium, headless, in a profile of its own, as the web test and the benchmark use them.
import functools, http.server, tempfile, threading
from selenium import webdriver
from selenium.webdriver.chrome.service import Service

POLICY = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'"


class Host(http.server.SimpleHTTPRequestHandler):
    extensions_map = {".wasm": "application/wasm", ".js": "text/javascript",
                      ".webmanifest": "application/manifest+json", "": "application/octet-stream"}

    def end_headers(self):
        self.send_header("Content-Security-Policy", POLICY)
        self.send_header("X-Content-Type-Options", "nosniff")
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_request(self, code="-", size="-"):
        self.server.served.append((self.path, int(code)))


def serve(folder):  # the host, with the address of the folder's page and what it served so far (.served)
    host = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Host, directory=folder))
    host.served = []
    threading.Thread(target=host.serve_forever, daemon=True).start()
    return host, f"http://127.0.0.1:{host.server_port}/"


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
