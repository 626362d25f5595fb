#!/usr/bin/env bash
# The vendor kit end to end with this tree's programs. The native tool reads
# setup.exe's package from its INSTALL resource. A second printer, the 80 mm
# "Kelo-80-Series", is made from the sample package and the two configuration files
# of resources/kelo80 alone: `payload-tool build` checks it, packs it and puts it
# behind setup-stub.exe, natively and as payload-tool.exe under Wine, with the same
# bytes; both tools list and unpack the Kelo configuration from the result, and its
# model line gives the GPD the 80 mm paper names of the brand; its version block
# names the Kelo product and keeps the stub's version, publisher and icon.
# A third, "Zeta-80C", carries its own Setup.ini (a version and a publisher in
# Chinese), Setup.ico and a tool of the vendor's: the setup built from it (the same
# bytes natively and under Wine) says so in its version block and icon, is signed,
# and installs and uninstalls unattended under Wine, leaving nothing after a restart.
set -u
wine_run() { "${WINE_RUN:?}" "${WINE_ROOT:?}" "${WINE_ARCH:?}" "$@"; }
cd "${BUILD_DIR:?}"
tool=${PAYLOAD_TOOL:?}
work=$(mktemp -d "$BUILD_DIR/vendor-kit.XXXXXX")
trap 'rm -rf "$work"' EXIT
rel=$(basename "$work")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
resources=$(cd "$(dirname "$(readlink -f "$0")")/../../resources" && pwd)
# The tree's package, with the DLLs and the uninstaller it built.
package=${PACKAGE_DIR:?}
entries() { grep -v '^$' "$package/package.list"; }

# unpacked DIR KELO: DIR holds every entry, the configurations from resources/kelo80
# when KELO is 1, everything else as in the sample package.
unpacked() {
  local dir=$1 kelo=$2 name source
  for name in $(entries); do
    source=$package/$name
    [ "$kelo" = 1 ] && [ -e "$resources/kelo80/$name" ] && source=$resources/kelo80/$name
    cmp -s "$source" "$dir/$name" || { echo "$name"; return 1; }
  done
}

# The resource carrier, read from the file natively.
"$tool" list setup.exe >"$work/setup.list" || fail "native list of setup.exe: $(cat "$work/setup.list")"
awk '{print $1}' "$work/setup.list" | diff - <(entries) >/dev/null || fail "setup.exe: entries differ from package.list"
"$tool" extract setup.exe "$work/from-setup/new" || fail "native extract of setup.exe"
bad=$(unpacked "$work/from-setup/new" 0) || fail "setup.exe: $bad differs from the sample package"

