#!/usr/bin/env bash
# The release end to end (scripts/release.sh), from the committed state of this
# checkout's tracked files:
#  - a release of both editions, signed with a throwaway self-signed
#    certificate (openssl), time-stamped by a server of its own (tsa.py), and
#    verified with `osslsigncode verify -CAfile`;
#    its distributions, zips, SHA256SUMS, BUILDINFO and version record;
#  - the 64-bit edition built once more, later, in another folder and without
#    ccache, with a password that cannot open the certificate: that release
#    stops, publishes nothing, and leaves its unsigned SetUp.exe, which must
#    equal the first release's unsigned one byte for byte (the programs are
#    compared before signing); the first release's signature attached to it
#    gives the shipped program again;
#  - the signed 64-bit SetUp.exe installs silently under Wine with exit code 0,
#    and the Uninstall.exe it leaves is the signed program, signature and all.
#
#   tests/release/check.sh [WORK-FOLDER]     (default build/release-check)
#
# Prints "ok <what>" / "FAIL <what>", exits non-zero on a failure.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
export LC_ALL=C.UTF-8  # Chinese folder names, and Wine's arguments in UTF-16

work=${1:-$ZV_BUILD/release-check}
failures=0
trace=$work/trace.log
ok() { echo "ok $*"; }
fail() {
  echo "FAIL $*"
  tail -n 5 "$trace" | cut -c1-300 | sed 's/^/    /'
  failures=$((failures + 1))
}
check() {  # check WHAT COMMAND...: the command's output goes to the trace
  local what=$1
  shift
  if "$@" >>"$trace" 2>&1; then ok "$what"; else fail "$what"; fi
}
finish() {
  echo "release check: $failures failed"
  [ "$failures" -eq 0 ]
  exit
}

rm -rf "$work"
mkdir -p "$work"
: >"$trace"

# What is committed, with the tracked files' changes on top (a commit object
# that no branch names); the same commit for both builds.
commit=$(git -C "$ZV_ROOT" stash create 2>>"$trace") || commit=""
[ -n "$commit" ] || commit=$(git -C "$ZV_ROOT" rev-parse HEAD 2>>"$trace") ||
  { fail "this is a git checkout"; finish; }

# --- a throwaway certificate ------------------------------------------------------
cert=$work/cert
mkdir -p "$cert"
check "a throwaway self-signed code-signing certificate" \
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$cert/key.pem" -out "$cert/cert.pem" \
  -subj "/CN=Zorvel release check/O=Zorvel" -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature
check "the certificate as a PFX file" \
  openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -out "$cert/cert.pfx" -passout pass:zv-check

