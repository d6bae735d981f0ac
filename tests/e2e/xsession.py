# A private Xvfb for the real game, driven by synthesized input and read from the screen; with
# accessibility=True also a private D-Bus session, where the AT-SPI bus starts when first asked
# for. os.environ points at them while the session lasts, so pyatspi is imported inside it.
import contextlib, os, select, shutil, signal, subprocess as sp, tempfile, time
from PIL import Image
from Xlib import X, XK, Xatom, display, error
from Xlib.ext import xtest
from Xlib.protocol.event import ClientMessage


class Win:
    def __init__(self, d, w):
        g, o = w.get_geometry(), d.screen().root.translate_coords(w, 0, 0)
        self.d, self.w, self.x, self.y, self.width, self.height = d, w, o.x, o.y, g.width, g.height

    def grab(self, box=None):  # RGB, of the window or of a (left, top, right, bottom) box in it
        left, top, right, bottom = box or (0, 0, self.width, self.height)
        raw = self.w.get_image(left, top, right - left, bottom - top, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (right - left, bottom - top), raw.data, "raw", "BGRX")

    def send(self, *events):  # XTest's, synced: the server has them all on return
        for e in events:
            xtest.fake_input(self.d, *e)
        self.d.sync()

    def click(self, x, y):
        self.send((X.MotionNotify, 0, 0, 0, self.x + x, self.y + y), (X.ButtonPress, 1), (X.ButtonRelease, 1))

    def key(self, *names):  # X key names, "Shift_L+Tab" for a chord; no window manager hands the keyboard out
        self.w.set_input_focus(X.RevertToParent, X.CurrentTime)
        for codes in ([self.d.keysym_to_keycode(XK.string_to_keysym(k)) for k in n.split("+")] for n in names):
            self.send(*[(X.KeyPress, c) for c in codes], *[(X.KeyRelease, c) for c in reversed(codes)])

    def close(self):  # as a window manager's close button asks
        atom = self.d.intern_atom
        self.w.send_event(ClientMessage(window=self.w, client_type=atom("WM_PROTOCOLS"),
                                        data=(32, [atom("WM_DELETE_WINDOW"), 0, 0, 0, 0])))
        self.d.sync()


class XSession:
    def __init__(self, accessibility=False):
        self.accessibility, self.procs, self.saved = accessibility, [], dict(os.environ)

    def __enter__(self):
        self.tmp = tempfile.mkdtemp(prefix="xsession-")  # 0700, as a runtime directory must be
        for k in ("QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "WAYLAND_DISPLAY"):
            os.environ.pop(k, None)
        # No bus unless asked for, rather than one that libdbus would start and leave behind.
        os.environ |= dict(QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=self.tmp,
                           DBUS_SESSION_BUS_ADDRESS=f"unix:path={self.tmp}/none")
        try:
            xvfb = self.start(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                              stdout=sp.PIPE, stderr=sp.DEVNULL)
            os.environ["DISPLAY"] = ":" + xvfb.stdout.readline().decode().strip()  # once it takes clients
            if self.accessibility:
                bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=sp.PIPE,
                                 stderr=sp.DEVNULL)
                os.environ |= dict(DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().decode().strip(),
                                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
            self.d = display.Display()
            self.d.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)  # wakes window() on a map
            return self
        except BaseException:
            self.__exit__()
            raise

    def __exit__(self, *exc):
        for p in reversed(self.procs):  # each leads a process group: it and all it started
            with contextlib.suppress(ProcessLookupError):
                os.killpg(p.pid, signal.SIGKILL)
            p.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)
        os.environ.clear(), os.environ.update(self.saved)

    def start(self, argv, **popen):
        self.procs.append(sp.Popen(argv, start_new_session=True, **popen))
        return self.procs[-1]

    def find(self, title):  # mapped; with no window manager, a child of the root
        try:
            for w in self.d.screen().root.query_tree().children:
                if w.get_attributes().map_state == X.IsViewable and w.get_full_text_property(Xatom.WM_NAME) == title:
                    return Win(self.d, w)
        except error.XError:  # one went while looked at
            return None

    def window(self, title, timeout=10):  # asks the server only as windows change, not to slow their programs
        deadline = time.monotonic() + timeout
        while not (win := self.find(title)):
            if time.monotonic() > deadline:
                raise TimeoutError(f"no window {title!r} within {timeout} s")
            if not self.d.pending_events():  # one may have come in with find()'s replies
                select.select([self.d], [], [], 0.05)
            for _ in range(self.d.pending_events()):
                self.d.next_event()
        return win
