#!/usr/bin/python3
"""Measures the web page: the bytes a first visit transfers, compressed as a static host
serves them, and the time from navigation to the game's first frame in headless Chromium,
served on 127.0.0.1, on a first visit and on a second one, which the service worker serves.
Each folder is measured the same way; name them LABEL=FOLDER. Prints a markdown table.
    /usr/bin/python3 bench/web.py [--runs N] LABEL=FOLDER...   (scripts/cross-build.sh web)"""
import argparse, gzip, os, statistics, subprocess, sys, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browsers  # noqa: E402
from bench import measured_on  # noqa: E402

# Polls the canvas at every frame until the red of the X shows in the middle of the grid, and
# keeps the time since navigation began.
FIRST_FRAME = """
const red = () => { for (const host of document.querySelectorAll("#game > *")) {
    const canvas = host.shadowRoot && host.shadowRoot.querySelector("canvas");
    if (!canvas || canvas.width < 300) continue;
    const scale = canvas.width / 524, x = Math.round(232 * scale), y = Math.round(200 * scale);
    const pixels = canvas.getContext("2d").getImageData(x, y, Math.round(65 * scale), Math.round(65 * scale)).data;
    for (let i = 0; i < pixels.length; i += 4)
        if (pixels[i] === 255 && pixels[i + 1] === 0 && pixels[i + 2] === 0) return true; }
    return false; };
const poll = () => red() ? (window.firstFrame = performance.now()) : requestAnimationFrame(poll);
requestAnimationFrame(poll);
"""


def compressed(folder):  # bytes raw, gzip -9 and Brotli 11, over every file, and the WebAssembly's raw
    sizes = [0, 0, 0]
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        data = open(path, "rb").read()
        brotli = subprocess.run(["brotli", "-c", "-q", "11", path], capture_output=True, check=True).stdout
        for i, size in enumerate((len(data), len(gzip.compress(data, 9, mtime=0)), len(brotli))):
            sizes[i] += size
    return sizes + [os.path.getsize(os.path.join(folder, "pairon12.wasm"))]


def until(what, browser, script):  # the script's answer, once it has one
    for _ in range(600):
        if (answer := browser.execute_script(script)) not in (None, False):
            return answer
        time.sleep(0.05)
    sys.exit(f"{what} in 30 s")


def first_frames(folder, runs):  # ms to the first frame, first visits and second visits
    host, url = browsers.serve(folder)
    first, second = [], []
    for run in range(runs + 1):  # the first run only warms the machine's own caches
        browser = browsers.chromium()
        try:
            browser.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": FIRST_FRAME})
            times = []
            for visit in range(2):
                browser.get(url)
                times.append(until("no first frame", browser, "return window.firstFrame"))
                # The second visit once the service worker keeps the page.
                until("no service worker", browser, "return navigator.serviceWorker.controller !== null")
            if run:
                first.append(times[0])
                second.append(times[1])
        finally:
            browser.quit()
    host.shutdown()
    return first, second


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=10, help="visits of each kind (10)")
    parser.add_argument("sites", nargs="+", metavar="LABEL=FOLDER")
    args = parser.parse_args()
    sites = dict(site.split("=", 1) for site in args.sites)
    print("| page | all files, raw | gzip -9 | Brotli 11 | WebAssembly, raw "
          f"| first visit to first frame, median (n={args.runs}) | second visit, median |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for label, folder in sites.items():
        sizes = compressed(folder)
        first, second = first_frames(folder, args.runs)
        print(f"| {label} | " + " | ".join(f"{size / 2**20:.2f} MiB" for size in sizes)
              + f" | {statistics.median(first):.0f} ms | {statistics.median(second):.0f} ms |")
    print(f"\n{measured_on()}")


if __name__ == "__main__":
    main()
