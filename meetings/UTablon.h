#pragma once
// The copy of a letter or minutes for the notice board: every owner's and
// representative's name gives way to the designation of the properties they
// stand for ("Finca 3ºB"), so that nobody's debts or votes are posted under
// their name. The copy is made from the stored document and never stored.
#include <QByteArray>
#include <QList>
#include <QString>

class TFIBDatabase;
class TFIBTransaction;

struct TSustitucion {
    QString Nombre;
    QString Designacion;
};

// The names a convocation's documents may hold: the community's owners (not
// the reserved owner 0) and the names on its vote rows that are not their
// owner's (representatives), each with its designation.
QList<TSustitucion> NombresDeLaJunta(TFIBDatabase& db, TFIBTransaction& tr, int comunidad, int convocatoria);

// The document with every name replaced, in any letter case, as a whole word;
// a name cut short by a list's column (at least 12 characters of it, up to a
// word's end) is replaced too. Longer names go first, so that a name inside
// another one never leaves part of the longer one behind.
QByteArray CopiaParaTablon(const QByteArray& rtf, QList<TSustitucion> nombres);
