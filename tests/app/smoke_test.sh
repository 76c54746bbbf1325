#!/usr/bin/env bash
# Starts the real program on a virtual X server with a fresh settings folder,
# finds its window by caption, presses Alt+E (Exit) and checks that it ends
# with exit code 0 after seeding the settings store.
# Usage: smoke_test.sh path/to/tessil
set -u

tessil=${1:?usage: smoke_test.sh path/to/tessil}
caption='Tessil v2.02 - Programmer for PIC18'

if [ -z "${TESSIL_SMOKE_INNER:-}" ]; then
  for tool in xvfb-run xdotool; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed (scripts/install-deps installs it)"
      exit 77
    fi
  done
  TESSIL_SMOKE_INNER=1 exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$tessil"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM  # the real X server, not the offscreen one of the unit tests
export LSAN_OPTIONS="suppressions=$(dirname "$(readlink -f "$0")")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

fail() {
  echo "FAIL: $*"
  [ -s "$work/tessil.log" ] && sed 's/^/  tessil: /' "$work/tessil.log"
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  exit 1
}

"$tessil" >"$work/tessil.log" 2>&1 &
pid=$!

# A sanitizer build takes a while to come up; wait for the window, not a time.
window=
for _ in $(seq 1 240); do
  window=$(xdotool search --name "^${caption}\$" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "tessil ended before its window appeared"
  sleep 0.25
done
[ -n "$window" ] || fail "no window captioned \"$caption\""

xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers alt+e

for _ in $(seq 1 240); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.25
done
if kill -0 "$pid" 2>/dev/null; then
  fail "tessil is still running after Alt+E"
fi
wait "$pid"
code=$?
[ "$code" -eq 0 ] || fail "exit code $code, expected 0"

store="$XDG_CONFIG_HOME/tessil/registry.reg"
[ -f "$store" ] || fail "the settings store $store was not created"
grep -q '"Tessil v2.02"' "$store" || fail "the settings store was not seeded: $(cat "$store")"
echo "PASS"
