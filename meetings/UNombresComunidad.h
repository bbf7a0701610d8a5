#pragma once
// The communities' names by code, read once as a screen opens: the name
// shown beside a community code in the meeting screens' lists.
#include "FIBDataSet.h"

#include <QHash>
#include <QString>

class TFIBDatabase;
class TFIBTransaction;

class TNombresComunidad {
public:
    // Reads every community's code and name in the transaction.
    void Lee(TFIBDatabase* base, TFIBTransaction* transaccion);
    // Empty for a code no community has.
    QString Nombre(qint64 codigo) const { return nombres_.value(codigo); }

    // Gives the dataset a calculated text field `campo` holding the name of
    // the community in its column `columna` (the dataset's calculation).
    void AnadeCampoNombre(TFIBDataSet& ds, const QString& campo, const QString& etiqueta,
                          const QString& columna = QStringLiteral("COMUNIDAD")) const;

private:
    QHash<qint64, QString> nombres_;
};