# A time-stamp server of our own on this machine, with a certificate of its own.
tsa=$work/tsa
mkdir -p "$tsa"
echo 01 >"$tsa/serial"
cat >"$tsa/tsa.cnf" <<'EOF'
[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = ./serial
signer_cert = ./tsa.pem
signer_key = ./tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
crypto_device = builtin
EOF
check "a throwaway time-stamp certificate" \
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$tsa/tsa.key" -out "$tsa/tsa.pem" \
  -subj "/CN=Zorvel release check time stamps" -addext "extendedKeyUsage=critical,timeStamping" \
  -addext keyUsage=digitalSignature
python3 "$(dirname "$0")/tsa.py" "$tsa" >"$tsa/port" 2>>"$trace" &
tsa_pid=$!
trap 'kill "$tsa_pid" 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$tsa/port" ] && break; sleep 0.1; done
check "the time-stamp server listens" test -s "$tsa/port"

release() {  # release FOLDER PASSWORD ARGS...: scripts/release.sh of the commit
  local folder=$1 password=$2
  shift 2
  ZV_RELEASE_COMMIT=$commit ZV_RELEASE_OUT=$folder ZV_SIGN_PFX=$cert/cert.pfx ZV_SIGN_PASSWORD=$password \
    ZV_SIGN_URL=https://zorvel.example/ ZV_SIGN_CAFILE=$cert/cert.pem \
    ZV_SIGN_TIMESTAMP_URL=http://127.0.0.1:$(cat "$tsa/port") ZV_SIGN_TSA_CAFILE=$tsa/tsa.pem \
    bash "$ZV_ROOT/scripts/release.sh" "$@"
}

# --- the release ------------------------------------------------------------------
a=$work/a
start=$(date +%s)
release "$a" zv-check 7 >"$work/release-a.log" 2>&1
code=$?
cat "$work/release-a.log" >>"$trace"
echo "release of both editions, signed: $(($(date +%s) - start)) s"
check "release.sh of both editions, signed, exits 0" test "$code" = 0
[ "$code" = 0 ] || finish

date=$(TZ=UTC0 git -C "$ZV_ROOT" log -1 --format=%cd --date=format-local:%Y%m%d "$commit")
version=${date:0:4}.$((10#${date:4:2})).$((10#${date:6:2})).7
dist=$a/dist

# version_record FILE: the fixed part of the version record, as a.b.c.d.
version_record() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.index(struct.pack("<I", 0xFEEF04BD))
ms, ls = struct.unpack_from("<II", data, at + 8)
print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
EOF
}
pe_time_stamp() {  # the COFF header's TimeDateStamp
  local pe
  pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -tu4 -j $((pe + 8)) -N 4 "$1" | tr -d ' '
}
names_tools() {
  grep -q "^commit: *$commit\$" "$1" &&
    [ "$(grep -cE '^(C compiler|C\+\+|binutils|mingw-w64|CMake|Python): +[^ ]' "$1")" = 6 ] ||
    { cat "$1"; return 1; }
}
listed() { grep -q "  $1\$" "$dist/SHA256SUMS" || { echo "SHA256SUMS does not list $1"; return 1; }; }

for edition in win32 win64; do
  name=Zorvel-Setup-$version-$edition
  check "$edition: SetUp.exe beside the Data folder and BUILDINFO" \
    test -f "$dist/$name/SetUp.exe" -a -f "$dist/$name/Data/readme.txt" -a -f "$dist/$name/BUILDINFO"
  check "$edition: the signature verifies with -CAfile of the certificate, time stamp included" \
    eval "osslsigncode verify -CAfile '$cert/cert.pem' -TSA-CAfile '$tsa/tsa.pem' -in '$dist/$name/SetUp.exe' |
      grep '^Timestamp Server Signature verification: ok'"
  check "$edition: the unsigned program has no PE time stamp" test "$(pe_time_stamp "$a/$edition/SetUp.exe")" = 0
  check "$edition: the version record reads $version" test "$(version_record "$a/$edition/SetUp.exe")" = "$version"
  check "$edition: BUILDINFO names the commit, the compilers, binutils, mingw-w64, CMake and Python" \
    names_tools "$dist/$name/BUILDINFO"
  check "$edition: the zip holds the distribution under its name" \
    python3 -c 'import sys, zipfile; n = zipfile.ZipFile(sys.argv[1]).namelist(); sys.exit(sys.argv[2] + "/SetUp.exe" not in n or sys.argv[2] + "/Data/使用说明.txt" not in n)' \
    "$dist/$name.zip" "$name"
  check "$edition: SHA256SUMS lists the zip and SetUp.exe" listed "$name.zip"
  check "$edition: a zip made again later is the same bytes" \
    eval "sleep 1 && python3 '$ZV_ROOT/scripts/release-zip.py' '$work/again.zip' '$dist/$name' \
      $(git -C "$ZV_ROOT" log -1 --format=%ct "$commit") && cmp '$work/again.zip' '$dist/$name.zip'"
done
check "SHA256SUMS holds for every file" eval "cd '$dist' && sha256sum --quiet -c SHA256SUMS"
check "nothing is left in the staging folder" test ! -e "$a/.staging"

# --- again, elsewhere and later, without ccache; signing fails ------------------------
b=$work/b
start=$(date +%s)
CCACHE_DISABLE=1 ZV_RELEASE_EDITIONS=win64 release "$b" not-the-password 7 >"$work/release-b.log" 2>&1
code=$?
cat "$work/release-b.log" >>"$trace"
echo "second 64-bit build, without ccache: $(($(date +%s) - start)) s"
check "a certificate that cannot be opened stops the release" test "$code" != 0
check "... saying that signing failed" grep -q "FAILED: signing the win64 SetUp.exe failed" "$work/release-b.log"
check "... and publishing nothing" test ! -e "$b/dist" -a ! -e "$b/.staging"
check "win64: the second build's unsigned SetUp.exe is the first one's, byte for byte" \
  cmp "$a/win64/SetUp.exe" "$b/win64/SetUp.exe"
# same_made: what the build generates on its way to SetUp.exe is the same in both.
same_made() {
  local made
  for made in generated/app.ico generated/doc.ico generated/logo.bmp generated/menu.bmp \
    generated/build_config.h CMakeFiles/SetUp.dir/res/setup.rc.res; do
    cmp "$a/win64/$made" "$b/win64/$made" || return 1
  done
}
check "win64: the pictures, icons, build constants and compiled resources are the same in both builds" same_made
signed=$dist/Zorvel-Setup-$version-win64/SetUp.exe
check "win64: the shipped signature attached to the rebuild gives the shipped program" \
  eval "osslsigncode extract-signature -in '$signed' -out '$work/shipped.sig' && \
    osslsigncode attach-signature -sigin '$work/shipped.sig' -CAfile '$cert/cert.pem' \
      -in '$b/win64/SetUp.exe' -out '$work/rebuilt-signed.exe' && cmp '$signed' '$work/rebuilt-signed.exe'"

# --- the signed program under Wine ----------------------------------------------------
trap 'kill "$tsa_pid" 2>/dev/null; zv_wine_stop; zv_xvfb_stop' EXIT
if [ -z "${DISPLAY:-}" ]; then
  zv_xvfb_start >>"$trace" 2>&1 || { fail "a virtual display"; finish; }
fi
zv_wine_prefix "$work/prefix" >>"$trace" 2>&1
drive=$WINEPREFIX/drive_c
cp -R "$dist/Zorvel-Setup-$version-win64" "$drive/zvdist"
install() {
  "$ZV_WINE64" 'C:\zvdist\SetUp.exe' /S '/DIR=C:\ZvInstall' '/LOG=C:\zvinstall.log'
}
install >>"$trace" 2>&1
code=$?
if [ "$code" = 1 ]; then  # Wine, not the program (no silent run ends so): once more
  install >>"$trace" 2>&1
  code=$?
fi
echo "silent install -> $code" >>"$trace"
check "win64 signed: a silent install under Wine exits 0" test "$code" = 0
check "win64 signed: the Uninstall.exe the install left is the signed SetUp.exe, byte for byte" \
  cmp "$signed" "$drive/ZvInstall/Zorvel批打印软件/Uninstall.exe"

finish
