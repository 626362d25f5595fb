#!/usr/bin/env bash
# scripts/deps.sh against stand-ins for apt-get, dpkg-query and dpkg on PATH (the real
# ones are never run): a mirror caught mid-sync, whose index update fails every time and
# whose install works only with the release's main suite as the target release; an
# install that cannot work at all; and a machine that has everything.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mkdir -p "${WORK_DIR:-/tmp}" && mktemp -d "${WORK_DIR:-/tmp}/deps.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

fake=$work/bin
mkdir -p "$fake"
# A codename no real release has, so a hard-coded one cannot pass.
printf 'ID=debian\nVERSION_CODENAME=testrel\n' >"$work/os-release"

cat >"$fake/dpkg-query" <<'EOF'
#!/usr/bin/env bash
# Every package is installed when FAKE_ALL_INSTALLED is set; else only coreutils.
echo "dpkg-query $*" >>"$FAKE_LOG"
pkg=${*: -1}
if [ -n "${FAKE_ALL_INSTALLED:-}" ] || [ "$pkg" = coreutils ]; then
  printf 'install ok installed'
else
  exit 1
fi
EOF
cat >"$fake/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE_LOG"
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
EOF
cat >"$fake/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
case "$1" in
  update)
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
  install)
    # FAKE_INSTALL=target: works only with "-t testrel"; never: fails always, and a
    # simulation fails only for wine32:i386.
    if [[ " $* " == *" -s "* ]]; then
      [[ " $* " == *" wine32:i386 "* ]] && exit 100
      exit 0
    fi
    if [ "$FAKE_INSTALL" = target ] && [[ " $* " == *" -t testrel "* ]]; then exit 0; fi
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
esac
exit 0
EOF
chmod +x "$fake"/*

run_deps() {  # run_deps NAME [VAR=value ...]
  local name=$1; shift
  : >"$work/$name.log"
  env PATH="$fake:$PATH" FAKE_LOG="$work/$name.log" DEPS_RETRY_PAUSE=0 \
    DEPS_OS_RELEASE="$work/os-release" "$@" bash "$root/scripts/deps.sh" \
    >"$work/$name.out" 2>&1
}

# Mirror mid-sync: the update fails each time, the plain install fails, the target
# release's install works.
run_deps midsync FAKE_INSTALL=target
rc=$?
[ $rc -eq 0 ] || fail "mid-sync: exit $rc: $(cat "$work/midsync.out")"
updates=$(grep -c '^apt-get update' "$work/midsync.log")
[ "$updates" -ge 2 ] || fail "mid-sync: apt-get update tried $updates time(s), not retried"
grep -q '^apt-get install .*-t testrel' "$work/midsync.log" ||
  fail "mid-sync: no install with the release's codename as the target release"
[ "$(grep -c '^deps.sh: installed' "$work/midsync.out")" -eq 1 ] ||
  fail "mid-sync: no single line saying which way it installed: $(cat "$work/midsync.out")"
grep -q '^deps.sh: installed with -t testrel' "$work/midsync.out" ||
  fail "mid-sync: the line does not name the target release"

# Nothing works: the message names the package and the command to try by hand.
run_deps broken FAKE_INSTALL=never
rc=$?
[ $rc -ne 0 ] || fail "broken: exit 0"
grep -q '^deps.sh: could not install: wine32:i386$' "$work/broken.out" ||
  fail "broken: the package that failed is not named: $(cat "$work/broken.out")"
grep -q '^deps.sh: try by hand: .*apt-get install -t testrel .*wine32:i386' "$work/broken.out" ||
  fail "broken: no command to try by hand"

# Everything there: no apt call at all.
run_deps complete FAKE_ALL_INSTALLED=1 FAKE_INSTALL=never
rc=$?
[ $rc -eq 0 ] || fail "complete: exit $rc"
grep -q '^apt-get' "$work/complete.log" && fail "complete: apt-get was run: $(grep '^apt-get' "$work/complete.log")"
grep -q '^dpkg-query' "$work/complete.log" || fail "complete: the stand-in dpkg-query was never asked"

[ $failures -eq 0 ] && echo "deps.sh: all checks passed"
exit $((failures > 0))
