#!/usr/bin/env bash
# setup.exe installed three times over in the same prefix, walked by the robot in
# English (LC_ALL=C), checked in its record, the registry and on disk:
# - each installation adds a printer under a name no printer bears yet: the spooler
#   ends with Rillo-58-Series, Rillo-58-Series (1) and Rillo-58-Series (2);
# - the uninstall record HKLM\SOFTWARE\Rillo-58-Series keeps "PrinterName" without
#   a number and is rewritten each time (a value changed between the runs is set
#   back), while a value other software added to the key stays;
# - the first installation registers the monitor and its port and logs no failure of
#   either; the later ones meet the monitor installed already (3006, which the 32-bit
#   path does not log) and the port the monitor has (AddPortEx = 183), and add no
#   port: the monitor keeps the one, and page 5 lists it twice as before;
# - the shortcut is written again in place: a damaged .lnk left in the Start-menu
#   folder is replaced by a shell link, and the folder holds nothing else;
# - the third time another port is chosen on page 5 (the item after the configured
#   one in the port list the page shows): the printer (2) is added on that port, the
#   first two on the configured one.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
source "$(dirname "$0")/../e2e/install_lib.sh"
export LC_ALL=C

make_prefix
reset_install_state
rm -rf "$default_folder"

# configured_listed: how often page 5 listed the configured port in the last record.
configured_listed() {
  grep -E "^ITEMS $(step 'list-items 1017') id=1017 " "$record" | grep -oF '"Rillo-58-Series PORT:"' | wc -l
}

run_install first setup.exe
[ "$(rillo_printers)" = Rillo-58-Series ] || fail "first: printers $(rillo_printers | tr '\n' ',')"
install_log_is "$install_log" first
[ "$(monitor_ports)" = "Rillo-58-Series PORT:" ] || fail "first: the monitor's ports: $(monitor_ports | tr '\n' ',')"
[ "$(configured_listed)" -eq 2 ] || fail "first: page 5 listed the configured port $(configured_listed) times"
[ -s "$shortcut" ] || fail "first: no shortcut"

# Between the runs: a damaged shortcut, a changed record value, a value of another
# program's, a fresh Install log.
printf 'not a shell link\n' >"$shortcut"
set_reg_value "$record_key" PrinterDriver changed
set_reg_value "$record_key" "Other Program" kept
[ "$(reg_value "$record_key" PrinterDriver)" = changed ] && [ "$(reg_value "$record_key" "Other Program")" = kept ] ||
  fail "could not change the record between the runs"
rm -f "$install_log"

run_install second setup.exe
[ "$(rillo_printers)" = "$(printf 'Rillo-58-Series\nRillo-58-Series (1)')" ] ||
  fail "second: printers $(rillo_printers | tr '\n' ',')"
install_log_is "$install_log" second again
[ "$(monitor_ports)" = "Rillo-58-Series PORT:" ] || fail "second: the monitor's ports: $(monitor_ports | tr '\n' ',')"
[ "$(configured_listed)" -eq 2 ] || fail "second: page 5 listed the configured port $(configured_listed) times"
[ "$(reg_value "$record_key" PrinterName)" = Rillo-58-Series ] ||
  fail "second: PrinterName is \"$(reg_value "$record_key" PrinterName)\""
[ "$(reg_value "$record_key" PrinterDriver)" = "Rillo-58-Series Driver" ] || fail "second: PrinterDriver not rewritten"
[ "$(reg_value "$record_key" "Other Program")" = kept ] || fail "second: another program's value went"
[ "$(head -c 4 "$shortcut" | od -An -tx1 | tr -d ' ')" = 4c000000 ] || fail "second: the shortcut is not a shell link again"
[ "$(ls "$start_menu")" = "Uninstall Printer Driver.lnk" ] || fail "second: the Start-menu folder holds $(ls "$start_menu")"

# The port list page 5 showed: the configured port selected; the third run takes the
# item after it (the list is sorted, so the configured port is not always item 0).
port_line=$(grep -E "^CONTROL $(step record) id=1017 " "$record")
items=$(sed -nE 's/.* items=([0-9]+) sel=.*/\1/p' <<<"$port_line")
selected=$(sed -nE 's/.* sel=([0-9]+).*/\1/p' <<<"$port_line")
grep -qF 'text="Rillo-58-Series PORT:"' <<<"$port_line" || fail "page 5 did not select the configured port: $port_line"
[ "${items:-0}" -ge 2 ] || { fail "page 5 lists no port besides the configured one: $port_line"; e2e_done; }
other=$(((selected + 1) % items))

run_install third setup.exe "" "$other"
chosen=$(grep -E "^CONTROL $(step "select 1017 $other") id=1017 " "$record" | sed -nE 's/.* text="([^"]*)" items=.*/\1/p')
[ -n "$chosen" ] && [ "$chosen" != "Rillo-58-Series PORT:" ] || fail "third: item $other of the port list is \"$chosen\""
[ "$(rillo_printers)" = "$(printf 'Rillo-58-Series\nRillo-58-Series (1)\nRillo-58-Series (2)')" ] ||
  fail "third: printers $(rillo_printers | tr '\n' ',')"
for name in Rillo-58-Series "Rillo-58-Series (1)"; do
  [ "$(reg_value "$printers_key\\\\$name" Port)" = "Rillo-58-Series PORT:" ] || fail "$name is not on the configured port"
done
[ "$(reg_value "$printers_key\\\\Rillo-58-Series (2)" Port)" = "$chosen" ] ||
  fail "third: the printer's port is \"$(reg_value "$printers_key\\\\Rillo-58-Series (2)" Port)\", chosen \"$chosen\""
[ "$(reg_value "$record_key" PrinterName)" = Rillo-58-Series ] || fail "third: PrinterName carries a number"

e2e_done "setup.exe installed three times: unique printer names, record and shortcut rewritten, another port chosen"
