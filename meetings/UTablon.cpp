#include "UTablon.h"
#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QHash>
#include <QMap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {

// A cut name still names somebody from this many characters on.
constexpr int kPrefijoMinimo = 12;
// Candidates are looked up by their first characters.
constexpr int kClave = 3;

QString Mayusculas(const QString& s)
{
    QString r = s;
    for (QChar& c : r)
        c = c.toUpper();
    return r;
}

bool Palabra(QChar c) { return c.isLetterOrNumber(); }

QString Designacion(const QStringList& fincas, int propietario)
{
    if (fincas.isEmpty())
        return QStringLiteral("Propietario %1").arg(propietario);
    return (fincas.size() == 1 ? QStringLiteral("Finca ") : QStringLiteral("Fincas ")) + fincas.join(QStringLiteral(", "));
}

struct TCoincidencia {
    int Inicio;
    int Largo;
    QString Texto;
};

} // namespace

QList<TSustitucion> NombresDeLaJunta(TFIBDatabase& db, TFIBTransaction& tr, int comunidad, int convocatoria)
{
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    QMap<int, QStringList> fincas;
    q.SetSQL(QStringLiteral("SELECT PROPIETARIO, NOMBRE FROM EMP_FINCAS WHERE COMUNIDAD = ?COMUNIDAD AND ACTIVO = 1 "
                            "ORDER BY PROPIETARIO, NOMBRE"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    for (q.ExecQuery(); !q.Eof(); q.Next())
        fincas[static_cast<int>(q.Fields(0)->AsInteger())] << q.Fields(1)->AsString().trimmed();
    q.Close();

    QList<TSustitucion> nombres;
    QHash<int, QString> propios;
    q.SetSQL(QStringLiteral("SELECT CODIGO, NOMBRE FROM EMP_PROPIETARIO WHERE COMUNIDAD = ?COMUNIDAD AND CODIGO <> 0"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    for (q.ExecQuery(); !q.Eof(); q.Next()) {
        const int codigo = static_cast<int>(q.Fields(0)->AsInteger());
        const QString nombre = q.Fields(1)->AsString().trimmed();
        propios.insert(codigo, nombre);
        nombres << TSustitucion{nombre, Designacion(fincas.value(codigo), codigo)};
    }
    q.Close();

    // A vote row carries who attends: the owner, or his representative; an
    // owner deleted since keeps his name there.
    q.SetSQL(QStringLiteral("SELECT PROPIETARIO, NOMBRE FROM VOTACIONES WHERE COMUNIDAD = ?COMUNIDAD "
                            "AND CONVOCATORIA = ?CONVOCATORIA AND PROPIETARIO <> 0"));
    q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    q.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(convocatoria);
    for (q.ExecQuery(); !q.Eof(); q.Next()) {
        const int codigo = static_cast<int>(q.Fields(0)->AsInteger());
        const QString nombre = q.Fields(1)->AsString().trimmed();
        if (nombre.isEmpty() || Mayusculas(nombre) == Mayusculas(propios.value(codigo)))
            continue;
        const QString finca = Designacion(fincas.value(codigo), codigo);
        nombres << TSustitucion{nombre, propios.contains(codigo) ? QStringLiteral("Representante de ") + finca : finca};
    }
    q.Close();
    return nombres;
}

QByteArray CopiaParaTablon(const QByteArray& rtf, QList<TSustitucion> nombres)
{
    nombres.erase(std::remove_if(nombres.begin(), nombres.end(),
                                 [](const TSustitucion& s) { return s.Nombre.trimmed().isEmpty(); }),
                  nombres.end());
    std::stable_sort(nombres.begin(), nombres.end(),
                     [](const TSustitucion& a, const TSustitucion& b) { return a.Nombre.size() > b.Nombre.size(); });
    QList<QString> mayusculas;
    QHash<QString, QList<int>> candidatos;
    for (int i = 0; i < nombres.size(); ++i) {
        mayusculas << Mayusculas(nombres[i].Nombre.trimmed());
        candidatos[mayusculas[i].left(kClave)] << i;
    }

    QTextDocument doc;
    Rtf::read(rtf, doc);
    // Whole names first, through the document; then what is left of names a
    // column cut short.
    for (const bool cortados : {false, true}) {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            const QString texto = Mayusculas(b.text());
            QList<TCoincidencia> coincidencias;
            int p = 0;
            while (p < texto.size()) {
                if (!Palabra(texto[p]) || (p > 0 && Palabra(texto[p - 1]))) {
                    ++p;
                    continue;
                }
                int largo = 0;
                for (const int i : candidatos.value(texto.mid(p, kClave))) {
                    const QString& n = mayusculas[i];
                    int comun = 0;
                    while (comun < n.size() && p + comun < texto.size() && texto[p + comun] == n[comun])
                        ++comun;
                    const bool acaba = p + comun >= texto.size() || !Palabra(texto[p + comun]);
                    const bool entero = comun == n.size() && acaba;
                    const bool cortado = cortados && comun >= kPrefijoMinimo && acaba && comun < n.size();
                    if (entero || cortado) {
                        coincidencias << TCoincidencia{p, comun, nombres[i].Designacion};
                        largo = comun;
                        break;
                    }
                }
                p += largo > 0 ? largo : 1;
            }
            for (auto c = coincidencias.crbegin(); c != coincidencias.crend(); ++c) {
                QTextCursor cursor(&doc);
                cursor.setPosition(b.position() + c->Inicio);
                cursor.setPosition(b.position() + c->Inicio + c->Largo, QTextCursor::KeepAnchor);
                cursor.insertText(c->Texto);
            }
        }
    }
    return Rtf::write(doc);
}
