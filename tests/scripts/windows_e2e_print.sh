#!/usr/bin/env bash
# The print path: the sample printer installed with setup.exe /S, then raw jobs sent
# through Wine's spooler as an application prints a receipt (print-job.exe:
# OpenPrinter, StartDocPrinter with the "RAW" datatype, WritePrinter, EndDocPrinter),
# to each kind of target the port monitor has, the bytes compared:
# - the folder the port got at installation, made then, before any job, and open to
#   nobody else (Wine keeps a DACL as Unix permission bits: none for others): 65,536
#   bytes become one "<date>-<time>-job0-<document>.prn" (Wine hands StartDocPort job
#   id 0), just as private, and nothing else is left beside it;
# - that folder replaced by a symbolic link to another folder: the job fails and
#   nothing is written through the link; as root, the folder given to another Unix
#   user (Wine reports its owner as S-1-5-7): refused as well. Wine's print processor
#   reports the monitor's error in its trace and hands the program error 6;
# - a TCP listener on 127.0.0.1: 300,000 bytes;
# - COM5, a pty linked as dosdevices/com5: 20,000 bytes, and in the pty's termios
#   the line the printer expects (19200 baud, 8 data bits, no parity, 1 stop bit,
#   RTS/CTS).
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C

fresh_prefix
drive_c=$E2E_PREFIX/drive_c  # install_lib.sh named the shared prefix's
unattended 0 install /S
jobs_folder="$drive_c/ProgramData/$printer Monitor"
port_key="$monitor_key\\\\Ports\\\\$port"

# print_job NAME BYTES DOCUMENT: BYTES random bytes (kept as $E2E_WORK/NAME.bin) sent
# as one raw job named DOCUMENT to the printer; print-job's output and Wine's spooler
# warnings land in $E2E_WORK/NAME.out, its exit code in print_rc.
print_job() {
  mkdir -p "$drive_c/jobs"
  head -c "$2" /dev/urandom >"$E2E_WORK/$1.bin"
  cp "$E2E_WORK/$1.bin" "$drive_c/jobs/$1.bin"
  WINEDEBUG=-all,warn+localspl wine_run print-job.exe "$printer" "C:\\jobs\\$1.bin" "$3" >"$E2E_WORK/$1.out" 2>&1
  print_rc=$?
  [ $print_rc -eq 77 ] && exit 77
}

# private PATH: PATH grants others nothing (its mode ends in "---").
private() { [[ $(stat -c %A "$1") == *--- ]]; }

# refused NAME ERROR: the job NAME failed in EndDocPrinter with the monitor's ERROR in
# Wine's trace.
refused() {
  [ $print_rc -eq 1 ] && grep -q '^EndDocPrinter failed error=6' "$E2E_WORK/$1.out" ||
    fail "$1: the job did not fail: $(tr '\n' ' ' <"$E2E_WORK/$1.out")"
  grep -q "PrintDocumentOnPrintProcessor failed $2\$" "$E2E_WORK/$1.out" ||
    fail "$1: not refused with $2: $(grep -i localspl "$E2E_WORK/$1.out" | tr '\n' ' ')"
}

# The folder job.
[ -d "$jobs_folder" ] || fail "install: the port's folder was not made with the port"
private "$jobs_folder" || fail "install: the port's folder is open to others: $(stat -c %A "$jobs_folder")"
print_job folder 65536 "Receipt 1"
[ $print_rc -eq 0 ] || fail "folder: exit $print_rc: $(tr '\n' ' ' <"$E2E_WORK/folder.out")"
made=$(ls -A "$jobs_folder")
if [[ $made =~ ^[0-9]{8}-[0-9]{6}-job0-Receipt\ 1\.prn$ ]]; then
  cmp -s "$E2E_WORK/folder.bin" "$jobs_folder/$made" || fail "folder: the file's bytes differ from the job's"
  private "$jobs_folder/$made" || fail "folder: the job file is open to others: $(stat -c %A "$jobs_folder/$made")"
else
  fail "folder: the folder holds \"$made\", not one job file"
fi