# The Kelo package: the sample package with its two configuration files replaced.
mkdir "$work/kelo80"
cp "$package"/* "$work/kelo80/"
cp "$resources"/kelo80/* "$work/kelo80/"
"$tool" build "$work/kelo80" --stub setup-stub.exe -o "$work/kelo-setup.exe" >"$work/build.txt" ||
  fail "native build of the Kelo setup: $(grep ': error: ' "$work/build.txt")"
wine_run payload-tool.exe build "$rel/kelo80" --stub setup-stub.exe -o "$rel/kelo-setup-wine.exe" >/dev/null
rc=$?
[ $rc -eq 77 ] && exit 77
[ $rc -eq 0 ] || fail "build under Wine (exit $rc)"
cmp -s "$work/kelo-setup.exe" "$work/kelo-setup-wine.exe" || fail "native and Windows builds differ"
"$tool" build "$work/kelo80" --stub setup.exe -o "$work/kelo-on-setup.exe" >/dev/null 2>"$work/on-setup.txt"
[ $? -eq 1 ] && [ ! -e "$work/kelo-on-setup.exe" ] && grep -q 'carries a package of its own' "$work/on-setup.txt" ||
  fail "build behind setup.exe, which installs its own package: $(cat "$work/on-setup.txt")"
# Without Setup.ini and Setup.ico: the product is Kelo's, the rest the stub's.
"$tool" version setup-stub.exe >"$work/stub.version" || fail "version of setup-stub.exe"
"$tool" version "$work/kelo-setup.exe" >"$work/kelo.version" || fail "version of the Kelo setup"
for line in "file version: 1.0.0.0" "CompanyName: Unknown publisher" "FileVersion: 1.0.0.0" \
  "ProductName: Kelo-80-Series Printer Driver Setup" "FileDescription: Kelo-80-Series Printer Driver Setup"; do
  grep -qxF "$line" "$work/kelo.version" || fail "Kelo setup: no \"$line\" in $(tr '\n' ';' <"$work/kelo.version")"
done
[ "$(grep '^icon:' "$work/kelo.version")" = "$(grep '^icon:' "$work/stub.version")" ] ||
  fail "the Kelo setup lost the stub's icon"

"$tool" list "$work/kelo-setup.exe" >"$work/kelo.list" || fail "native list of the Kelo setup"
awk '{print $1}' "$work/kelo.list" | diff - <(entries) >/dev/null || fail "Kelo setup: entries differ from package.list"
wine_run payload-tool.exe list "$rel/kelo-setup.exe" >"$work/kelo-wine.list" || fail "list under Wine"
tr -d '\r' <"$work/kelo-wine.list" | diff - "$work/kelo.list" >/dev/null || fail "Windows and native listings differ"
wine_run payload-tool.exe list setup.exe >"$work/setup-wine.list" || fail "list setup.exe under Wine"
tr -d '\r' <"$work/setup-wine.list" | diff - "$work/setup.list" >/dev/null || fail "setup.exe listed differently under Wine"

"$tool" extract "$work/kelo-setup.exe" "$work/kelo-native" || fail "native extract of the Kelo setup"
bad=$(unpacked "$work/kelo-native" 1) || fail "Kelo setup (native): $bad differs"
wine_run payload-tool.exe extract "$rel/kelo-setup.exe" "$rel/kelo-wine/out" || fail "extract under Wine"
bad=$(unpacked "$work/kelo-wine/out" 1) || fail "Kelo setup (Wine): $bad differs"

# What came out is a Kelo package that passes the check, for the 80 mm brand names.
cp "$package/package.list" "$work/kelo-native/"
"$tool" check "$work/kelo-native" >"$work/check.txt" || fail "check of the unpacked Kelo package"
for config in InstallConfig_cn.txt InstallConfig_en.txt; do
  grep -q "$config:[0-9]*: note: with printer name 'Kelo-80-Series' and model line 'Model=Kelo-80' .*'Kelo Paper(80 x 210)', 'Kelo Paper(80 x 297)' and 'Kelo Paper(80 x 3276)'" \
    "$work/check.txt" || fail "$config: not the Kelo printer with 80 mm brand paper names"
done
grep -q 'printer service name' "$work/check.txt" && fail "the Kelo configurations lack their service name"

# The Zeta package: Kelo's with other names, a Setup.ini whose publisher is GBK
# ("Zeta 打印 Co."), a Setup.ico of three sizes and a tool of the vendor's.
zeta=$work/zeta
mkdir "$zeta"
cp "$work/kelo80"/* "$zeta/"
sed -i 's/Kelo-80-Series/Zeta-80C/g' "$zeta"/InstallConfig_*.txt
printf '[Setup]\r\nVersion=3.2.1\r\nPublisher=Zeta \264\362\323\241 Co.\r\n' >"$zeta/Setup.ini"
convert -size 48x48 xc:'#2060c0' -define icon:auto-resize=48,32,16 "$zeta/Setup.ico" || fail "Setup.ico"
printf 'a tool of the vendor, a placeholder\r\n' >"$zeta/ZetaTool.exe"
printf 'Setup.ini\nSetup.ico\nZetaTool.exe\n' >>"$zeta/package.list"
"$tool" check "$zeta" >"$work/zeta-check.txt" || fail "check of the Zeta package: $(grep ': error: ' "$work/zeta-check.txt")"
"$tool" build "$zeta" --stub setup-stub.exe -o "$work/zeta-setup.exe" >/dev/null || fail "native build of the Zeta setup"
wine_run payload-tool.exe build "$rel/zeta" --stub setup-stub.exe -o "$rel/zeta-setup-wine.exe" >/dev/null ||
  fail "build of the Zeta setup under Wine"
cmp -s "$work/zeta-setup.exe" "$work/zeta-setup-wine.exe" || fail "Zeta: native and Windows builds differ"
"$tool" version "$work/zeta-setup.exe" >"$work/zeta.version" || fail "version of the Zeta setup"
for line in "file version: 3.2.1.0" "product version: 3.2.1.0" "CompanyName: Zeta 打印 Co." "FileVersion: 3.2.1" \
  "ProductVersion: 3.2.1" "ProductName: Zeta-80C Printer Driver Setup" \
  "FileDescription: Zeta-80C Printer Driver Setup" "OriginalFilename: setup.exe" "icon: 48x48/32 32x32/32 16x16/32"; do
  grep -qxF "$line" "$work/zeta.version" || fail "Zeta setup: no \"$line\" in $(tr '\n' ';' <"$work/zeta.version")"
done
# Signed as a vendor signs it: the signature holds, and the package is found behind it.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Zeta Printing" >/dev/null 2>&1 || fail "test certificate"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Zeta-80C Printer Driver Setup" \
  -in "$work/zeta-setup.exe" -out "$work/zeta-signed.exe" >"$work/sign.log" 2>&1 || fail "sign: $(cat "$work/sign.log")"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/zeta-signed.exe" >"$work/verify.log" 2>&1
grep -q '^Signature verification: ok' "$work/verify.log" || fail "Zeta signature: $(tail -5 "$work/verify.log")"
"$tool" list "$work/zeta-signed.exe" | awk '{print $1}' | diff - <(grep -v '^$' "$zeta/package.list") >/dev/null ||
  fail "signed Zeta setup: entries differ from its package.list"

# Installed and uninstalled unattended, in a copy of the tree's prefix; after a
# restart nothing of it is left on drive C: (the vendor's tool, the pictures, their
# folders, the run's temporary files) but the Install log every run appends to.
WINEPREFIX=$WINE_ROOT/prefix-$WINE_ARCH timeout 60 wineserver -w
cp -a "$WINE_ROOT/prefix-$WINE_ARCH" "$work/prefix" || fail "no prefix to copy"
in_copy() { WINE_PREFIX_DIR=$work/prefix wine_run "$@"; }
drive_files() { (cd "$work/prefix/drive_c" && find . -mindepth 1 ! -path './windows/*' | sort); }
drive_files >"$work/before.files"
zeta_key='HKLM\System\CurrentControlSet\Control\Print\Printers\Zeta-80C'
in_copy "$rel/zeta-signed.exe" /S /LANG=EN >"$work/zeta-install.txt" 2>&1 || fail "Zeta: installation exit $?"
in_copy reg query "$zeta_key" >/dev/null 2>&1 || fail "Zeta: no printer Zeta-80C"
[ -f "$work/prefix/drive_c/Program Files/Zeta-80C/ZetaTool.exe" ] || fail "Zeta: the vendor's tool was not placed"
in_copy 'C:\ProgramData\Zeta-80C\Uninstaller.exe' /PRINTER=Zeta-80C /S >"$work/zeta-uninstall.txt" 2>&1 ||
  fail "Zeta: uninstallation exit $?"
in_copy reg query "$zeta_key" >/dev/null 2>&1 && fail "Zeta: the printer is still there"
WINEPREFIX=$work/prefix timeout 60 wineserver -w
in_copy wineboot -r >/dev/null 2>&1
WINEPREFIX=$work/prefix timeout 60 wineserver -w
drive_files >"$work/after.files"
# In a 64-bit prefix the i686 uninstaller's in-process spooler cannot load the x86_64
# monitor, whose last DeletePort takes its empty job folder.
kept='^> \./InstallPrinter\.txt$'
[ "$WINE_ARCH" = win64 ] && kept='^> \./(InstallPrinter\.txt|ProgramData/Zeta-80C Monitor)$'
left=$(diff "$work/before.files" "$work/after.files" | grep -E '^[<>]' | grep -vE "$kept")
[ -z "$left" ] || fail "Zeta: left after the uninstall and a restart: $(tr '\n' ' ' <<<"$left")"
for dir in "$work/prefix/drive_c/windows/system32/spool/drivers" "$work/prefix/drive_c/windows/system32" \
  "$work/prefix/drive_c/windows/syswow64"; do
  found=$(find "$dir" -maxdepth 3 -iname '*zeta*' 2>/dev/null)
  [ -z "$found" ] || fail "Zeta: left in the system folders: $(tr '\n' ' ' <<<"$found")"
done
WINEPREFIX=$work/prefix timeout 60 wineserver -k >/dev/null 2>&1

if [ $failures -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "vendor kit: setup.exe read natively; the Kelo and Zeta setups built, listed and unpacked natively and under" \
  "Wine, their version blocks read back; the signed Zeta setup installed and uninstalled, nothing of it left"
