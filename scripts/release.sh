#!/usr/bin/env bash
# Makes a release: both editions built from a clean checkout of one commit,
# each in a build folder of its own, laid out as a distribution (SetUp.exe
# beside its Data folder, and BUILDINFO), signed when a certificate is given,
# zipped, and SHA256SUMS over all of it. Prints what it made.
#
#   bash scripts/release.sh [RELEASE-NUMBER]      (0 to 65535; default 0)
#
# The version is the release commit's date (UTC) and the release number:
# yyyy.m.d.N. The same commit gives the same unsigned SetUp.exe wherever and
# whenever it is built.
#
#   ZV_DATA=folder             the Data folder to ship (default: the sample one)
#   ZV_RELEASE_COMMIT=rev      the commit to release (default HEAD; uncommitted
#                              changes are never part of a release)
#   ZV_RELEASE_OUT=folder      where it all goes (default build/release):
#                              src/, win32/, win64/ and dist/, made afresh
#   ZV_RELEASE_EDITIONS=list   default "win32 win64"
#
# Signing (osslsigncode, SHA-256), with a PFX file or a PKCS#11 token:
#   ZV_SIGN_PFX=file.pfx  ZV_SIGN_PASSWORD=...
#   ZV_SIGN_PKCS11_MODULE=module.so  ZV_SIGN_PKCS11_CERT=URI-or-file.pem
#     ZV_SIGN_PKCS11_KEY=URI  [ZV_SIGN_PASSWORD=PIN]  [ZV_SIGN_PKCS11_ENGINE=engine.so]
#   ZV_SIGN_NAME (default "Zorvel批打印软件"), ZV_SIGN_URL (the publisher's site),
#   ZV_SIGN_TIMESTAMP_URL (an RFC 3161 time-stamp server),
#   ZV_SIGN_CAFILE, ZV_SIGN_TSA_CAFILE (what the signature is verified against;
#     default the system's certificate bundle).
# A signature that fails to be made or verified stops the release; nothing is
# published then (the distributions are made in a staging folder and moved
# into dist/ at the end).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
source "$ZV_ROOT/scripts/sample-data.sh"

die() {
  echo "release: FAILED: $*" >&2
  echo "release: nothing was published" >&2
  exit 1
}

bash "$ZV_ROOT/scripts/setup.sh" || die "the packages could not be installed"

