# The screen reader Orca next to the game, in the same X display, D-Bus session and
# accessibility bus, started as a user starts it: its own command, with a preferences
# folder of its own (-u), in English, so that its words ("Screen reader on", "push
# button") are the same on every machine whatever the session's language.
#
# It is heard through its debug log, where Orca writes each utterance ("SPEECH OUTPUT:
# '...'"), opened by its customization file as Orca starts: line by line (a file Orca
# opens itself is written in blocks of 8 KB, long after the words are said), and at the
# level of what is said (every detail slows Orca down past the 100 ms in which Qt waits
# for it to pass on each key). No speech server is started (the speech-dispatcher Orca
# would start is told not to), so nothing is said aloud and nothing outlives the session.
import os, re, signal, subprocess as sp, time

# "14:45:50.482749 - SPEECH OUTPUT: 'Carta 1: gatto.' {'established': False}": the time
# and a space before the voice from Orca 48 on, neither before.
SPEECH = re.compile(r"SPEECH OUTPUT: '(.*)'(?: voice=\w+)? ?(?:\{.*\}|None)$")
CUSTOMIZATION = """from orca import debug
debug.debugLevel, debug.debugFile = debug.LEVEL_INFO, open({log!r}, "w", buffering=1)
"""
# Orca says it is on before it listens to programs (Orca 48 some 70 ms before): a game
# started in between would come up unheard. Orca 43 logs the first, Orca 48 the second,
# as it starts to listen.
LISTENING = re.compile(r"ORCA: Starting (?:ATSPI registry|Atspi main event loop)")
# On a busy machine Orca may lag seconds behind the game, more so beside a sanitizer build (how
# much slower it runs): what it has not said by then it will never say.
PATIENCE = 10 * float(os.environ.get("PAIRON12_SLOWDOWN", "1"))


class Orca:
    def __init__(self, xs, timeout=30):
        home = os.path.join(xs.tmp, "orca")
        prefs, config, log = f"{home}/prefs", f"{home}/config", f"{home}/debug.log"
        os.makedirs(prefs), os.makedirs(f"{config}/speech-dispatcher")
        with open(f"{prefs}/orca-customizations.py", "w") as custom:
            custom.write(CUSTOMIZATION.format(log=log))
        with open(f"{config}/speech-dispatcher/speechd.conf", "w") as speechd:
            speechd.write("DisableAutoSpawn\n")
        open(log, "w").close()
        self.log = open(log)
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=config, XDG_DATA_HOME=f"{home}/data",
                   GSETTINGS_BACKEND="memory", LANG="C.UTF-8", LANGUAGE="en")
        env.pop("LC_ALL", None), env.pop("LC_MESSAGES", None)
        quiet = dict(stdin=sp.DEVNULL, stdout=sp.DEVNULL, stderr=sp.DEVNULL)
        self.process = xs.start(["orca", "-u", prefs], env=env, **quiet)
        self.said, self.seen, self.partial, self.listening = [], 0, "", False
        self.wait_for("^Screen reader on", timeout)
        deadline = time.monotonic() + timeout
        while not self.listening:
            if time.monotonic() > deadline:
                raise TimeoutError("Orca said it was on but never started to listen to programs")
            time.sleep(0.01)
            self.listen()

    def listen(self):
        lines = (self.partial + self.log.read()).split("\n")
        self.partial = lines.pop()  # not yet ended
        self.said += [found[1] for line in lines if (found := SPEECH.search(line))]
        self.listening = self.listening or any(LISTENING.search(line) for line in lines)

    def hold(self, held):  # stopped, as a busy machine holds it up; let go, it comes to what it missed
        self.process.send_signal(signal.SIGSTOP if held else signal.SIGCONT)

    def wait_for(self, pattern, timeout=PATIENCE):  # the first utterance since the last one waited for
        deadline = time.monotonic() + timeout
        while True:
            self.listen()
            for i in range(self.seen, len(self.said)):
                if found := re.search(pattern, self.said[i]):
                    self.seen = i + 1
                    return found
            if time.monotonic() > deadline:
                raise TimeoutError(f"Orca did not say {pattern!r}; it said {self.said[self.seen:]}")
            time.sleep(0.01)

    def wait_for_each(self, *patterns, timeout=PATIENCE):  # all since the last one waited for, in any order
        start, last, found = self.seen, self.seen, []
        for pattern in patterns:
            self.seen = start
            found.append(self.wait_for(pattern, timeout))
            last = max(last, self.seen)
        self.seen = last
        return found
