# A private Xvfb for the real game, driven by synthesized input and read from the screen.
# With accessibility=True also a private D-Bus session, where the AT-SPI bus starts when
# first asked for; with wayland=True a weston in that Xvfb, the game its native client.
# os.environ points at them all while the session lasts.
import contextlib, os, select, shutil, signal, subprocess as sp, sys, tempfile, time
from PIL import Image, ImageChops
from Xlib import X, XK, Xatom, display, error
from Xlib.ext import xtest
from Xlib.protocol.event import ClientMessage

DESKTOP = (0x20, 0x40, 0x60)  # weston's, plain: no panel, lock screen or keyboard of its own
WESTON_INI = ("[core]\nidle-time=0\n[input-method]\npath=\n[shell]\nbackground-color=0xff204060\n"
              "panel-position=none\nlocking=false\nanimation=none\nstartup-animation=none\n"
              "close-animation=none\n")


def check(ok, what):
    ok or sys.exit(f"FAIL: {what}")


def until(what, done, timeout=5):  # what done() gives once it gives anything, or a failure
    deadline = time.monotonic() + timeout
    while not (result := done()):
        check(time.monotonic() < deadline, what)
        time.sleep(0.002)
    return result


class Win:  # a client area: a whole X window, or the box in weston's where it shows the game
    def __init__(self, d, w, box=None, frame=False):  # frame: inside weston, with Qt's own title bar
        self.d, self.w, self.frame = d, w, frame
        geometry = w.get_geometry()
        self.left, self.top, self.width, self.height = box or (0, 0, geometry.width, geometry.height)
        origin = d.screen().root.translate_coords(w, self.left, self.top)
        self.x, self.y = origin.x, origin.y

    def grab(self, box=None):  # RGB, of the client area or of a (left, top, right, bottom) box in it
        left, top, right, bottom = box or (0, 0, self.width, self.height)
        raw = self.w.get_image(self.left + left, self.top + top, right - left, bottom - top, X.ZPixmap,
                               0xFFFFFFFF)
        return Image.frombytes("RGB", (right - left, bottom - top), raw.data, "raw", "BGRX")

    def send(self, *events):  # XTest's, synced: the server has them all on return
        for e in events:
            xtest.fake_input(self.d, *e)
        self.d.sync()

    def click(self, x, y):
        self.send((X.MotionNotify, 0, 0, 0, self.x + x, self.y + y), (X.ButtonPress, 1), (X.ButtonRelease, 1))
        if self.frame:  # weston draws the pointer into what grab() reads: off to its corner
            self.send((X.MotionNotify, 0, 0, 0, self.x - self.left, self.y - self.top))

    def focus(self):  # as a window manager gives a new window the keyboard; weston gives its own
        if not self.frame:
            self.w.set_input_focus(X.RevertToParent, X.CurrentTime)
            self.d.sync()

    def key(self, *names):  # X key names, "Shift_L+Tab" for a chord
        self.focus()
        for name in names:
            codes = [self.d.keysym_to_keycode(XK.string_to_keysym(k)) for k in name.split("+")]
            self.send(*[(X.KeyPress, c) for c in codes], *[(X.KeyRelease, c) for c in reversed(codes)])

    def close(self):  # as a player does: on weston, Qt's close button, 17 pixels in from the right, 15 down
        if self.frame:
            return self.click(self.width + 3 - 17, 15 - 30)
        atom = self.d.intern_atom  # on X, as a window manager's close button asks
        self.w.send_event(ClientMessage(window=self.w, client_type=atom("WM_PROTOCOLS"),
                                        data=(32, [atom("WM_DELETE_WINDOW"), 0, 0, 0, 0])))
        self.d.sync()


class XSession:
    def __init__(self, accessibility=False, wayland=False):
        self.accessibility, self.wayland = accessibility, wayland
        self.procs, self.saved = [], dict(os.environ)

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
                bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                 stdout=sp.PIPE, stderr=sp.DEVNULL)
                os.environ |= dict(DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().decode().strip(),
                                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
            self.d = display.Display()
            self.d.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)  # for window()
            if self.wayland:
                self.start_weston()
            return self
        except BaseException:
            self.__exit__()
            raise

    def start_weston(self):  # its window 800 by 600, in the screen's top left corner
        with open(f"{self.tmp}/weston.ini", "w") as ini:
            ini.write(WESTON_INI)
        self.start(["weston", "--backend=x11-backend.so", "--use-pixman", "--socket=wayland-0", "--width=800",
                    "--height=600", f"--config={self.tmp}/weston.ini"],
                   stdout=sp.DEVNULL, stderr=sp.DEVNULL)
        os.environ |= dict(QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY="wayland-0")
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:  # until its desktop is drawn: then its shell places windows
            with contextlib.suppress(IndexError, error.XError):
                self.desktop = Win(self.d, self.shown()[0], frame=True)
                if self.desktop.grab((0, 0, 1, 1)).getpixel((0, 0)) == DESKTOP:
                    # The keyboard for good, before any window: a later change of focus could
                    # leave weston's own keyboard focus nowhere.
                    self.desktop.w.set_input_focus(X.RevertToParent, X.CurrentTime)
                    return self.desktop.click(0, 0)  # the pointer to the desktop's corner, where it stays
            time.sleep(0.001)
        raise TimeoutError("weston never showed its desktop")

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

    def shown(self):  # the windows on the screen: with no window manager, the root's mapped children
        return [w for w in self.d.screen().root.query_tree().children
                if w.get_attributes().map_state == X.IsViewable]

    def find(self, title):  # mapped; with no window manager, a child of the root
        if self.wayland:  # on weston: what is not its desktop, nor the pointer in its corner
            shot = self.desktop.grab()
            shot.paste(DESKTOP, (0, 0, 40, 40))
            ink = ImageChops.difference(shot, Image.new("RGB", shot.size, DESKTOP)).getbbox() or (0, 0, 0, 0)
            left, top, right, bottom = ink  # Qt's frame: 30 pixels atop the client area, 3 on its other sides
            box = left + 3, top + 30, right - left - 6, bottom - top - 33
            return Win(self.d, self.desktop.w, box, True) if min(box[2:]) > 40 else None
        try:
            for w in self.shown():
                if w.get_full_text_property(Xatom.WM_NAME) == title:
                    return Win(self.d, w)
        except error.XError:  # one went while looked at
            return None

    def window(self, title, timeout=10):  # asks the server only as windows change, not to slow their programs
        deadline = time.monotonic() + timeout
        while not (win := self.find(title)):
            if time.monotonic() > deadline:
                raise TimeoutError(f"no window {title!r} within {timeout} s")
            if not self.d.pending_events():  # one may have come in with find()'s replies
                select.select([self.d], [], [], 0.001 if self.wayland else 0.05)
            for _ in range(self.d.pending_events()):
                self.d.next_event()
        return win
