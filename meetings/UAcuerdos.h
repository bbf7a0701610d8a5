#pragma once
// What the law asks of one convocation's decisions, as the database keeps it:
// the majority each agenda point needs, the call the meeting was held in, the
// debtors whom the meeting let vote and the absent owners' objections, with
// the vote rows they apply to. The vote tab, the minutes' "[Resultados]" and
// the tests read a convocation through it; every change is written at once in
// the transaction given (the caller commits).
#include "UMayorias.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>

class TFIBDatabase;
class TFIBTransaction;

inline constexpr int PuntosConvocatoria = 10;

// One vote row as it stands: the owner, his coefficients, attendance, debt
// and the character typed for each point.
struct TFilaVoto {
    int Propietario = 0;
    double Coeficiente = 0;
    bool Presente = false;
    double Saldo = 0; // what he owes; a debtor when above 0
    std::array<QChar, PuntosConvocatoria> Votos{};
};

class TAcuerdos {
public:
    TAcuerdos(TFIBDatabase& db, TFIBTransaction& tr) : db_(db), tr_(tr) {}

    // Reads the convocation whole (its vote rows, date and the law's data).
    void Lee(int comunidad, int convocatoria);
    // Reads the vote rows again (after attendance or votes changed).
    void LeeVotos();

    int Comunidad() const { return comunidad_; }
    int Convocatoria() const { return convocatoria_; }
    QDate Fecha() const { return fecha_; }
    const QList<TFilaVoto>& Filas() const { return filas_; }

    // The call; `registrada` false while the user has not said which.
    TLlamada Llamada() const { return llamada_ == 2 ? TLlamada::Segunda : TLlamada::Primera; }
    bool LlamadaRegistrada() const { return llamada_ != 0; }
    void SetLlamada(TLlamada llamada);

    // punto from 1 to 10.
    TMayoria Mayoria(int punto) const { return mayorias_.at(static_cast<std::size_t>(punto - 1)); }
    void SetMayoria(int punto, TMayoria mayoria);

    bool Deudor(int propietario) const;
    // A debtor the meeting let vote.
    bool Rehabilitado(int propietario) const { return rehabilitados_.contains(propietario); }
    void SetRehabilitado(int propietario, bool valor);

    bool Opone(int propietario, int punto) const;
    void SetOposicion(int propietario, int punto, bool opone, const QDate& fecha = QDate::currentDate());

    // The owners as the rules count them for one point.
    QList<TVotoPropietario> Votos(int punto) const;
    TCenso Censo() const;
    TResultado Resultado(int punto, const QDate& hoy = QDate::currentDate()) const;

private:
    void Escribe(const QString& sql, const QList<QPair<QString, qint64>>& parametros);
    void EscribeAcuerdos(const QString& columna, int valor);

    TFIBDatabase& db_;
    TFIBTransaction& tr_;
    int comunidad_ = 0;
    int convocatoria_ = 0;
    QDate fecha_;
    int llamada_ = 0;
    std::array<TMayoria, PuntosConvocatoria> mayorias_{};
    QList<TFilaVoto> filas_;
    QHash<int, int> indice_; // owner -> position in filas_
    QSet<int> rehabilitados_;
    QSet<qint64> oposiciones_; // owner * 100 + point
};

// The figures that decide a point, for the vote tab: "A favor: 12 de 16
// propietarios requeridos; 55,12000% de más de 50,00000%".
QString TextoCifras(const TResultado& r);

// The text of "[Resultados]" for the minutes: for each point with a text (the
// agenda's point texts, 1 to 10, as the convocation's agenda gives them) the
// text, the majority required, the votes and coefficients in favour, against
// and abstaining, and the outcome; an RTF fragment of escaped values.
QByteArray ListaResultados(const TAcuerdos& acuerdos, const QStringList& textosPuntos,
                           const QDate& hoy = QDate::currentDate());

// An ordinary meeting (kind 1) is notified at least six days before it is
// held: the warning when it is not, empty otherwise. `notificada` is the
// notice's day (the convocation's FECHAT, or today while it has none).
QString AvisoPlazo(int tipo, const QDate& notificada, const QDate& fecha);
