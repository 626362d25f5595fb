#!/usr/bin/env bash
# The Windows build itself under Wine: payload-tool.exe appends the package to
# setup-stub.exe, the result is signed, and both the tool and the setup program
# find the archive. The setup program asks for the language first, so it is run
# by windows-tests.exe, whose SetupProgram tests answer the question and check the
# start-up files it unpacked (and its exit code: 0 when it found its payload, 1
# when not).
set -u
wine_run() { "${WINE_RUN:?}" "${WINE_ROOT:?}" "${WINE_ARCH:?}" "$@"; }
cd "${BUILD_DIR:?}"
work=$(mktemp -d "$BUILD_DIR/wine-stub.XXXXXX")
trap 'rm -rf "$work"' EXIT
rel=$(basename "$work")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# startup PROGRAM TEST: one SetupProgram test run against PROGRAM; it must really run.
startup() {
  SETUP_PROGRAM=$1 wine_run windows-tests.exe --gtest_filter="SetupProgram.$2" >"$work/startup.log" 2>&1 &&
    grep -q '^\[  PASSED  \] 1 test\.' "$work/startup.log" && return 0
  grep -E 'Failure|Which is|error' "$work/startup.log" | head -5
  return 1
}
# The tree's package, which sample-payload.bin was packed from.
package=${PACKAGE_DIR:?}

cp setup-stub.exe sample-payload.bin "$work/"
wine_run payload-tool.exe append "$rel/setup-stub.exe" "$rel/sample-payload.bin" "$rel/vendor.exe"
rc=$?
[ $rc -eq 77 ] && exit 77
[ $rc -eq 0 ] || fail "append under Wine (exit $rc)"
cmp -s "$work/vendor.exe" <("${PAYLOAD_TOOL:?}" append setup-stub.exe sample-payload.bin /dev/stdout) ||
  fail "Windows and native append differ"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Test Vendor" >/dev/null 2>&1 || fail "test certificate"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -in "$work/vendor.exe" \
  -out "$work/signed.exe" >/dev/null 2>&1 || fail "sign"

for exe in vendor.exe signed.exe; do
  wine_run payload-tool.exe list "$rel/$exe" >"$work/$exe.list" 2>"$work/$exe.err" || fail "list $exe: $(cat "$work/$exe.err")"
  tr -d '\r' <"$work/$exe.list" | awk '{print $1}' | diff - <(grep -v '^$' "$package/package.list") >/dev/null ||
    fail "$exe: entries differ from package.list"
  mkdir "$work/out-$exe"
  wine_run payload-tool.exe extract "$rel/$exe" "$rel/out-$exe" || fail "extract $exe"
  while read -r name; do
    [ -n "$name" ] || continue
    cmp -s "$package/$name" "$work/out-$exe/$name" || fail "$exe: $name differs"
  done <"$package/package.list"
  cp "$work/$exe" "$work/run-$exe"
  startup "$rel/run-$exe" AnswerFromTheQuestionPicksTheStartupFiles ||
    fail "setup did not start up from the payload appended to $exe"
done

# setup.exe finds its resource; the bare stub finds nothing.
startup setup.exe AnswerFromTheQuestionPicksTheStartupFiles || fail "setup.exe did not start up from its resource"
startup setup-stub.exe BareStubRunsOnDefaultsAndLeavesOthersFiles || fail "bare stub claimed a payload"

if [ $failures -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "under Wine: appended and signed stubs found and extracted"
