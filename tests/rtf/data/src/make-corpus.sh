#!/bin/sh
# Regenerates the LibreOffice-written part of the RTF test corpus (lo-*.rtf in
# the parent folder): documents made here, and lo-reescrito.rtf, which is
# ../qd-escrito.rtf (the writer's output for the tests' sample document) as
# Writer saves it after opening it. Run by hand when the sources or the
# writer's output change; the tests only read the committed .rtf files.
set -eu
cd "$(dirname "$0")"
python3 gen_sources.py
OUT=$(mktemp -d)
PROFILE=$(mktemp -d)
trap 'rm -rf "$OUT" "$PROFILE"' EXIT
LO="soffice -env:UserInstallation=file://$PROFILE --headless"
$LO --convert-to rtf --outdir "$OUT" carta.fodt tabla.fodt imagen.fodt >/dev/null
$LO --infilter="HTML (StarWriter)" --convert-to rtf --outdir "$OUT" notas.html >/dev/null
$LO --infilter="Text (encoded):UTF8,LF,,," --convert-to rtf --outdir "$OUT" texto.txt >/dev/null
for f in carta tabla imagen notas texto; do
  cp "$OUT/$f.rtf" "../lo-$f.rtf"
done
mkdir "$OUT/re"
$LO --convert-to rtf --outdir "$OUT/re" ../qd-escrito.rtf >/dev/null
cp "$OUT/re/qd-escrito.rtf" ../lo-reescrito.rtf
