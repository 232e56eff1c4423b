#!/usr/bin/env bash
# recover-after-kill.sh VELMO: types into a new document and into an ANSI file in a real
# editor window, kills the editor with SIGKILL once the backups are written, starts it again,
# answers "Recover", and saves both documents: the files must hold exactly what was typed.
set -u
VELMO=$(readlink -f "$1")
for t in Xvfb xdotool; do
  command -v $t >/dev/null || { echo "skipped: $t is not installed"; exit 77; }
done
T=$(mktemp -d /tmp/velmo-crash.XXXX)
mkdir -p "$T/prog" "$T/data" "$T/config" "$T/run" "$T/home"; chmod 700 "$T/run"
cp "$VELMO" "$T/prog/velmo"
printf '[EDITOR]\nBackupInterval=1\n' > "$T/prog/velmo.ini"
export VELMO_DATA_DIR=$T/data XDG_CONFIG_HOME=$T/config XDG_RUNTIME_DIR=$T/run HOME=$T/home
export QT_QPA_PLATFORM=xcb   # a real window on the virtual display, whatever the suite runs with
# Shipped data next to the copied program, as the installed layout has it.
[ -d "$(dirname "$VELMO")/../share" ] && ln -s "$(readlink -f "$(dirname "$VELMO")/../share")" "$T/share"
# The server picks a free display itself and says which when it is ready.
Xvfb -displayfd 3 -screen 0 1280x900x24 3>"$T/display" >/dev/null 2>&1 & XPID=$!
for i in $(seq 1 100); do [ -s "$T/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$T/display")
pid=
cleanup() { [ -n "$pid" ] && kill -9 $pid 2>/dev/null; kill $XPID 2>/dev/null; wait 2>/dev/null; rm -rf "$T"; }
trap cleanup EXIT
[ -s "$T/display" ] || { echo "FAIL the virtual display did not start"; exit 1; }
# On a busy machine the display may be named a little before it takes clients.
for i in $(seq 1 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "FAIL the virtual display $DISPLAY takes no clients"; exit 1; }
fail() { echo "FAIL $*"; [ -f "$T/log" ] && cat "$T/log"; exit 1; }
k() { xdotool key --clearmodifiers --delay 60 "$@"; sleep 0.4; }
ty() { xdotool type --delay 40 "$1"; sleep 0.4; }
# Waits for a visible window of the editor whose title matches $1 (at least $2 of them),
# then gives the newest one the keyboard.
window() {
  local w= n=
  for i in $(seq 1 600); do
    n=$(xdotool search --onlyvisible --pid $pid --name "$1" 2>/dev/null | wc -l)
    [ "$n" -ge "${2:-1}" ] && { w=$(xdotool search --onlyvisible --pid $pid --name "$1" | tail -1); break; }
    sleep 0.1
  done
  [ -n "$w" ] || fail "no window named $1"
  sleep 0.8; xdotool windowactivate --sync "$w" 2>/dev/null; xdotool windowfocus --sync "$w" 2>/dev/null; sleep 0.3
}

printf 'caf\xe9\r\n' > "$T/ansi.txt"             # not UTF-8: opened as ANSI
"$T/prog/velmo" >"$T/log" 2>&1 & pid=$!
window Velmo
k ctrl+n; ty "fresh"                              # a new document first
k ctrl+o; window '^Open'; ty "$T/ansi.txt"; k Return   # then the ANSI file, typed into last
for i in $(seq 1 50); do xdotool search --onlyvisible --pid $pid --name 'ansi.txt' >/dev/null 2>&1 && break; sleep 0.1; done
window 'ansi.txt'; k ctrl+End; ty "42"
for i in $(seq 1 60); do [ "$(ls "$T"/data/backup/*/*.idx 2>/dev/null | wc -l)" = 2 ] && break; sleep 0.2; done
[ "$(ls "$T"/data/backup/*/*.idx 2>/dev/null | wc -l)" = 2 ] || fail "the two backups were not written"
sleep 0.5
kill -9 $pid; wait $pid 2>/dev/null; pid=

"$T/prog/velmo" >"$T/log" 2>&1 & pid=$!
window Velmo 2                                    # the main window and the question
k Return                                          # "Recover" is the default button
window 'ansi.txt'
k ctrl+s                                          # the ANSI file: recovered last, so active
[ "$(od -An -tx1 "$T/ansi.txt" | tr -d ' \n')" = "$(printf 'caf\xe9\r\n42' | od -An -tx1 | tr -d ' \n')" ] ||
  fail "ansi.txt is $(od -c "$T/ansi.txt")"
k ctrl+Tab; k ctrl+s                              # the new document asks for a name
window '^Save As'; ty "$T/fresh.txt"; k Return
for i in $(seq 1 20); do [ -f "$T/fresh.txt" ] && break; sleep 0.2; done
[ "$(cat "$T/fresh.txt" 2>/dev/null)" = "fresh" ] || fail "fresh.txt is '$(cat "$T/fresh.txt" 2>/dev/null)'"
[ -z "$(ls "$T"/data/backup/*/*.idx 2>/dev/null)" ] || fail "backups are left after saving: $(ls "$T"/data/backup/*/)"
echo "ok: both documents recovered and saved byte for byte"
