#!/usr/bin/python3
"""Measures the web page: the bytes a first visit transfers, file by file, compressed as a static
host serves them, and the time from navigation to the game's first frame in headless Chromium,
served on 127.0.0.1, on a first visit and on a second one, which the service worker serves.
Each page is measured the same way: a folder, or the release's zip; name them LABEL=PAGE.
Prints markdown tables. With --budget, fails if a page transfers more than it may: 3 MiB with
gzip -9, 2.5 MiB with Brotli 11; with --bytes-only, only the bytes are measured.
    /usr/bin/python3 bench/web.py [--runs N] [--budget] [--bytes-only] LABEL=PAGE...
    (scripts/cross-build.sh web)"""
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


BUDGET = {"gzip -9": 3 * 2**20, "Brotli 11": 2.5 * 2**20}


def sizes(folder):  # each file's bytes: raw, gzip -9 and Brotli 11
    table = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        data = open(path, "rb").read()
        brotli = subprocess.run(["brotli", "-c", "-q", "11", path], capture_output=True, check=True).stdout
        table[name] = (len(data), len(gzip.compress(data, 9, mtime=0)), len(brotli))
    return table


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
    parser.add_argument("--budget", action="store_true", help="fail if a page transfers more than it may")
    parser.add_argument("--bytes-only", action="store_true", help="measure the bytes, not the first frames")
    parser.add_argument("pages", nargs="+", metavar="LABEL=PAGE")
    args = parser.parse_args()
    pages = {label: browsers.published(page) for label, page in (page.split("=", 1) for page in args.pages)}
    tables = {label: sizes(folder) for label, folder in pages.items()}
    kib = lambda size: f"{size / 1024:,.1f} KiB"
    print("| file | " + " | ".join(f"{label}: {kind}" for label in pages for kind in ("raw", *BUDGET)) + " |")
    print("|---|" + "---:|" * 3 * len(pages))
    for name in sorted(set().union(*tables.values())):
        print(f"| {name} | " + " | ".join(" | ".join(kib(size) for size in table[name]) if name in table
                                           else " |  | " for table in tables.values()) + " |")
    totals = {label: [sum(sizes) for sizes in zip(*table.values())] for label, table in tables.items()}
    print("| **all files** | " + " | ".join(" | ".join(f"**{size / 2**20:.2f} MiB**" for size in total)
                                           for total in totals.values()) + " |")
    if not args.bytes_only:
        print(f"\n| page | first visit to first frame, median (n={args.runs}) | second visit, median |")
        print("|---|---:|---:|")
        for label, folder in pages.items():
            first, second = first_frames(folder, args.runs)
            print(f"| {label} | {statistics.median(first):.0f} ms | {statistics.median(second):.0f} ms |")
    print(f"\n{measured_on()}")
    over = [f"{label} sends {total[i] / 2**20:.2f} MiB with {kind}, more than {limit / 2**20:g} MiB"
            for label, total in totals.items() for i, (kind, limit) in enumerate(BUDGET.items(), 1)
            if total[i] > limit]
    if args.budget and over:
        sys.exit("over budget: " + "; ".join(over))


if __name__ == "__main__":
    main()
