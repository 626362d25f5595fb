# Sourced after e2e_lib.sh by the scripts that run whole installations of a setup
# program in the robot's prefix and then look at what they left there: files on
# drive C:, the registry (read from the prefix's system.reg once its wineserver has
# written it out), the Install log and the robot's record.
#
# The prefix is shared by every end-to-end script of the tree and keeps what earlier
# installations registered, so each scenario first removes the state it is about to
# check (reset_install_state).

drive_c=$E2E_PREFIX/drive_c
install_log=$drive_c/InstallPrinter.txt
default_folder="$drive_c/Program Files/Rillo-58-Series"
data_folder=$drive_c/ProgramData/Rillo-58-Series
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Rillo-58-Series Printer Driver"
shortcut=$start_menu/"Uninstall Printer Driver.lnk"
driver_dir=$drive_c/windows/system32/spool/drivers/$path_driver_folder
system_dir=$drive_c/windows/system32
printers_key='System\\CurrentControlSet\\Control\\Print\\Printers'
monitor_key='System\\CurrentControlSet\\Control\\Print\\Monitors\\Rillo-58-Series Monitor'
record_key='Software\\Rillo-58-Series'
# The sample printer as check_installed expects it.
printer=Rillo-58-Series
port="$printer PORT:"
program_dir="C:\\Program Files\\$printer"
# The tree's package: the monitor DLLs and the uninstaller it built in place of their placeholders.
package_dir=${PACKAGE_DIR:?}

# An empty robot script: makes the prefix (first use) before anything in it is touched.
make_prefix() {
  : >"$E2E_WORK/where.txt"
  robot where
  [ $robot_rc -eq 0 ] || fail "where: robot exit $robot_rc"
  [ -d "$drive_c" ] || { fail "no drive_c in $E2E_PREFIX"; e2e_done; }
}

# Waits until the prefix's wineserver has ended and written the registry files.
flush_registry() { WINEPREFIX=$E2E_PREFIX timeout 60 wineserver -w; }

