# shellcheck shell=bash
# Sourced by the scripts, with their arguments: where what outlives a build folder is
# kept, and how to do as root only what needs root.

# Qt for Windows and the Debian 13 root are built once and kept outside the tree: for the
# whole machine when root builds them, in the player's own cache otherwise.
if [[ -z ${PAIRON12_CACHE:-} ]]; then
  if ((EUID == 0)); then
    PAIRON12_CACHE=/var/cache/pairon12
  else
    PAIRON12_CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/pairon12
  fi
fi
cache=$PAIRON12_CACHE

# What to run as root where sudo cannot be had: the whole command, run the same way.
invocation=$(printf '%q ' "$(realpath "$0")" "$@")

# Runs a command as root: as it is where this already runs as root, as CI does, else
# through sudo, which asks for the player's password where it must. Where neither can be,
# nothing is run and the one line printed says what to run as root instead.
as_root() {
  if ((EUID == 0)); then
    "$@"
  elif command -v sudo >/dev/null && { sudo -n true 2>/dev/null || sudo -v; }; then
    # Through env, which sudo's rules for the environment leave alone.
    sudo env PAIRON12_CACHE="$cache" ${PAIRON12_MIRROR:+PAIRON12_MIRROR="$PAIRON12_MIRROR"} \
      ${PAIRON12_JOBS:+PAIRON12_JOBS="$PAIRON12_JOBS"} "$@"
  else
    echo "$(basename "$0"): root is needed and sudo cannot give it; as root, run: su -c '${invocation% }'" >&2
    return 1
  fi
}
