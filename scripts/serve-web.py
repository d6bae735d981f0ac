#!/usr/bin/python3
"""Serves the web page's folder on this machine, with the headers docs/web.md asks of a
host, to play it in a browser here: a page opened as a file from disk cannot run.
    scripts/serve-web.py [FOLDER] [PORT]      (default: build/web/site 8012)"""
import functools, glob, http.server, os, sys, tempfile, threading, zipfile

POLICY = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'"
HEADERS = {"Content-Security-Policy": POLICY, "X-Content-Type-Options": "nosniff", "Cache-Control": "no-cache"}


class Host(http.server.SimpleHTTPRequestHandler):
    extensions_map = {".wasm": "application/wasm", ".js": "text/javascript",
                      ".webmanifest": "application/manifest+json", "": "application/octet-stream"}

    def guess_type(self, path):  # by the host's own table, which a test may change as hosts differ
        return self.server.types.get(os.path.splitext(path)[1]) or super().guess_type(path)

    def end_headers(self):
        for name, value in self.server.headers.items():
            self.send_header(name, value)
        super().end_headers()

    def log_message(self, *args):  # a failed request shows on the browser's console
        pass


def published(page):  # the folder of a page given as a folder, a release's zip, or a folder holding one
    zips = [page] if page.endswith(".zip") else glob.glob(os.path.join(page, "pairon12-*-web.zip"))
    if not zips:
        return page
    unpacked = tempfile.TemporaryDirectory(prefix="pairon12-web-")
    UNPACKED.append(unpacked)  # as long as this program runs, then removed
    with zipfile.ZipFile(zips[0]) as archive:
        archive.extractall(unpacked.name)
    (inside,) = os.listdir(unpacked.name)  # the zip's one folder
    return os.path.join(unpacked.name, inside)


UNPACKED = []


def serve(folder, port=0):  # the host, serving from another thread, and its address
    host = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(Host, directory=folder))
    host.headers = dict(HEADERS)  # to be changed as another host would send them
    host.types = dict(Host.extensions_map)
    threading.Thread(target=host.serve_forever, daemon=True).start()
    return host, f"http://127.0.0.1:{host.server_port}/"


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "build", "web", "site")
    host, address = serve(folder, int(sys.argv[2]) if len(sys.argv) > 2 else 8012)
    print(f"Pairon12 at {address} (Ctrl+C ends)")
    threading.Event().wait()
