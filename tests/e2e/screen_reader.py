# The screen reader Orca next to the game, in the same X display, D-Bus session and
# accessibility bus, started as a user starts it: its own command, with a preferences
# folder of its own (-u), in English, so that its words ("Screen reader on", "push
# button") are the same on every machine whatever the session's language.
#
# It is heard through its speech log: Orca logs each utterance ("SPEECH OUTPUT: '...'")
# to a logger named "speech", and its customization file, run as it starts, sends that
# logger's lines to a file, one at a time as they are said. No speech server is started
# (the speech-dispatcher it would start is told not to), so nothing is said aloud and
# nothing outlives the session.
import os, re, subprocess as sp, time

# "SPEECH OUTPUT: 'Carta 1: gatto.'"; a key's echo carries its voice: "'space ' ACSS(...)"
SPEECH = re.compile(r"^SPEECH OUTPUT: '(.*)'( voice=\w+)?$")
CUSTOMIZATION = """import logging
heard = logging.FileHandler({log!r}, mode="w")
heard.setFormatter(logging.Formatter("%(message)s"))
logging.getLogger("speech").addHandler(heard)
"""
# Orca's answer to a second Orca of the same user.
ALONE = "this test starts an Orca of its own, and Orca will not run beside another Orca of the same user"


class Orca:
    def __init__(self, xs, timeout=30):
        if sp.run(["pgrep", "-u", str(os.getuid()), "-x", "orca"], stdout=sp.DEVNULL).returncode == 0:
            raise RuntimeError(f"Orca is running: {ALONE}; run the test as another user")
        home = os.path.join(xs.tmp, "orca")
        prefs, config, log = f"{home}/prefs", f"{home}/config", f"{home}/speech.log"
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
        xs.start(["orca", "-u", prefs], env=env, stdin=sp.DEVNULL, stdout=sp.DEVNULL, stderr=sp.DEVNULL)
        self.said, self.seen, self.partial = [], 0, ""
        self.wait_for("^Screen reader on", timeout)

    def listen(self):
        lines = (self.partial + self.log.read()).split("\n")
        self.partial = lines.pop()  # not yet ended
        self.said += [found[1] for line in lines if (found := SPEECH.search(line))]

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
