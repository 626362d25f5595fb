#!/usr/bin/env bash
# payload-tool on the sample package: check, pack, list, extract, append and build
# round trips, and a one-line error with a non-zero exit for every kind of bad input.
set -u
tool=${PAYLOAD_TOOL:?} package=${PACKAGE_DIR:?}
work=$(mkdir -p "${WORK_DIR:-/tmp}" && mktemp -d "${WORK_DIR:-/tmp}/tool.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Expect a failure: non-zero exit, no crash, exactly one line on stderr.
expect_error() {
  local what=$1; shift
  "$@" >"$work/stdout.txt" 2>"$work/stderr.txt"
  local rc=$?
  if [ $rc -eq 0 ]; then fail "$what: exit 0"; return; fi
  if [ $rc -ge 128 ]; then fail "$what: crashed (exit $rc)"; return; fi
  [ "$(wc -l <"$work/stderr.txt")" -eq 1 ] || fail "$what: expected one error line, got: $(cat "$work/stderr.txt")"
}

"$tool" pack "$package" "$work/sample.bin" || fail "pack"
"$tool" list "$work/sample.bin" >"$work/list" || fail "list"
[ "$(wc -l <"$work/list")" -eq 28 ] || fail "list does not show 28 entries"
diff <(awk '{print $1}' "$work/list") <(grep -v '^$' "$package/package.list") >/dev/null || fail "list order differs from package.list"
# Unpacked sizes as listed are the files' sizes.
while read -r name packed unpacked; do
  [ "$unpacked" = "$(stat -c %s "$package/$name")" ] || fail "$name: listed $unpacked bytes"
done <"$work/list"

# extract makes its folder, parents included.
"$tool" extract "$work/sample.bin" "$work/new/out" || fail "extract"
while read -r name; do
  [ -n "$name" ] || continue
  cmp -s "$package/$name" "$work/new/out/$name" || fail "extracted $name differs"
done <"$package/package.list"
mv "$work/new/out" "$work/out"

# The sample package passes the check with warnings; --strict fails it for exactly
# those warnings, and for nothing else.
"$tool" check "$package" >"$work/check.txt"; rc=$?
[ $rc -eq 0 ] || fail "check of the sample package: exit $rc: $(grep ': error: ' "$work/check.txt")"
grep -q ': warning: not a PE file, only a placeholder' "$work/check.txt" || fail "check: no placeholder warning"
"$tool" check "$package" --strict >"$work/strict.txt"; rc=$?
[ $rc -eq 1 ] || fail "check --strict of the sample package: exit $rc"
diff <(grep ': warning: ' "$work/check.txt" | sed 's/: warning: /: error: /') <(grep ': error: ' "$work/strict.txt") \
  >/dev/null || fail "check --strict: errors other than the warnings"

# A program with the archive appended: the same entries and bytes come back.
head -c 70000 /dev/urandom >"$work/program.exe"
printf 'MZ' | dd of="$work/program.exe" conv=notrunc status=none
"$tool" append "$work/program.exe" "$work/sample.bin" "$work/setup.exe" || fail "append"
cmp -s <(head -c 70000 "$work/setup.exe") "$work/program.exe" || fail "append changed the program bytes"
"$tool" list "$work/setup.exe" >"$work/list2" || fail "list appended"
diff "$work/list" "$work/list2" >/dev/null || fail "appended listing differs"
mkdir "$work/out2"
"$tool" extract "$work/setup.exe" "$work/out2" || fail "extract appended"
diff -r "$work/out" "$work/out2" >/dev/null || fail "appended extraction differs"

# Bad input.
expect_error "missing archive" "$tool" list "$work/nothing.bin"
expect_error "missing package dir" "$tool" pack "$work/nodir" "$work/x.bin"
head -c 100 "$work/sample.bin" >"$work/cut.bin"
expect_error "truncated archive" "$tool" list "$work/cut.bin"
expect_error "truncated archive extract" "$tool" extract "$work/cut.bin" "$work/out"
head -c 5000 /dev/urandom >"$work/noise.bin"
expect_error "noise" "$tool" list "$work/noise.bin"
expect_error "program without archive" "$tool" list "$work/program.exe"
expect_error "unwritable output" "$tool" pack "$package" "$work/no/such/dir/x.bin"
expect_error "extract into a file" "$tool" extract "$work/sample.bin" "$work/sample.bin"
expect_error "append non-archive" "$tool" append "$work/program.exe" "$work/noise.bin" "$work/y.exe"
# An entry name that would leave the folder is never written.
printf '\x01\x00\x00\x00\x07\x00\x00\x00\x08\x00\x00\x00../evil' >"$work/evil.bin"
printf 'x\x9c\x03\x00\x00\x00\x00\x01' >>"$work/evil.bin"
mkdir "$work/jail"
expect_error "escaping name" "$tool" extract "$work/evil.bin" "$work/jail"
[ ! -e "$work/evil" ] || fail "an entry escaped the extraction folder"
"$tool" >/dev/null 2>&1; [ $? -eq 2 ] || fail "usage exit code"
"$tool" build "$package" --stub "$work/program.exe" >/dev/null 2>&1; [ $? -eq 2 ] || fail "build without -o: usage"

# build: the same bytes as pack and append; a package that fails the check is
# refused with its fault named, and nothing is written.
"$tool" build "$package" --stub "$work/program.exe" -o "$work/built.exe" >/dev/null || fail "build"
cmp -s "$work/built.exe" "$work/setup.exe" || fail "build differs from pack + append"
cp -r "$package" "$work/broken"
sed -i 's/^Rillo-58-Series\r$/Rillo|58\r/' "$work/broken/InstallConfig_en.txt"
"$tool" build "$work/broken" --stub "$work/program.exe" -o "$work/refused.exe" >"$work/refused.txt" 2>&1
[ $? -eq 1 ] || fail "build of a broken package: not exit 1"
grep -q "InstallConfig_en.txt:35: error: printer name 'Rillo|58' is refused" "$work/refused.txt" ||
  fail "build did not say why: $(cat "$work/refused.txt")"
[ ! -e "$work/refused.exe" ] || fail "build wrote a refused package"
"$tool" build "$package" --strict --stub "$work/program.exe" -o "$work/strict.exe" >/dev/null 2>&1
[ $? -eq 1 ] && [ ! -e "$work/strict.exe" ] || fail "build --strict took the placeholders"

if [ $failures -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "payload tool: all checks passed"
