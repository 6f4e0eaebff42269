#!/usr/bin/env bash
# End to end: the update check at start-up against a web server on 127.0.0.1. A
# newer version is told at its rows and a key goes on to the main menu; the same or
# a shorter version, a huge or binary version file, or the check switched off show
# nothing (switched off: no request at all); a server that never answers does not
# hold the start past the time-out.
set -euo pipefail
. "$(dirname "$0")/lib/program_windows.sh" mvirda_update
command -v python3 >/dev/null || { echo "missing python3"; exit 1; }
command -v curl >/dev/null || { echo "missing curl"; exit 1; }
www="$drive/www"
server=""
stop_server() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  server=""
}
at_exit stop_server
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
serve() {  # a web server on 127.0.0.1 over $www, its log in $drive/server.log
  stop_server
  port="$(free_port)"
  (cd "$www" && exec python3 -m http.server "$port" --bind 127.0.0.1) >"$drive/server.log" 2>&1 &
  server=$!
  for i in $(seq 200); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done
  curl -s -o /dev/null "http://127.0.0.1:$port/" || fail "the web server did not start"
  : >"$drive/server.log"
  printf 'http://127.0.0.1:%s/verzio.txt\r\n%s\r\n' "$port" "${1:-10}" >"$inst/wwwellen.txt"
}
start() {  # the program up to the date; Enter on it starts the check
  open_window "'$launcher' '$inst' x"
  wait_for "A feldolgozás dátuma:"
}
set_kwwwellen() {  # the update check setting of the first record of "konstans"
  python3 - "$inst/konstans.dbf" "$1" <<'PY'
import sys
path, value = sys.argv[1], sys.argv[2]
b = bytearray(open(path, "rb").read())
header = b[8] | b[9] << 8
fields = [b[32 * i:32 * i + 32] for i in range(1, (header - 1) // 32)]
offset = 1
for f in fields:
    if bytes(f[:11]).split(b"\0")[0].decode().upper() == "KWWWELLEN":
        break
    offset += f[16]
b[header + offset] = ord(value)
open(path, "wb").write(b)
PY
}

"$gen" "$drive" --persons 10 --companies 1 >/dev/null
touch "$inst/elsoind.jel"
mkdir -p "$www"

# A newer version: the message, a key, the main menu.
printf 'Programok\r\nVIRDA23:2023.02\r\n' >"$www/verzio.txt"
serve
start
tm send-keys -t t Enter
wait_for "Töltse le a frissítést!"
expect_at 7 15 "╔"
expect_at 9 18 "A gépen levő program verziószáma  : 2023.01"
expect_at 11 18 "Az internetről letölthető változat: 2023.02"
expect_at 13 18 "Töltse le a frissítést!"
expect_at 15 18 "Tovább..."
grep -q "GET /verzio.txt" "$drive/server.log" || fail "no request for verzio.txt"
tm send-keys -t t x
wait_for "Kilépés a programból"
quit_program

# The same version, or a blank after the colon (one character shorter): nothing.
for line in 'VIRDA23:2023.01' 'VIRDA23: 2023.02'; do
  printf '%s\r\n' "$line" >"$www/verzio.txt"
  start
  tm send-keys -t t Enter
  wait_for "Kilépés a programból"
  ! pane | grep -qF "Töltse le" || fail "a message for '$line'"
  quit_program
done

# A huge binary version file: nothing shown, nothing broken.
head -c 10000000 /dev/urandom >"$www/verzio.txt"
start
tm send-keys -t t Enter
wait_for "Kilépés a programból"
[ ! -f "$inst/verzio.txt" ] || [ "$(stat -c %s "$inst/verzio.txt")" -le 65536 ] || fail "a huge verzio.txt was kept"
quit_program

# Switched off (KWWWELLEN 2): no request at all.
printf 'VIRDA23:2023.02\r\n' >"$www/verzio.txt"
set_kwwwellen 2
: >"$drive/server.log"
start
tm send-keys -t t Enter
wait_for "Kilépés a programból"
! grep -q "GET" "$drive/server.log" || fail "a request although the check is off"
quit_program
set_kwwwellen 1

# A server that takes the connection and never answers, a time-out of 2 seconds.
stop_server
port="$(free_port)"
python3 -c 'import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(5)
open(sys.argv[2], "w").write("listening\n")
held = []
while True:
    c, _ = s.accept(); held.append(c)
    open(sys.argv[2], "a").write("accepted\n")' "$port" "$drive/silent.log" &
server=$!
wait_file "$drive/silent.log" listening
printf 'http://127.0.0.1:%s/verzio.txt\r\n2\r\n' "$port" >"$inst/wwwellen.txt"
start
t0=$(date +%s.%N)
tm send-keys -t t Enter
wait_for "Kilépés a programból"
t1=$(date +%s.%N)
grep -q accepted "$drive/silent.log" || fail "the check never reached the server"
# The time-out is 2 s; without it the start would wait for good. The bound leaves room
# for a loaded machine.
python3 -c "import sys; sys.exit(0 if $t1 - $t0 < 12 else 1)" || fail "the start waited $(python3 -c "print($t1 - $t0)") s"
quit_program
echo "ok"