# drop_keys PREFIX: removes from system.reg every key whose path starts with PREFIX
# (as the file writes it: backslashes doubled), compared without regard to case.
# Only done while no wineserver holds the prefix.
drop_keys() {
  flush_registry
  local reg=$E2E_PREFIX/system.reg
  KEY="[$1" awk 'BEGIN { p = tolower(ENVIRON["KEY"]) }
    /^\[/ { skip = index(tolower($0), p) == 1 }
    !skip' "$reg" >"$reg.new" && mv "$reg.new" "$reg"
}

# reg_value KEY NAME: the string value NAME of the HKLM key KEY (system.reg spelling),
# unescaped; nothing (and false) when the key or the value is missing.
reg_value() {
  flush_registry
  KEY="[$1]" NAME="\"$2\"=" awk '
    BEGIN { k = ENVIRON["KEY"]; n = ENVIRON["NAME"] }
    /^\[/ { inside = index(tolower($0), tolower(k) " ") == 1 || tolower($0) == tolower(k); next }
    inside && index($0, n) == 1 {
      v = substr($0, length(n) + 1)
      if (v !~ /^".*"$/) exit 1
      v = substr(v, 2, length(v) - 2); gsub(/\\\\/, "\\", v); print v; found = 1; exit
    }
    END { exit !found }' "$E2E_PREFIX/system.reg"
}

# set_reg_value KEY NAME TEXT: sets the string value NAME of the HKLM key KEY (system.reg
# spelling; the key must exist) in system.reg, as another program would have; TEXT
# without backslashes or quotes. Only done while no wineserver holds the prefix.
set_reg_value() {
  flush_registry
  local reg=$E2E_PREFIX/system.reg
  KEY="[$1]" NAME="\"$2\"=" TEXT="$3" awk '
    BEGIN { k = tolower(ENVIRON["KEY"]); n = ENVIRON["NAME"]; line = n "\"" ENVIRON["TEXT"] "\"" }
    /^\[/ { inside = index(tolower($0), k " ") == 1; if (inside) { print; print line; next } }
    inside && index($0, n) == 1 { next }
    { print }' "$reg" >"$reg.new" && mv "$reg.new" "$reg"
}

# has_key KEY: HKLM holds the key KEY (system.reg spelling).
has_key() {
  flush_registry
  grep -qiF "[$1] " "$E2E_PREFIX/system.reg"
}

# rillo_printers: the spooler's printers whose names start with Rillo-58-Series, one a
# line, sorted.
rillo_printers() {
  flush_registry
  grep -ioE "^\[$(sed 's/\\/\\\\/g' <<<"$printers_key")\\\\\\\\Rillo-58-Series[^]\\\\]*\]" "$E2E_PREFIX/system.reg" |
    sed -E 's/.*\\\\([^\\]*)\]$/\1/' | sort
}

# reset_install_state: no Rillo-58-Series printer, no uninstall record, no Install log,
# no default destination or data folder (files there the record no longer names would
# be another installation's), no shortcut folder, no driver files of ours in the driver directory, no monitor DLLs
# of ours in the system folder, no monitor registered under our name (its ports went
# with it).
reset_install_state() {
  drop_keys "$printers_key\\\\Rillo-58-Series"
  drop_keys "$monitor_key"
  drop_keys "$record_key"
  rm -rf "$install_log" "$start_menu" "$default_folder" "$data_folder"
  rm -f "$driver_dir"/Rillo-58-Series* "$driver_dir"/3/Rillo-58-Series* "$system_dir"/Rillo-58-SeriesMon*.dll
}

# to_installation PROGRAM [FOLDER]: setup_to_page3's lines for PROGRAM in English, then
# FOLDER typed over the destination on page 3 when given (empty: the default), and
# Next there, which starts the installation.
to_installation() {
  local program=$1 folder=${2:-}
  setup_to_page3 en | sed "s/^start setup\.exe\$/start $(as_word "$program" | sed 's/[\\/&]/\\&/g')/"
  [ -n "$folder" ] && echo "set-text SetupWizardPanel/1001 $(as_word "$folder")"
  echo "click 1001"
}

# install_script PROGRAM [FOLDER [PORT_INDEX]]: to_installation, then page 5 (its port
# list is filled before the page shows) with a pause, a record of it and its port
# list, the port combo's item PORT_INDEX chosen there when given, Next, and Finish on
# page 7.
install_script() {
  to_installation "$1" "${2:-}"
  printf 'wait-page 5 120000\nsleep 1500\nrecord\nlist-items 1017\n'
  [ -n "${3:-}" ] && echo "select 1017 $3"
  printf 'click 1001\nwait-page 7 120000\nclick 1007\nwait-exit 30000\n'
}

# step LINE: the number of the record's step that ran the script line LINE (exact).
step() {
  grep -F -- " $1" "$record" | sed -nE "s/^STEP ([0-9]+) (.*)\$/\1 \2/p" |
    LINE=$1 awk 'substr($0, index($0, " ") + 1) == ENVIRON["LINE"] { print $1; exit }'
}

# run_install NAME PROGRAM [FOLDER [PORT_INDEX]]: runs a whole installation and checks
# that the robot saw every page to 7 and the program ended with 0 after Finish.
run_install() {
  local name=$1
  shift
  install_script "$@" >"$E2E_WORK/$name.txt"
  robot "$name"
  [ $robot_rc -eq 0 ] || fail "$name: robot exit $robot_rc: $(grep -E '^FAIL' "$record")"
  # Page 4 lasts a moment under Wine; page 5 waits for Next, page 6 and 7 follow it.
  for page in 3 5 7; do
    has "^PAGE $(step "wait-page $page $([ $page -le 3 ] && echo 15000 || echo 120000)") $page\$" "$name"
  done
  has "^CONTROL $(step 'wait-page 7 120000') id=1007 class=\"Button\" visible=1 enabled=1 text=\"Finish\"\$" "$name"
  has "^CONTROL $(step 'wait-page 7 120000') id=1001 class=\"Button\" visible=0 " "$name"
  has "^EXIT $(step 'wait-exit 30000') code=0\$" "$name"
  has '^END ok$' "$name"
  lacks '^MSGBOX '
}

# unattended CODE WHAT ARGS...: setup.exe (or PROGRAM=...) with ARGS exits with CODE;
# its output goes to $E2E_WORK/WHAT.out. Tests that need an installation made rather
# than the wizard walked make it with "unattended 0 WHAT /S".
unattended() {
  local code=$1 what=$2
  shift 2
  wine_run "${PROGRAM:-setup.exe}" "$@" >"$E2E_WORK/$what.out" 2>&1
  local rc=$?
  [ $rc -eq 77 ] && exit 77
  [ $rc -eq "$code" ] || fail "$what: exit $rc, expected $code: $(tail -3 "$E2E_WORK/$what.out")"
}

# exit_via_robot CODE WHAT PROGRAM ARGS...: PROGRAM run by the robot, which reads its
# whole exit code (Wine hands the shell only the low 8 bits: 3010 would be 194).
exit_via_robot() {
  local code=$1 what=$2 program=$3 arg
  shift 3
  {
    printf 'start %s' "$(as_word "$program")"
    for arg in "$@"; do printf ' %s' "$(as_word "$arg")"; done
    printf '\nwait-exit 120000\n'
  } >"$E2E_WORK/$what.txt"
  robot "$what"
  local got
  got=$(sed -nE 's/^EXIT [0-9]+ code=([0-9]+)$/\1/p' "$record")
  [ "$got" = "$code" ] || fail "$what: exit code \"$got\", expected $code"
}

# killed_at TEXT WHAT ARGS...: setup.exe ARGS with Wine's spooler trace on, killed
# with everything else in the prefix the moment a trace line holds TEXT (a whole
# unattended installation takes a fraction of a second: only the trace is fast
# enough to stop it at a chosen call).
killed_at() {
  local text=$1 what=$2 line
  shift 2
  rm -f "$E2E_WORK/$what.killed"
  (WINEDEBUG=trace+winspool wine_run setup.exe "$@" 2>&1) | while IFS= read -r line; do
    if [[ $line == *"$text"* ]]; then
      WINEPREFIX=$E2E_PREFIX timeout 30 wineserver -k
      printf '%s\n' "$line" >"$E2E_WORK/$what.killed"
      break
    fi
  done
  flush_registry
  [ -s "$E2E_WORK/$what.killed" ] || fail "$what: the run ended before it reached \"$text\""
}

# package_with_version DIR VERSION: a copy of the tree's package in DIR whose
# Setup.ini says VERSION (and a publisher), listed in its package.list.
package_with_version() {
  rm -rf "$1" && mkdir -p "$1" && cp "$package_dir"/* "$1/" || { fail "copy of the package into $1"; return 1; }
  printf '[Setup]\r\nVersion=%s\r\nPublisher=Rillo Printing Co.\r\n' "$2" >"$1/Setup.ini"
  grep -qx 'Setup.ini' "$1/package.list" || printf 'Setup.ini\n' >>"$1/package.list"
}

# port_target: the Target of the configured port under the monitor's key ("" none).
port_target() { reg_value "$monitor_key\\\\Ports\\\\$port" Target; }

# monitor_ports: the ports the monitor keeps under its key, one a line, sorted.
monitor_ports() {
  flush_registry
  grep -ioE "^\[$(sed 's/\\/\\\\/g' <<<"$monitor_key")\\\\\\\\Ports\\\\\\\\[^]\\]*\]" "$E2E_PREFIX/system.reg" |
    sed -E 's/.*\\\\([^\\]*)\]$/\1/' | sort
}

# log_has LINE: the Install log holds LINE (a whole line, CR LF ended).
log_has() {
  tr -d '\r' <"$install_log" 2>/dev/null | grep -qxF -- "$1" || fail "Install log lacks \"$1\": $(tr '\r\n' '  ' <"$install_log" 2>/dev/null)"
}

# payload_names: the package's entry names, one a line.
payload_names() { grep -v '^$' "$package_dir/package.list"; }

# kept_payload_files: the payload files the destination folder keeps after a whole run,
# sorted: the run deletes the logo with the start-up copies, the clean-up at exit all
# but the uninstaller and the pictures.
kept_payload_files() {
  local name
  for name in $(payload_names); do
    case ${name,,} in
      logo.bmp) ;;
      uninstaller.exe | *.jpg | *.bmp | *.png | *.gif | *.exe) echo "$name" ;;
    esac
  done | sort
}

# query_value KEY NAME [VIEW]: the value's type and data as "TYPE DATA" ("" when absent), read
# with reg.exe; VIEW is reg.exe's /reg: option.
query_value() { value_in "$(prefix_reg query "$1" ${3:+"$3"})" "$2"; }
expect_value() { expect_in "$(prefix_reg query "$1" ${4:+"$4"})" "$1" "$2" "$3"; }  # KEY NAME "TYPE DATA" [VIEW]
# value_in LISTING NAME: the value's "TYPE DATA" in LISTING, what reg.exe printed for a
# key; expect_in LISTING KEY NAME "TYPE DATA": the same check as expect_value on a
# listing read once for several values (every start of reg.exe costs a Wine start).
value_in() { sed -nE "s/^    $(as_record "$2")    (REG_[A-Z_]+)    ?(.*)\$/\\1 \\2/p" <<<"$1"; }
expect_in() {
  local got
  got=$(value_in "$1" "$3")
  [ "$got" = "$4" ] || fail "$2 \"$3\": \"$got\", expected \"$4\""
}

# c_path WINDOWS-PATH: the path under the prefix's drive_c.
c_path() { local p=${1#C:\\}; printf '%s/drive_c/%s' "$E2E_PREFIX" "${p//\\//}"; }

# check_installed LANG START-MENU-FOLDER LINK-NAME: what the installation of the printer
# $printer on $port into $program_dir left; with no_default set, not as the default
# printer.
check_installed() {
  local lang=$1 menu=$2 link=$3 language=English language_flag=0x0
  [ "$lang" = zh ] && language=Chinese language_flag=0x1
  WINEPREFIX=$E2E_PREFIX timeout 60 wineserver -w
  # The driver files in the spooler's driver folder and the copies in its 3\ folder
  # (Wine copies the help file under the name the driver record gives, "UNIDRV.HLP",
  # and then finds the dependent "unidrv.hlp" there already: names compare without
  # regard to case).
  local drivers=$E2E_PREFIX/drive_c/windows/system32/spool/drivers/$path_driver_folder name
  for name in $(driver_targets); do
    [ -f "$drivers/$name" ] || fail "$lang: no $name in the $path_driver_folder driver folder"
    ls "$drivers/3" | grep -qixF -- "$name" || fail "$lang: no copy of $name in $path_driver_folder\\3"
  done
  staged_as_packaged "$lang"

  local key="HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers\\$printer" values
  values=$(prefix_reg query "$key")
  expect_in "$values" "$key" Port "REG_SZ $port"
  expect_in "$values" "$key" "Printer Driver" "REG_SZ $printer Driver"
  expect_in "$values" "$key" "Share Name" "REG_SZ $printer"
  expect_in "$values" "$key" Attributes "REG_DWORD 0x4"
  values=$(prefix_reg query "$key\\PrinterDriverData")
  expect_in "$values" "$key\\PrinterDriverData" Position "REG_DWORD 0x1"
  expect_in "$values" "$key\\PrinterDriverData" Language "REG_DWORD $language_flag"
  # The configuration has no printer service line: a string of just its NUL.
  expect_in "$values" "$key\\PrinterDriverData" PrinterService "REG_SZ "
  # The box was left ticked (no_default empty): the new printer is the default
  # printer (both paths honour the box); otherwise it is not.
  if [ -z "${no_default:-}" ]; then
    expect_value 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' device \
      "REG_SZ $printer,wineps.drv,$port"
  else
    [[ $(query_value 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' device) == "REG_SZ $printer,"* ]] &&
      fail "$lang: the printer was made the default printer"
  fi

  install_log_is "$(c_path 'C:\InstallPrinter.txt')" "$lang"
  # The monitor, registered for the path's environment with the staged DLL, keeps the
  # port under its own key with a folder under ProgramData as its target.
  local monitor="HKLM\\System\\CurrentControlSet\\Control\\Print\\Monitors\\$printer Monitor"
  expect_value "$monitor" Driver "REG_SZ ${printer}Mon.dll"
  expect_value "$monitor\\Ports\\$port" Target "REG_SZ C:\\ProgramData\\$printer Monitor"

  local record_key="HKLM\\SOFTWARE\\$printer" v=$path_record_view
  values=$(prefix_reg query "$record_key" $v)
  # The ten values of the uninstaller's contract, beside the journal's own: the
  # state (complete), and Version and Publisher when the package says them.
  [ "$(grep '    REG_SZ    ' <<<"$values" | grep -cvE '^    (Installation|Version|Publisher)    ')" -eq 10 ] ||
    fail "$lang: the uninstall record has not ten string values: $values"
  expect_in "$values" "$record_key" Installation "REG_SZ complete"
  # Where a prefix has two views the record is in the 64-bit one only (the program
  # asks for it explicitly).
  [ -n "$v" ] && prefix_has_key "$record_key" /reg:32 && fail "$lang: the uninstall record is in the 32-bit view"
  expect_in "$values" "$record_key" "Data Directory" "REG_SZ C:\\ProgramData\\$printer"
  expect_in "$values" "$record_key" "Program Directory" "REG_SZ $program_dir"
  expect_in "$values" "$record_key" Language "REG_SZ $language"
  expect_in "$values" "$record_key" PrinterName "REG_SZ $printer"
  expect_in "$values" "$record_key" StartMenuDir "REG_SZ $menu"
  expect_in "$values" "$record_key" Uninstaller "REG_SZ $menu\\$link"
  expect_in "$values" "$record_key" PrinterDriver "REG_SZ $printer Driver"
  expect_in "$values" "$record_key" MonitorName "REG_SZ $printer Monitor"
  expect_in "$values" "$record_key" PortName "REG_SZ $port"
  expect_in "$values" "$record_key" PrinterServiceName "REG_SZ "

  local dest
  dest=$(c_path "$program_dir")
  [ "$(cat "$dest/Uninstall.ini" 2>/dev/null; printf x)" = "$(printf '[Print Settings]\r\nPrinterName=%s\r\nx' "$printer")" ] ||
    fail "$lang: Uninstall.ini: $(od -c "$dest/Uninstall.ini" 2>&1 | head -5)"

  local lnk fields
  lnk=$(c_path "$menu\\$link")
  if [ -f "$lnk" ]; then
    local codepage=latin1
    [[ ${E2E_LOCALE:-} == zh_CN* ]] && codepage=cp936
    fields=$(perl "$(dirname "${BASH_SOURCE[0]}")/read_lnk.pl" "$lnk" $codepage)
    # The copy in the printer's own data folder, where no ordinary user can write: it
    # runs with administrator rights.
    [ "$fields" = "$(printf 'target=%s\\Uninstaller.exe\nworkdir=%s' "C:\\ProgramData\\$printer" "C:\\ProgramData\\$printer")" ] ||
      fail "$lang: the shortcut holds: $fields"
  else
    fail "$lang: no shortcut $lnk"
  fi
  check_kept "$lang" "$dest"
  cmp -s "$dest/Uninstaller.exe" "$(c_path "C:\\ProgramData\\$printer")/Uninstaller.exe" ||
    fail "$lang: no copy of the uninstaller in the data folder"
}

# check_kept LANG FOLDER: after the wizard ended only the uninstaller, its record and
# the pictures and programs stay of what was extracted; "Logo.bmp" went at the start
# of the run (a copy of the start-up's "logo.bmp").
check_kept() {
  local lang=$1 dest=$2 name
  [ -d "$dest" ] || { fail "$lang: no destination folder $dest"; return; }
  for name in $(ls -A "$dest"); do
    case ${name,,} in
      uninstaller.exe | uninstall.ini | *.jpg | *.bmp | *.png | *.gif | *.exe) ;;
      *) fail "$lang: $name stayed in the destination folder" ;;
    esac
  done
  for name in Uninstaller.exe Left.bmp; do [ -f "$dest/$name" ] || fail "$lang: $name did not stay"; done
  [ ! -e "$dest/Logo.bmp" ] || fail "$lang: Logo.bmp stayed"
}

# --- Whole-prefix comparisons: what a run leaves behind ---------------------------

# snapshot NAME: the prefix's registry, one "[key] value" line each, and drive C:'s
# tree, one "type path" line each, both sorted.
snapshot() {
  flush_registry
  local reg
  for reg in system user; do
    awk -v hive="$reg" '
      /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); print hive " " key; next }
      /^#/ || /^$/ || /^WINE REGISTRY/ || /^;;/ { next }
      { print hive " " key " " $0 }' "$E2E_PREFIX/$reg.reg"
  done | sort >"$E2E_WORK/$1.reg"
  (cd "$drive_c" && find . -printf '%y %p\n' | sort) >"$E2E_WORK/$1.files"
}

# restart: Wine's restart, which carries out pending deletions and RunOnce.
restart() {
  local loader=/usr/lib/wine/wine
  [ "$WINE_ARCH" = win64 ] && loader=/usr/lib/wine/wine64
  flush_registry
  WINEPREFIX=$E2E_PREFIX WINEDEBUG=-all timeout 120 "$loader" wineboot -r >/dev/null 2>&1
  flush_registry
}

# wine_noise: the lines of a "before" / "after" difference that are not the
# installation's. Wine's restart rewrites its display device classes; its spooler
# makes the Version-3 driver keys of both environments and the per-user Devices,
# PrinterPorts and Windows keys when first used and leaves them, empty, when the last
# printer goes; its shell link code makes two keys of its own. Kept on purpose:
# C:\InstallPrinter.txt, the Install log every installation appends to.
# In a 64-bit prefix the i686 uninstaller's spooler (Wine runs it inside the
# uninstaller) cannot load the x86_64 port monitor (126), so the monitor's own
# DeletePort, which takes away the empty job folder it made with the port, never runs
# there (for either sample printer); on 64-bit Windows the spooler service runs the
# x86_64 monitor.
wine_noise() {
  local kept='^$'
  [ "$WINE_ARCH" = win64 ] && kept='> d \./ProgramData/(Rillo-58|Kelo-80)-Series Monitor'
  grep -vxE "$kept" |
    grep -vE '^[<>] system \[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\' |
    grep -vxE '> system \[System(\\\\[^]\\]+)*\\\\Environments\\\\Windows (NT x86|x64)\\\\Drivers\\\\Version-3\]' |
    grep -vxE '> user \[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\(Devices|PrinterPorts|Windows)\]' |
    grep -vxE '> user \[Software\\\\Wine\\\\(FileOpenAssociations|MenuFiles)\]' |
    grep -vxE '> f \./InstallPrinter\.txt'
}

# same NAME1 NAME2: the two snapshots differ only by wine_noise.
same() {
  local what left
  for what in reg files; do
    left=$(diff "$E2E_WORK/$1.$what" "$E2E_WORK/$2.$what" | grep -E '^[<>]' | wine_noise)
    [ -z "$left" ] || fail "$1 -> $2: $what differ: $(head -20 <<<"$left")"
  done
}
