#pragma once
// Files that come from outside the program (exchange pairs, formats,
// templates, label sheets, documents back from the word processor) are read
// whole into memory. A name may lead to a folder, a device or a pipe (a link
// to an endless device is read until memory runs out), or to a file far
// larger than any real one: each is refused before anything is read.
#include <QByteArray>
#include <QString>

// The content of `fichero` when it is a regular file (a link is followed to
// what it names) of at most `maximo` bytes. Otherwise EAviso names the file
// and says why; a file that cannot be opened as well.
QByteArray LeeFicheroAcotado(const QString& fichero, qint64 maximo);
