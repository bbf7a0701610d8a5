#!/bin/sh
# Makes the RTF label sheet of the tests and of the demo database from its
# source: LibreOffice Writer, headless, saves the table of 3 x 8 labels as
# RTF. Run once; the result is kept in tests/documents/data.
set -e
cd "$(dirname "$0")"
PERFIL=$(mktemp -d)
soffice -env:UserInstallation=file://$PERFIL --headless --convert-to rtf --outdir .. etiquetas-a4-3x8.fodt
rm -rf "$PERFIL"
