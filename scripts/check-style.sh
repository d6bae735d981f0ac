#!/usr/bin/env bash
# Fails on any file that clang-format would change or clang-tidy warns about.
# Needs the compile commands of a configured build (default: the ci preset's).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}

mapfile -t sources < <(git ls-files -- '*.cpp' '*.h')
clang-format --dry-run --Werror "${sources[@]}"
echo "clang-format: ${#sources[@]} files clean"

# Those the build compiles here: a file only a cross-build compiles is left to that build.
compiled() {
  while read -r unit; do
    grep -q "\"file\": \"$PWD/$unit\"" "$build/compile_commands.json" && echo "$unit"
  done
}
mapfile -t units < <(git ls-files -- 'src/*.cpp' 'tests/*.cpp' 'bench/*.cpp' 'tools/*.cpp' | compiled)
# Two at a time: the machine has two cores.
printf '%s\n' "${units[@]}" | xargs -P 2 -n 4 clang-tidy -p "$build" --quiet 2> >(grep -v -E '^[0-9]+ warnings? generated\.$' >&2)
echo "clang-tidy: ${#units[@]} files clean"
