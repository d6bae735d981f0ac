"""A private Xvfb to run the real game in, for Debian's /usr/bin/python3. With accessibility=True
also a private D-Bus session, on which the AT-SPI bus starts when first asked for, and os.environ
points at both until the session ends, so that this process's pyatspi meets the game there:
    with XSession(accessibility=True) as xs:
        xs.start([game]); win = xs.window("Pairon12"); win.click(136, 104); image = win.grab()
        import pyatspi  # only now: libatspi looks for its bus once per process"""
import ctypes as C, os, select, shutil, signal, subprocess as sp, tempfile, time
from PIL import Image
from Xlib import X, XK, Xatom, display, error
from Xlib.ext import xtest
from Xlib.protocol.event import ClientMessage

_x, _xext, _libc = C.CDLL("libX11.so.6"), C.CDLL("libXext.so.6"), C.CDLL(None)
_x.XOpenDisplay.restype = _x.XDefaultVisual.restype = C.c_void_p
_xext.XShmCreateImage.restype = _libc.shmat.restype = C.c_void_p
_xext.XShmGetImage.argtypes = [C.c_void_p, C.c_ulong, C.c_void_p, C.c_int, C.c_int, C.c_ulong]
_ignore = C.CFUNCTYPE(C.c_int, C.c_void_p, C.c_void_p)(lambda *_: 0)
_x.XSetErrorHandler(_ignore)  # a window may go while it is read: grab() then returns None


class Win:
    def __init__(self, xs, w):
        g, o = w.get_geometry(), xs.root.translate_coords(w, 0, 0)
        self.xs, self.w, self.id, self.x, self.y, self.width, self.height = xs, w, w.id, o.x, o.y, g.width, g.height

    def grab(self, box=None):  # left, top, right, bottom; through shared memory, to poll at a light cost
        left, top, right, bottom = box or (0, 0, self.width, self.height)
        size, n, dpy = (right - left, bottom - top), (right - left) * (bottom - top) * 4, self.xs.shm
        if size not in self.xs.images:
            shmid = _libc.shmget(0, n, 0o1600)  # private, created, 0600
            seg = (C.c_long * 4)(0, shmid, _libc.shmat(shmid, None, 0))  # an XShmSegmentInfo, on amd64
            image = _xext.XShmCreateImage(dpy, C.c_void_p(_x.XDefaultVisual(dpy, 0)), 24, X.ZPixmap,
                                          C.c_void_p(seg[2]), seg, *size)
            _xext.XShmAttach(dpy, seg), _x.XSync(dpy, 0), _libc.shmctl(shmid, 0, None)  # freed once both detach
            self.xs.images[size] = seg, image, (C.c_char * n).from_address(seg[2])
        seg, image, pixels = self.xs.images[size]
        if _xext.XShmGetImage(dpy, self.id, image, left, top, 0xFFFFFFFF):
            return Image.frombuffer("RGB", size, pixels, "raw", "BGRX", 0, 1)  # a copy: the next grab reuses pixels

    def _send(self, *events):  # each as xtest.fake_input's arguments; synced, so the server has them all
        for e in events:
            xtest.fake_input(self.xs.d, *e)
        self.xs.d.sync()

    def move(self, x, y, *then):
        self._send((X.MotionNotify, 0, 0, 0, self.x + x, self.y + y), *then)

    def click(self, x, y):
        self.move(x, y, (X.ButtonPress, 1), (X.ButtonRelease, 1))

    def key(self, *names):  # "space", "shift+Tab"
        for name in names:
            mods = {"shift": "Shift_L", "ctrl": "Control_L", "alt": "Alt_L"}
            codes = [self.xs.d.keysym_to_keycode(XK.string_to_keysym(mods.get(k, k))) for k in name.split("+")]
            if 0 in codes:
                raise ValueError(f"no key for {name!r}")
            self._send(*[(X.KeyPress, c) for c in codes], *[(X.KeyRelease, c) for c in reversed(codes)])

    def focus(self):  # no window manager hands it out
        self.w.set_input_focus(X.RevertToParent, X.CurrentTime)
        self._send()

    def close(self):
        atom = self.xs.d.intern_atom
        self.w.send_event(ClientMessage(window=self.w, client_type=atom("WM_PROTOCOLS"),
                                        data=(32, [atom("WM_DELETE_WINDOW"), 0, 0, 0, 0])))
        self._send()


class XSession:
    def __init__(self, accessibility=False):
        self.accessibility, self.procs, self.images = accessibility, [], {}
        self.saved = self.d = self.shm = None

    def __enter__(self):
        self.tmp = tempfile.mkdtemp(prefix="xsession-")  # 0700, as a runtime directory must be
        drop = {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "WAYLAND_DISPLAY", "AT_SPI_BUS_ADDRESS"}
        # No bus unless asked for, rather than one that libdbus would autolaunch and leave behind.
        self.env = {k: v for k, v in os.environ.items() if k not in drop} | dict(
            QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=self.tmp, DBUS_SESSION_BUS_ADDRESS=f"unix:path={self.tmp}/none")
        try:
            r, w = os.pipe()
            self.start(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                       pass_fds=[w], stderr=sp.DEVNULL)
            os.close(w)
            with os.fdopen(r) as f:  # the display's number, once it takes clients; nothing if it failed
                self.env["DISPLAY"] = name = ":" + f.readline().strip()
            if name == ":":
                raise RuntimeError("Xvfb did not start")
            if self.accessibility:
                bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                 stdout=sp.PIPE, stderr=sp.DEVNULL)
                self.env |= dict(DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().decode().strip(),
                                 QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
                self.saved = os.environ.copy()
                os.environ.update({k: self.env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR")})
            self.d, self.shm = display.Display(name), C.c_void_p(_x.XOpenDisplay(name.encode()))
            self.root = self.d.screen().root
            self.root.change_attributes(event_mask=X.SubstructureNotifyMask)  # wakes window() on each map
            return self
        except BaseException:
            self.__exit__()
            raise

    def __exit__(self, *exc):
        if self.saved is not None:
            os.environ.clear(), os.environ.update(self.saved)
        for seg, _, _ in self.images.values():
            _libc.shmdt(C.c_void_p(seg[2]))
        self.shm and _x.XCloseDisplay(self.shm), self.d and self.d.close()
        for p in reversed(self.procs):  # each leads a process group: it and all it started
            for sig in (signal.SIGTERM, signal.SIGKILL):
                try:
                    os.killpg(p.pid, sig), p.wait(3)
                except (ProcessLookupError, sp.TimeoutExpired):
                    pass
        shutil.rmtree(self.tmp, ignore_errors=True)

    def start(self, argv, **popen):
        self.procs.append(sp.Popen(argv, env=self.env, start_new_session=True, **popen))
        return self.procs[-1]

    def find(self, title):  # no window manager: top-level windows are the root's children
        try:
            for w in [c for top in self.root.query_tree().children for c in [top, *top.query_tree().children]]:
                if w.get_attributes().map_state == X.IsViewable and w.get_full_text_property(Xatom.WM_NAME) == title:
                    return Win(self, w)
        except error.XError:  # one went while looked at
            return None

    def window(self, title, timeout=10):  # asks the server only when windows change, so as not to slow their programs
        deadline = time.monotonic() + timeout
        while not (win := self.find(title)):
            if time.monotonic() > deadline:
                raise TimeoutError(f"no window {title!r} within {timeout} s")
            if not self.d.pending_events():  # one may have come in with find()'s replies
                select.select([self.d], [], [], 0.05)
            for _ in range(self.d.pending_events()):
                self.d.next_event()
        return win
