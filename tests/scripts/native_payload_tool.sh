#!/usr/bin/env bash
# payload-tool on the sample package: check, pack, list, extract and append round
# trips, the check build, pack and append make, and a one-line error with a
# non-zero exit for every kind of bad input.
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
[ "$(wc -l <"$work/list")" -eq 30 ] || fail "list does not show 30 entries"
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

# build refuses a package that fails the check with its fault named, and writes
# nothing; so do pack, and append for the archive of such a package, unless told
# --no-check, which they say on stderr.
cp -r "$package" "$work/broken"
sed -i 's/^Rillo-58-Series\r$/Rillo|58\r/' "$work/broken/InstallConfig_en.txt"
refused_with_reason() {  # WHAT OUT COMMAND...: exit 1, the printer name named, OUT not written
  local what=$1 out=$2; shift 2
  "$@" >"$work/refused.txt" 2>&1
  [ $? -eq 1 ] || fail "$what of a broken package: not exit 1"
  grep -q "InstallConfig_en.txt:35: error: printer name 'Rillo|58' is refused" "$work/refused.txt" ||
    fail "$what did not say why: $(cat "$work/refused.txt")"
  [ ! -e "$out" ] || fail "$what wrote a refused package"
}
refused_with_reason build "$work/refused.exe" "$tool" build "$work/broken" --stub "$work/program.exe" -o "$work/refused.exe"
refused_with_reason pack "$work/refused.bin" "$tool" pack "$work/broken" "$work/refused.bin"
"$tool" pack "$work/broken" "$work/broken.bin" --no-check >/dev/null 2>"$work/no-check.txt" || fail "pack --no-check"
grep -q -- "--no-check: $work/broken was not checked" "$work/no-check.txt" || fail "pack --no-check said: $(cat "$work/no-check.txt")"
refused_with_reason append "$work/refused.exe" "$tool" append "$work/program.exe" "$work/broken.bin" "$work/refused.exe"
"$tool" append "$work/program.exe" "$work/broken.bin" "$work/unchecked.exe" --no-check 2>"$work/no-check.txt" ||
  fail "append --no-check"
grep -q -- "--no-check: $work/broken.bin was not checked" "$work/no-check.txt" || fail "append --no-check said nothing"
"$tool" list "$work/unchecked.exe" >/dev/null || fail "append --no-check: no package behind the program"
# A damaged stream is found by append's check too.
cp "$work/sample.bin" "$work/damaged.bin"
printf '\377\377\377\377\377\377\377\377' | dd of="$work/damaged.bin" bs=1 seek=2000 conv=notrunc status=none
expect_error "append of a damaged archive" "$tool" append "$work/program.exe" "$work/damaged.bin" "$work/z.exe"
grep -q "entry '.*' is damaged" "$work/stderr.txt" || fail "append: damage not named: $(cat "$work/stderr.txt")"
# --strict counts the sample's placeholders; a stub that is no program cannot take
# the package's version block.
"$tool" build "$package" --strict --stub "$work/program.exe" -o "$work/strict.exe" >/dev/null 2>&1
[ $? -eq 1 ] && [ ! -e "$work/strict.exe" ] || fail "build --strict took the placeholders"
"$tool" pack "$package" "$work/strict.bin" --strict >/dev/null 2>&1
[ $? -eq 1 ] && [ ! -e "$work/strict.bin" ] || fail "pack --strict took the placeholders"
"$tool" build "$package" --stub "$work/program.exe" -o "$work/built.exe" >/dev/null 2>"$work/stderr.txt"
[ $? -eq 1 ] && [ ! -e "$work/built.exe" ] || fail "build behind a stub that is no program"
grep -q "cannot take the package's version block and icon" "$work/stderr.txt" || fail "build: $(cat "$work/stderr.txt")"
"$tool" pack "$package" "$work/x.bin" --strict --no-check >/dev/null 2>&1; [ $? -eq 2 ] || fail "pack with two options: usage"

if [ $failures -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "payload tool: all checks passed"