# --- what to release -------------------------------------------------------------
release=${1:-0}
[[ $release =~ ^[0-9]{1,5}$ ]] && [ $((10#$release)) -le 65535 ] ||
  die "the release number must be a whole number from 0 to 65535, not '$release'"
release=$((10#$release))
commit=$(git -C "$ZV_ROOT" rev-parse --verify --quiet "${ZV_RELEASE_COMMIT:-HEAD}^{commit}") ||
  die "no commit '${ZV_RELEASE_COMMIT:-HEAD}' in $ZV_ROOT (a release is made from a git checkout)"
if [ -z "${ZV_RELEASE_COMMIT:-}" ] && [ -n "$(git -C "$ZV_ROOT" status --porcelain --untracked-files=no)" ]; then
  echo "release: the checkout has uncommitted changes; they are not part of the release of $commit"
fi
date=$(TZ=UTC0 git -C "$ZV_ROOT" log -1 --format=%cd --date=format-local:%Y%m%d "$commit")
epoch=$(git -C "$ZV_ROOT" log -1 --format=%ct "$commit")
version=${date:0:4}.$((10#${date:4:2})).$((10#${date:6:2})).$release
editions=(${ZV_RELEASE_EDITIONS:-win32 win64})
for edition in "${editions[@]}"; do
  [ "$edition" = win32 ] || [ "$edition" = win64 ] || die "unknown edition '$edition' (win32 or win64)"
done

if [ -n "${ZV_DATA:-}" ]; then
  [ -d "$ZV_DATA" ] && [ -r "$ZV_DATA" ] || die "ZV_DATA=$ZV_DATA is not a folder that can be read"
  data=$(cd "$ZV_DATA" && pwd)
fi

# --- the certificate, checked before anything is built ----------------------------
sign_mode=none
sign_args=()
if [ -n "${ZV_SIGN_PFX:-}" ] && [ -n "${ZV_SIGN_PKCS11_MODULE:-}" ]; then
  die "both ZV_SIGN_PFX and ZV_SIGN_PKCS11_MODULE are set; give one certificate"
elif [ -n "${ZV_SIGN_PFX:-}" ]; then
  [ -f "$ZV_SIGN_PFX" ] && [ -r "$ZV_SIGN_PFX" ] || die "ZV_SIGN_PFX=$ZV_SIGN_PFX cannot be read"
  sign_mode=pfx
  sign_args=(-pkcs12 "$ZV_SIGN_PFX")
elif [ -n "${ZV_SIGN_PKCS11_MODULE:-}" ]; then
  [ -f "$ZV_SIGN_PKCS11_MODULE" ] || die "ZV_SIGN_PKCS11_MODULE=$ZV_SIGN_PKCS11_MODULE does not exist"
  [ -n "${ZV_SIGN_PKCS11_CERT:-}" ] || die "ZV_SIGN_PKCS11_CERT (the certificate's PKCS#11 URI or a PEM file) is missing"
  [ -n "${ZV_SIGN_PKCS11_KEY:-}" ] || die "ZV_SIGN_PKCS11_KEY (the key's PKCS#11 URI or id) is missing"
  sign_mode=pkcs11
  [ -n "${ZV_SIGN_PKCS11_ENGINE:-}" ] && sign_args+=(-pkcs11engine "$ZV_SIGN_PKCS11_ENGINE")
  sign_args+=(-pkcs11module "$ZV_SIGN_PKCS11_MODULE")
  if [ -f "$ZV_SIGN_PKCS11_CERT" ]; then
    sign_args+=(-certs "$ZV_SIGN_PKCS11_CERT")
  else
    sign_args+=(-pkcs11cert "$ZV_SIGN_PKCS11_CERT")
  fi
  sign_args+=(-key "$ZV_SIGN_PKCS11_KEY")
fi
if [ $sign_mode != none ]; then
  command -v osslsigncode >/dev/null || die "osslsigncode is not installed (scripts/setup.sh installs it)"
  sign_args+=(-h sha256 -n "${ZV_SIGN_NAME:-Zorvel批打印软件}")
  [ -n "${ZV_SIGN_URL:-}" ] && sign_args+=(-i "$ZV_SIGN_URL")
  [ -n "${ZV_SIGN_TIMESTAMP_URL:-}" ] && sign_args+=(-ts "$ZV_SIGN_TIMESTAMP_URL")
  cafile=${ZV_SIGN_CAFILE:-/etc/ssl/certs/ca-certificates.crt}
  [ -r "$cafile" ] || die "no certificates to verify the signature against ($cafile; set ZV_SIGN_CAFILE)"
  verify_args=(-CAfile "$cafile")
  if [ -n "${ZV_SIGN_TIMESTAMP_URL:-}" ]; then
    verify_args+=(-TSA-CAfile "${ZV_SIGN_TSA_CAFILE:-$cafile}")
  fi
else
  echo "release: no certificate given (ZV_SIGN_PFX or ZV_SIGN_PKCS11_MODULE): the programs are not signed"
fi

# --- a clean checkout, each edition in a build folder of its own ------------------
out=${ZV_RELEASE_OUT:-$ZV_BUILD/release}
mkdir -p "$out" || die "cannot make $out"
out=$(cd "$out" && pwd)
stage=$out/.staging
rm -rf "$out/src" "$out/win32" "$out/win64" "$out/dist" "$stage"
trap 'rm -rf "$stage"' EXIT
mkdir -p "$out/src" "$stage"
git -C "$ZV_ROOT" archive --format=tar "$commit" | tar -x -C "$out/src" ||
  die "cannot check out $commit into $out/src"
echo "release: $version from $commit ($(TZ=UTC0 git -C "$ZV_ROOT" log -1 --format=%cd --date=format-local:'%Y-%m-%d %H:%M:%S UTC' "$commit"))"

# pe_time_stamp FILE: the COFF header's TimeDateStamp, in decimal.
pe_time_stamp() {
  local pe
  pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -tu4 -j $((pe + 8)) -N 4 "$1" | tr -d ' '
}

for edition in "${editions[@]}"; do
  tree=$out/$edition
  echo "release: building the $edition edition in $tree"
  zv_tree_args "$edition" "$out/src"
  cmake -S "$out/src" -B "$tree" "${ZV_TREE_ARGS[@]}" -DZV_BUILD_DATE="$date" -DZV_RELEASE="$release" \
    >"$out/$edition-build.log" 2>&1 &&
    cmake --build "$tree" --target SetUp -- -j"$(nproc)" >>"$out/$edition-build.log" 2>&1 ||
    { tail -n 30 "$out/$edition-build.log" >&2; die "the $edition build failed (log: $out/$edition-build.log)"; }
  [ "$(pe_time_stamp "$tree/SetUp.exe")" = 0 ] || die "the $edition SetUp.exe carries a link time stamp"
done

# --- one distribution per edition --------------------------------------------------
# sign UNSIGNED SIGNED EDITION: signs, and verifies the signature made.
sign() {
  local report=$stage/sign-$3.txt
  if [ $sign_mode = pfx ]; then
    osslsigncode sign "${sign_args[@]}" -readpass /dev/stdin -in "$1" -out "$2" >"$report" 2>&1 <<<"${ZV_SIGN_PASSWORD:-}"
  elif [ -n "${ZV_SIGN_PASSWORD:-}" ]; then
    osslsigncode sign "${sign_args[@]}" -readpass /dev/stdin -in "$1" -out "$2" >"$report" 2>&1 <<<"$ZV_SIGN_PASSWORD"
  else
    osslsigncode sign "${sign_args[@]}" -in "$1" -out "$2" >"$report" 2>&1
  fi || { cat "$report" >&2; die "signing the $3 SetUp.exe failed"; }
  osslsigncode verify "${verify_args[@]}" -in "$2" >"$report" 2>&1 ||
    { cat "$report" >&2; die "the signature of the $3 SetUp.exe does not verify"; }
  if [ -n "${ZV_SIGN_TIMESTAMP_URL:-}" ] && ! grep -q '^Timestamp Server Signature verification: ok' "$report"; then
    cat "$report" >&2
    die "the $3 SetUp.exe has no verified time stamp from $ZV_SIGN_TIMESTAMP_URL"
  fi
  signer=$(sed -n 's/^[[:space:]]*Subject: //p' "$report" | head -n 1)
  rm -f "$report"
}

# tool_line LABEL COMMAND...: "LABEL: first line of COMMAND --version".
tool_line() {
  local label=$1
  shift
  printf '%-12s %s\n' "$label:" "$("$@" --version 2>&1 | head -n 1)"
}

# tool_of TREE C|CXX|RC: the compiler CMake found for a language.
tool_of() {
  sed -n "s/^set(CMAKE_$2_COMPILER \"\(.*\)\")\$/\1/p" "$1"/CMakeFiles/*/CMake"$2"Compiler.cmake | head -n 1
}

buildinfo() {  # buildinfo EDITION TREE
  local cache=$2/CMakeCache.txt cc cxx rc ld python arch
  cc=$(tool_of "$2" C)
  cxx=$(tool_of "$2" CXX)
  rc=$(tool_of "$2" RC)
  ld=$(sed -n 's/^CMAKE_LINKER:[A-Z]*=//p' "$cache")
  python=$(sed -n 's/^_\?Python3_EXECUTABLE:[A-Z]*=//p' "$cache" | head -n 1)
  arch=$(basename "$ld")
  arch=${arch%%-*}
  arch=${arch//_/-}  # Debian's package names: x86-64, i686
  echo "Zorvel批打印软件 SetUp.exe $version, ${1#win}-bit edition"
  echo "commit:      $commit"
  echo "commit date: $(TZ=UTC0 git -C "$ZV_ROOT" log -1 --format=%cd --date=format-local:'%Y-%m-%d %H:%M:%S UTC' "$commit")"
  echo "build date:  $date (ZV_BUILD_DATE), release number $release (ZV_RELEASE)"
  echo "SetUp.exe before signing: sha256 $(sha256sum "$2/SetUp.exe" | cut -d' ' -f1)"
  if [ $sign_mode = none ]; then
    echo "signature:   none"
  else
    echo "signature:   Authenticode SHA-256 ($sign_mode), signer $signer"
    echo "time stamp:  ${ZV_SIGN_TIMESTAMP_URL:-none}"
  fi
  echo
  tool_line "C compiler" "$cc"
  tool_line "C++" "$cxx"
  tool_line "binutils" "$ld"
  tool_line "windres" "$rc"
  printf '%-12s %s\n' "mingw-w64:" \
    "$(printf '#include <_mingw_mac.h>\n__MINGW64_VERSION_STR\n' | "$cc" -E -P -x c - | tail -n 1 | tr -d '" ')"
  tool_line "CMake" cmake
  tool_line "Ninja" ninja
  tool_line "Python" "$python"
  printf '%-12s %s\n' "zip:" "Python $(python3 -c 'import sys, zlib; print(sys.version.split()[0], "zipfile, zlib", zlib.ZLIB_RUNTIME_VERSION)')"
  [ $sign_mode = none ] || tool_line "osslsigncode" osslsigncode
  if command -v dpkg-query >/dev/null; then
    echo
    echo "Debian packages:"
    dpkg-query -W -f='  ${Package} ${Version}\n' cmake ninja-build python3 mingw-w64-common \
      "binutils-mingw-w64-$arch" "g++-mingw-w64-$arch-posix" "mingw-w64-$arch-dev" 2>/dev/null
  fi
}

made=()
for edition in "${editions[@]}"; do
  tree=$out/$edition
  name=Zorvel-Setup-$version-$edition
  dist=$stage/$name
  mkdir -p "$dist"
  if [ -n "${data:-}" ]; then
    cp -R "$data" "$dist/Data" || die "cannot copy $data"
  else
    zv_sample_data "$dist/Data"
  fi
  signer=""
  if [ $sign_mode = none ]; then
    cp "$tree/SetUp.exe" "$dist/SetUp.exe"
  else
    sign "$tree/SetUp.exe" "$dist/SetUp.exe" "$edition"
  fi
  buildinfo "$edition" "$tree" >"$dist/BUILDINFO" || die "cannot write $dist/BUILDINFO"
  find "$dist" -exec touch -h -d "@$epoch" {} + || die "cannot set the times in $dist"
  python3 "$ZV_ROOT/scripts/release-zip.py" "$stage/$name.zip" "$dist" "$epoch" || die "cannot zip $dist"
  made+=("$name")
done
(cd "$stage" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum >SHA256SUMS) ||
  die "cannot write SHA256SUMS"

# --- published all at once --------------------------------------------------------
mv "$stage" "$out/dist" || die "cannot move the distributions into $out/dist"
trap - EXIT
echo "release: made in $out/dist:"
for name in "${made[@]}"; do
  echo "  $name/  (SetUp.exe, Data/, BUILDINFO)"
  echo "  $name.zip"
done
echo "  SHA256SUMS"
for name in "${made[@]}"; do
  echo "release: $name/SetUp.exe sha256 $(sha256sum "$out/dist/$name/SetUp.exe" | cut -d' ' -f1)$(
    [ $sign_mode = none ] || echo " (signed; before signing $(sha256sum "$out/${name##*-}/SetUp.exe" | cut -d' ' -f1))")"
done
