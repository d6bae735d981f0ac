# The screen reader Orca next to the game, in the same X display, D-Bus session and
# accessibility bus, and heard as it logs each utterance ("SPEECH OUTPUT: '...'") to
# its debug file. No speech server is started: nothing is said aloud and nothing
# outlives the session.
#
# Orca is run through this file, which runs Orca's own launcher with no speech server,
# and with a log of its own: line by line (Orca's debug file is written in blocks of
# 8 KB, long after the words are said), and at the level of what is said (every detail
# slows Orca down past the 100 ms in which Qt waits for it to pass on each key). Nor
# does it refuse to start where another Orca of the same user runs on the machine.
import os, re, subprocess as sp, sys, time

ORCA = "/usr/bin/orca"
# "SPEECH OUTPUT: 'Carta 1: gatto.'{...}"; a key's echo has a space before the voice: "'space ' {...}"
SPEECH = re.compile(r"SPEECH OUTPUT: '(.*)'( ?)(?: voice=\w+)?\{.*\}$")


class Orca:
    def __init__(self, xs):
        home = os.path.join(xs.tmp, "orca")
        os.makedirs(f"{home}/prefs")
        self.log = open(f"{home}/debug.log", "w+")
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=f"{home}/config", XDG_DATA_HOME=f"{home}/data",
                   GSETTINGS_BACKEND="memory")
        xs.start([sys.executable, __file__, self.log.name, "-u", f"{home}/prefs"], env=env,
                 stdin=sp.DEVNULL, stdout=sp.DEVNULL, stderr=sp.DEVNULL)
        self.said, self.seen, self.partial = [], 0, ""
        self.wait_for("^Screen reader on", timeout=30)

    def listen(self):
        lines = (self.partial + self.log.read()).split("\n")
        self.partial = lines.pop()  # not yet ended
        self.said += [found[1] for line in lines if (found := SPEECH.search(line)) and not found[2]]

    def wait_for(self, pattern, timeout=5):  # the first utterance since the last one waited for
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


if __name__ == "__main__":
    log, sys.argv[:2] = sys.argv[1], [ORCA]
    launcher = {"__name__": "orca_launcher", "__file__": ORCA}
    with open(ORCA) as code:
        exec(compile(code.read(), ORCA, "exec"), launcher)
    debug = launcher["debug"]
    debug.debugLevel, debug.debugFile = debug.LEVEL_INFO, open(log, "w", buffering=1)
    launcher["otherOrcas"] = lambda: []
    launcher["settings"].speechServerFactory, launcher["settings"].speechFactoryModules = None, []
    sys.exit(launcher["main"]())
