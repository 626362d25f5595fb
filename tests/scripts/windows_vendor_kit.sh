#!/usr/bin/env bash
# The vendor kit end to end with this tree's programs. The native tool reads
# setup.exe's package from its INSTALL resource. A second printer, the 80 mm
# "Kelo-80-Series", is made from the sample package and the two configuration files
# of resources/kelo80 alone: `payload-tool build` checks it, packs it and puts it
# behind setup-stub.exe, natively and as payload-tool.exe under Wine, with the same
# bytes; both tools list and unpack the Kelo configuration from the result, and its
# model line gives the GPD the 80 mm paper names of the brand.
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
cmp -s <(head -c "$(stat -c %s setup-stub.exe)" "$work/kelo-setup.exe") setup-stub.exe ||
  fail "the Kelo setup does not start with setup-stub.exe"

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

if [ $failures -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "vendor kit: setup.exe read natively; the Kelo setup built, listed and unpacked natively and under Wine"