# A link in the folder's place: nothing goes through it.
mv "$jobs_folder" "$E2E_WORK/jobs-folder"
mkdir "$E2E_WORK/elsewhere"
ln -s "$E2E_WORK/elsewhere" "$jobs_folder"
print_job link 4096 "Through a link"
refused link 1920
[ -z "$(ls -A "$E2E_WORK/elsewhere")" ] || fail "link: written through the link: $(ls -A "$E2E_WORK/elsewhere")"
rm "$jobs_folder"
mv "$E2E_WORK/jobs-folder" "$jobs_folder"
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$jobs_folder"
  print_job owner 4096 "Foreign folder"
  refused owner 5
  chown root "$jobs_folder"
fi
[ "$(ls -A "$jobs_folder")" = "$made" ] || fail "refusals: the folder now holds $(ls -A "$jobs_folder" | tr '\n' ',')"

# A network printer: a listener on a free loopback port, which keeps what arrives
# until the monitor ends the stream.
python3 - "$E2E_WORK/tcp.received" <<'LISTENER' &
import socket, sys
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(1)
with open(sys.argv[1] + ".port", "w") as out:
    out.write(str(server.getsockname()[1]))
server.settimeout(120)
client, _ = server.accept()
client.settimeout(60)
data = bytearray()
while True:
    chunk = client.recv(65536)
    if not chunk:
        break
    data += chunk
with open(sys.argv[1], "wb") as out:
    out.write(data)
LISTENER
listener=$!
for _ in $(seq 100); do [ -s "$E2E_WORK/tcp.received.port" ] && break; sleep 0.1; done
set_reg_value "$port_key" Target "tcp:127.0.0.1:$(cat "$E2E_WORK/tcp.received.port" 2>/dev/null)"
print_job tcp 300000 "Network receipt"
[ $print_rc -eq 0 ] || fail "tcp: exit $print_rc: $(tr '\n' ' ' <"$E2E_WORK/tcp.out")"
wait $listener
cmp -s "$E2E_WORK/tcp.bin" "$E2E_WORK/tcp.received" ||
  fail "tcp: the listener got $(stat -c %s "$E2E_WORK/tcp.received" 2>/dev/null || echo no) bytes, not the job's"

# A serial printer: COM5 is the slave of a pty, raw as a serial line is; what the
# monitor writes arrives on the master, and the line settings stay in the termios.
python3 - "$E2E_PREFIX/dosdevices/com5" "$E2E_WORK/serial.received" 20000 <<'PTY' >"$E2E_WORK/serial.line" &
import os, pty, select, sys, termios, time, tty
master, slave = pty.openpty()
tty.setraw(slave)
os.symlink(os.ttyname(slave), sys.argv[1])
open(sys.argv[2] + ".ready", "w").close()
want, data, end = int(sys.argv[3]), b"", time.time() + 120
while len(data) < want and time.time() < end:
    if select.select([master], [], [], 1)[0]:
        data += os.read(master, 65536)
with open(sys.argv[2], "wb") as out:
    out.write(data)
iflag, oflag, cflag, lflag, ispeed, ospeed, cc = termios.tcgetattr(slave)
size = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
print("speed=%s bits=%d parity=%d stop=%d rtscts=%d" % (
    "19200" if ispeed == ospeed == termios.B19200 else "other", size, bool(cflag & termios.PARENB),
    2 if cflag & termios.CSTOPB else 1, bool(cflag & termios.CRTSCTS)))
PTY
reader=$!
for _ in $(seq 100); do [ -e "$E2E_WORK/serial.received.ready" ] && break; sleep 0.1; done
set_reg_value "$port_key" Target COM5
print_job serial 20000 "Serial receipt"
[ $print_rc -eq 0 ] || fail "serial: exit $print_rc: $(tr '\n' ' ' <"$E2E_WORK/serial.out")"
wait $reader
rm -f "$E2E_PREFIX/dosdevices/com5"
cmp -s "$E2E_WORK/serial.bin" "$E2E_WORK/serial.received" ||
  fail "serial: the pty got $(stat -c %s "$E2E_WORK/serial.received" 2>/dev/null || echo no) bytes, not the job's"
[ "$(cat "$E2E_WORK/serial.line")" = "speed=19200 bits=8 parity=0 stop=1 rtscts=1" ] ||
  fail "serial: the line is $(cat "$E2E_WORK/serial.line")"

e2e_done "raw jobs through the spooler: into a private folder, never through a link, to a TCP listener and a serial port"
