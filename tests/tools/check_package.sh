#!/usr/bin/env bash
# Builds the Debian package and checks it as a user's machine would see it:
# unpacked, its verimo-cli runs and exports the sample; lintian finds no
# error; the desktop entry validates; the manual pages render.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/verimo-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

deb=$("$root/tools/package.sh" "$work/deb")
[[ -f "$deb" ]] || { echo "no package was built" >&2; exit 1; }
echo "package: $(basename "$deb")"

dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/verimo-cli" --version
"$work/root/usr/bin/verimo-cli" export --quiet "$root/samples/MUSTERI.DB" "$work/musteri.csv"
[[ $(wc -l < "$work/musteri.csv") -gt 200 ]] || { echo "the installed program exported too little" >&2; exit 1; }
for path in usr/bin/verimo usr/share/applications/verimo.desktop usr/share/mime/packages/verimo-paradox.xml \
            usr/share/icons/hicolor/scalable/apps/verimo.svg usr/share/bash-completion/completions/verimo-cli \
            usr/share/doc/verimo/copyright; do
  [[ -e "$work/root/$path" ]] || { echo "missing from the package: /$path" >&2; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q 'libicu' || { echo "the package does not depend on ICU" >&2; exit 1; }
for font in fonts-liberation2 fonts-crosextra-carlito fonts-dejavu-core; do
  dpkg-deb -f "$deb" Depends | grep -q "$font" || { echo "the package does not depend on $font" >&2; exit 1; }
done

desktop-file-validate "$work/root/usr/share/applications/verimo.desktop"
xmllint --noout "$work/root/usr/share/mime/packages/verimo-paradox.xml"
for page in verimo-cli verimo; do
  MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man1/$page.1.gz" 2>"$work/man.err" | grep -q "^NAME" ||
    { echo "man page $page does not render" >&2; exit 1; }
  [[ ! -s "$work/man.err" ]] || { echo "man page $page:" >&2; cat "$work/man.err" >&2; exit 1; }
done

lintian --tag-display-limit 0 --fail-on error "$deb" | tee "$work/lintian.txt"
echo "package checks passed"
