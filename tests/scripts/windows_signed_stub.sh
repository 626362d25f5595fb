#!/usr/bin/env bash
# A vendor's setup: the payload appended to this tree's setup-stub.exe, then signed
# with Authenticode (a throwaway certificate made here). The archive must still be
# found behind the signature, and unsigned files must stay as they were.
set -u
work=$(mktemp -d "${BUILD_DIR:?}/signed.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
tool=${PAYLOAD_TOOL:?}
package=${PACKAGE_DIR:?}  # the tree's package, packed into SAMPLE_PAYLOAD

"$tool" append "$BUILD_DIR/setup-stub.exe" "${SAMPLE_PAYLOAD:?}" "$work/vendor-setup.exe" || fail "append"
"$tool" list "$work/vendor-setup.exe" >"$work/unsigned.list" || fail "list unsigned"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Test Vendor" >/dev/null 2>&1 || fail "test certificate"
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Printer Driver Setup" \
  -in "$work/vendor-setup.exe" -out "$work/signed-setup.exe" >"$work/sign.log" 2>&1 || fail "sign: $(cat "$work/sign.log")"

# Signing put the certificate table behind our trailer.
unsigned_size=$(stat -c %s "$work/vendor-setup.exe")
signed_size=$(stat -c %s "$work/signed-setup.exe")
[ "$signed_size" -gt $((unsigned_size + 500)) ] || fail "signature did not grow the file ($unsigned_size -> $signed_size)"
cmp -s <(tail -c 8 "$work/vendor-setup.exe") <(tail -c 8 "$work/signed-setup.exe") && fail "trailer still at the end"

"$tool" list "$work/signed-setup.exe" >"$work/signed.list" || fail "list signed"
diff "$work/unsigned.list" "$work/signed.list" || fail "signed listing differs"
[ "$(wc -l <"$work/signed.list")" -eq 30 ] || fail "expected 30 entries"
mkdir "$work/out"
"$tool" extract "$work/signed-setup.exe" "$work/out" || fail "extract signed"
while read -r name; do
  [ -n "$name" ] || continue
  cmp -s "$package/$name" "$work/out/$name" || fail "$name differs after extraction"
done <"$package/package.list"

if [ $failures -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "signed stub: 30 entries found behind the signature and extracted intact"
