#pragma once
// What the law asks of one convocation's decisions, as the database keeps it:
// the majority each agenda point needs, the call the meeting was held in, the
// day its minutes were notified, the debtors whom the meeting let vote and the
// absent owners' objections, with the vote rows they apply to. The vote tab, the minutes' "[Resultados]" and
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
#include <optional>

class TFIBDatabase;
class TFIBTransaction;

inline constexpr int PuntosConvocatoria = 10;

// How an owner attends (VOTACIONES.MODO); quorum and majorities count every
// way alike. A represented owner's vote row carries the representative's name.
enum class TModoAsistencia { EnPersona = 0, Representado = 1, Telematico = 2 };
// "En persona", "Representado", "Telemático".
QString NombreModo(TModoAsistencia modo);
// The way stored as a number; anything unknown is in person.
TModoAsistencia ModoDeValor(qint64 valor);
// The way named by its text as NombreModo gives it (case ignored), or by its
// first letter; nothing for any other text.
std::optional<TModoAsistencia> ModoDeTexto(const QString& texto);

// How many owners attended each way.
struct TAsistencia {
    int EnPersona = 0, Representados = 0, Telematicos = 0;
    void Suma(TModoAsistencia modo);
    int Total() const { return EnPersona + Representados + Telematicos; }
};
// "Asistentes: 5 propietarios (3 en persona, 1 representado y 1 por medios telemáticos)".
QString TextoAsistencia(const TAsistencia& a);

// One vote row as it stands: the owner, his coefficients, attendance and how,
// debt and the character typed for each point.
struct TFilaVoto {
    int Propietario = 0;
    double Coeficiente = 0;
    bool Presente = false;
    TModoAsistencia Modo = TModoAsistencia::EnPersona;
    double Saldo = 0; // what he owes; a debtor when above 0
    std::array<QChar, PuntosConvocatoria> Votos{};
};

// The call as the minutes' "[Convocatoria]" states it: "primera convocatoria,
// a las 18:00", "segunda convocatoria, a las 18:30" (without the hour when
// none is written), or that it is not recorded.
QString TextoConvocatoria(TLlamada llamada, const QString& hora1, const QString& hora2);

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
    // The vote row of an owner, or none.
    const TFilaVoto* Fila(int propietario) const;

    // The call; SinIndicar while the user has not said which.
    TLlamada Llamada() const { return llamada_; }
    void SetLlamada(TLlamada llamada);

    // The day the minutes were notified to the owners, from which absent
    // owners have 30 days to object; null while they are not. Not before the
    // meeting (EAviso).
    QDate Notificada() const { return notificada_; }
    void SetNotificada(const QDate& fecha);

    // punto from 1 to 10.
    TMayoria Mayoria(int punto) const { return mayorias_.at(static_cast<std::size_t>(punto - 1)); }
    void SetMayoria(int punto, TMayoria mayoria);

    bool Deudor(int propietario) const;
    // A debtor the meeting let vote.
    bool Rehabilitado(int propietario) const { return rehabilitados_.contains(propietario); }
    void SetRehabilitado(int propietario, bool valor);

    // An absent owner's objection to a point and its day (null when none).
    bool Opone(int propietario, int punto) const { return FechaOposicion(propietario, punto).isValid(); }
    QDate FechaOposicion(int propietario, int punto) const;
    // An objection is refused (EAviso, nothing written) when ErrorOposicion
    // says why.
    void SetOposicion(int propietario, int punto, bool opone, const QDate& fecha = QDate::currentDate());

    // The owners as the rules count them for one point.
    QList<TVotoPropietario> Votos(int punto) const;
    TCenso Censo() const;
    // How many attended each way (the reserved owner 0 aside).
    TAsistencia Asistencia() const;
    TResultado Resultado(int punto, const QDate& hoy = QDate::currentDate()) const;

private:
    void Escribe(const QString& sql, const QList<QPair<QString, qint64>>& parametros);
    void EscribeAcuerdos(const QString& columna, int valor);

    TFIBDatabase& db_;
    TFIBTransaction& tr_;
    int comunidad_ = 0;
    int convocatoria_ = 0;
    QDate fecha_, notificada_;
    TLlamada llamada_ = TLlamada::SinIndicar;
    std::array<TMayoria, PuntosConvocatoria> mayorias_{};
    QList<TFilaVoto> filas_;
    QHash<int, int> indice_; // owner -> position in filas_
    QSet<int> rehabilitados_;
    QHash<qint64, QDate> oposiciones_; // owner * 100 + point -> its day
};

// Records that the minutes of a convocation were notified on `fecha` (sent by
// e-mail or published), unless a day is recorded already: the 30 days run
// from the first notification. True when it was recorded now.
bool AnotaActaNotificada(TFIBDatabase& db, TFIBTransaction& tr, int comunidad, int convocatoria, const QDate& fecha);

// The figures that decide a point, for the vote tab: "A favor: 12 de 16
// propietarios requeridos; 55,12000% de más de 50,00000%".
QString TextoCifras(const TResultado& r);

// The text of "[Resultados]" for the minutes: how many attended each way,
// then for each point with a text (the agenda's point texts, 1 to 10, as the
// convocation's agenda gives them) the text, the majority required, the votes
// and coefficients in favour, against and abstaining, and the outcome; an RTF
// fragment of escaped values.
QByteArray ListaResultados(const TAcuerdos& acuerdos, const QStringList& textosPuntos,
                           const QDate& hoy = QDate::currentDate());

// An ordinary meeting (kind 1) is notified at least six days before it is
// held: the warning when it is not, empty otherwise. `notificada` is the
// notice's day (the convocation's FECHAT, or today while it has none).
QString AvisoPlazo(int tipo, const QDate& notificada, const QDate& fecha);
