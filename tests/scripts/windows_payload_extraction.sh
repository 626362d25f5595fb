#!/usr/bin/env bash
# The installation's extraction pass from the appended carrier: the sample package
# is appended to a copy of windows-tests.exe, which then runs its own
# PayloadExtraction.AppendedPassReadsThisProgramsOwnFile test against itself (the
# pass reads the program file it runs from).
set -u
cd "${BUILD_DIR:?}" || exit 1
copy=$(mktemp --suffix=.exe appended-tests.XXXXXX) || exit 1
log=$copy.log
trap 'rm -f "$copy" "$log"' EXIT

"${PAYLOAD_TOOL:?}" append windows-tests.exe "${SAMPLE_PAYLOAD:?}" "$copy" || { echo "FAIL: append"; exit 1; }
PAYLOAD_APPENDED_TO_PROGRAM=1 "${WINE_RUN:?}" "${WINE_ROOT:?}" "${WINE_ARCH:?}" "$copy" \
  --gtest_filter='PayloadExtraction.AppendedPassReadsThisProgramsOwnFile' >"$log" 2>&1
rc=$?
[ $rc -eq 77 ] && exit 77
if [ $rc -ne 0 ] || ! grep -q '^\[  PASSED  \] 1 test\.' "$log"; then
  echo "FAIL: the appended pass (exit $rc)"
  grep -E 'Failure|Which is|Expected|error' "$log" | head -20
  exit 1
fi
echo "under Wine: every entry extracted from the package appended to the running program"
