#!/usr/bin/env bash
# Checks a built package the way a user takes it:
#   check-packages.sh deb quillfen_X.Y.Z_amd64.deb
#       unpacks it into a temporary root (dpkg-deb -x), checks its fields and
#       files, and runs that root's quillfen --version and quillfen demo;
#   check-packages.sh zip Quillfen-X.Y.Z-win32.zip
#       unpacks it into a bare folder, checks its files and their version
#       resources, and runs its quillfen.exe --version, demo and scan under
#       Wine. Run it through scripts/with-xvfb, which provides the prefix.
# X.Y.Z, taken from the file name, is the version every part must report.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kind=${1:-}
package=${2:-}
if [[ $# -ne 2 || ! -f $package || ! $kind =~ ^(deb|zip)$ ]]; then
  echo "usage: check-packages.sh deb|zip PACKAGE" >&2
  exit 2
fi
package=$(cd "$(dirname "$package")" && pwd)/$(basename "$package")
work=$(mktemp -d "${TMPDIR:-/tmp}/qf-package.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
expect_line() {  # expect_line WHAT EXPECTED ACTUAL
  if [[ $3 == "$2" ]]; then ok "$1"; else fail "$1: expected '$2', got '$3'"; fi
}

check_deb() {
  local name version
  name=$(basename "$package")
  [[ $name =~ ^quillfen_([0-9]+\.[0-9]+\.[0-9]+)_amd64\.deb$ ]] || { fail "file name $name"; return; }
  version=${BASH_REMATCH[1]}
  expect_line "Package" quillfen "$(dpkg-deb -f "$package" Package)"
  expect_line "Version" "$version" "$(dpkg-deb -f "$package" Version)"
  expect_line "Architecture" amd64 "$(dpkg-deb -f "$package" Architecture)"
  # Nothing beyond the C and C++ run-time libraries and ICU (letter case and normalisation of names).
  local depends other
  depends=$(dpkg-deb -f "$package" Depends)
  other=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -vxE 'libc6|libgcc-s1|libstdc\+\+6|libicu[0-9]+')
  if [[ $depends == *libc6* && -z $other ]]; then ok "Depends: $depends"; else fail "Depends: '$depends'"; fi
  [[ $(dpkg-deb -f "$package" Description) == *RTP* ]] && ok "Description" || fail "Description"

  local root=$work/root
  dpkg-deb -x "$package" "$root" || { fail "dpkg-deb -x"; return; }
  for f in usr/bin/quillfen usr/share/man/man1/quillfen.1 usr/share/bash-completion/completions/quillfen \
           usr/share/doc/quillfen/LICENSE usr/share/doc/quillfen/NOTICE; do
    [[ -s $root/$f ]] && ok "$f" || fail "$f is missing"
  done
  grep -q "^\.TH QUILLFEN 1 \"\" \"quillfen $version\"" "$root/usr/share/man/man1/quillfen.1" &&
    grep -q "^\.SH EXIT STATUS" "$root/usr/share/man/man1/quillfen.1" &&
    grep -q 'full\\-package' "$root/usr/share/man/man1/quillfen.1" &&
    ok "manual page of version $version" || fail "manual page"
  bash -n "$root/usr/share/bash-completion/completions/quillfen" && ok "completion parses" || fail "completion"

  expect_line "quillfen --version" "quillfen $version" "$("$root/usr/bin/quillfen" --version)"
  local out
  out=$(cd "$work" && "$root/usr/bin/quillfen" demo demo --quiet 2>&1)
  local code=$?
  if [[ $code -eq 0 && $out =~ expects\ ([0-9]+)\ files\;\ the\ project\ now\ holds\ ([0-9]+) &&
        ${BASH_REMATCH[1]} == "${BASH_REMATCH[2]}" ]]; then
    ok "quillfen demo copied all ${BASH_REMATCH[1]} files"
  else
    fail "quillfen demo (exit $code):"; echo "$out"
  fi
}

check_zip() {
  local name version folder
  name=$(basename "$package")
  [[ $name =~ ^Quillfen-([0-9]+\.[0-9]+\.[0-9]+)-win(32|64)\.zip$ ]] || { fail "file name $name"; return; }
  version=${BASH_REMATCH[1]}
  local bare=$work/bare
  mkdir -p "$bare"
  (cd "$bare" && unzip -q "$package") || { fail "unzip"; return; }
  folder=$bare/${name%.zip}
  expect_line "contents" "LICENSE.txt NOTICE.txt Quillfen.exe README.txt quillfen.exe" \
    "$(cd "$folder" 2>/dev/null && LC_ALL=C ls | tr '\n' ' ' | sed 's/ $//')"
  grep -q $'\r$' "$folder/README.txt" && ok "README.txt has Windows line ends" || fail "README.txt line ends"
  # The version resource's strings are UTF-16.
  for exe in Quillfen.exe quillfen.exe; do
    strings -el "$folder/$exe" | grep -qx "$version" && strings -el "$folder/$exe" | grep -qx "$exe" &&
      ok "$exe carries version $version" || fail "$exe has no version resource of $version"
  done

  if [[ ${BASH_REMATCH[2]} == 32 ]] && ! "$here/runs-32bit"; then
    echo "This machine cannot run 32-bit programs: $name is not run."
    return
  fi
  if [[ -z ${QF_WINEPREFIX:-} ]]; then
    fail "QF_WINEPREFIX is not set; run this through scripts/with-xvfb"
    return
  fi
  local out code
  out=$("$here/wine-run" "$folder/quillfen.exe" --version | tr -d '\r')
  expect_line "quillfen.exe --version" "quillfen $version" "$out"
  # Relative folders: Wine gives the program the Unix working folder as Z:.
  out=$(cd "$work" && "$here/wine-run" "$folder/quillfen.exe" demo demo --quiet 2>&1 | tr -d '\r')
  code=${PIPESTATUS[0]}
  if [[ $code -eq 0 && $out =~ expects\ ([0-9]+)\ files\;\ the\ project\ now\ holds\ ([0-9]+) &&
        ${BASH_REMATCH[1]} == "${BASH_REMATCH[2]}" ]]; then
    ok "quillfen.exe demo copied all ${BASH_REMATCH[1]} files"
  else
    fail "quillfen.exe demo (exit $code):"; echo "$out"
  fi
  # A scan of the project the demo filled: nothing left to find.
  rm -rf "$work/demo/scratch"
  out=$(cd "$work" && "$here/wine-run" "$folder/quillfen.exe" scan 'demo\Project' --rtp 'demo\RTP' \
          --scratch 'demo\scratch' --json 2>&1 | tr -d '\r')
  if grep -q "\"version\": \"$version\"" <<<"$out" && grep -q '"exitCode": 0' <<<"$out" &&
     grep -q '"found": \[\]' <<<"$out" && grep -q '"status": "Scan complete"' <<<"$out"; then
    ok "quillfen.exe scan"
  else
    fail "quillfen.exe scan:"; echo "$out"
  fi
  expect_line "nothing written beside the programs" "LICENSE.txt NOTICE.txt Quillfen.exe README.txt quillfen.exe" \
    "$(cd "$folder" && LC_ALL=C ls | tr '\n' ' ' | sed 's/ $//')"
}

"check_$kind"
if [[ $failures -eq 0 ]]; then
  echo "$(basename "$package"): all checks passed"
else
  echo "$(basename "$package"): $failures checks FAILED"
  exit 1
fi
