#!/usr/bin/env bash
# Installs what the build needs, when it is missing, with apt-get.
#   scripts/setup-deps.sh native    compilers, GoogleTest, CLI11, nlohmann-json, ICU, clang for fuzzing,
#                                   dpkg-dev, file and unzip for making and checking the packages
#   scripts/setup-deps.sh windows   the above plus MinGW-w64, Wine, Xvfb and X tools
# Wine is the 32-bit one where this machine runs 32-bit programs; elsewhere
# it is the 64-bit one, with the 64-bit MinGW-w64 for a build it can run.
set -euo pipefail
want=${1:-native}
here=$(cd "$(dirname "$0")" && pwd)

native=(cmake make g++ libgtest-dev googletest libbenchmark-dev libcli11-dev nlohmann-json3-dev
        libicu-dev clang libclang-rt-14-dev dpkg-dev file unzip)
windows32=(g++-mingw-w64-i686 wine wine32:i386 xvfb xdotool imagemagick)
windows64=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xdotool imagemagick)

packages=("${native[@]}")
if [ "$want" = windows ]; then
  if "$here/runs-32bit"; then
    packages+=("${windows32[@]}")
  else
    packages+=("${windows64[@]}")
  fi
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}" >&2
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync fails one index now and then: try again,
# and in the end let the install itself say whether anything is really missing.
for attempt in 1 2 3; do
  "${as_root[@]}" apt-get update -q >&2 && break
  echo "apt-get update failed (attempt $attempt of 3)" >&2
  sleep $((attempt * 10))
done
"${as_root[@]}" apt-get install -y -q "${missing[@]}" >&2 && exit 0

# A stale i386 index of the security suite leaves the 32-bit libraries one
# security update behind their 64-bit twins, which must match: fetch the
# 32-bit twins of the candidates from the security pool and try again.
printf '%s\n' "${missing[@]}" | grep -q ':i386$' || exit 1
echo "Installing failed; fetching the 32-bit libraries from the security pool" >&2
command -v curl >/dev/null || "${as_root[@]}" apt-get install -y -q curl >&2 || exit 1
pool=http://deb.debian.org/debian-security/pool/updates/main
debs=$(mktemp -d)
trap 'rm -rf "$debs"' EXIT
chmod 755 "$debs"
for round in 1 2 3 4 5 6 7 8; do
  local_debs=()
  for f in "$debs"/*.deb; do [ -e "$f" ] && local_debs+=("$f"); done
  plan=$(apt-get install -y -q --dry-run "${missing[@]}" "${local_debs[@]}" 2>&1) || true
  if ! grep -q '^E:' <<<"$plan"; then
    "${as_root[@]}" apt-get install -y -q "${missing[@]}" "${local_debs[@]}" >&2
    exit $?
  fi
  fetched=0
  for name in $(grep -oE '[a-z0-9.+-]+:i386 \(' <<<"$plan" | sed 's/:i386 (//' | sort -u); do
    want=$(apt-cache policy "$name" | awk '/Candidate:/ {print $2}')
    have=$(apt-cache policy "$name:i386" | awk '/Candidate:/ {print $2}')
    [ -n "$want" ] && [ "$want" != "(none)" ] && [ "$want" != "$have" ] || continue
    source=$(apt-cache show "$name=$want" 2>/dev/null | awk '/^Source:/ {print $2; exit}') || true
    source=${source:-$name}
    prefix=${source:0:1}
    [[ $source == lib* ]] && prefix=${source:0:4}
    file=${name}_${want#*:}_i386.deb
    [ -e "$debs/$file" ] && continue
    if curl -fsS -m 60 -o "$debs/$file" "$pool/$prefix/$source/$file"; then
      fetched=$((fetched + 1))
    else
      rm -f "$debs/$file"
    fi
  done
  [ "$fetched" -gt 0 ] || break
done
grep -E 'Depends|^E:' <<<"$plan" | head -n 20 >&2
exit 1
