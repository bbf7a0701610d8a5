#pragma once
// The law on the vote tab: the call the meeting was held in and whether the
// first call has its quorum, the day the minutes were notified, the majority
// the point on screen needs and whether it is carried, with the figures that
// decide it; for the owner on screen, a debtor the meeting lets vote and an
// absent owner's objection with its day. Every choice is written at once and
// committed (retaining).
#include "UAcuerdos.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class TFAcuerdos : public QWidget {
    Q_OBJECT
public:
    TFAcuerdos(TFIBDatabase& db, TFIBTransaction& tr, QWidget* parent = nullptr);

    // Reads a convocation whole; then the point and owner on screen.
    void MuestraConvocatoria(int comunidad, int convocatoria);
    void MuestraPunto(int punto);
    void MuestraPropietario(int propietario);
    // The texts of the agenda's points 1 to 10 as on screen: a point
    // without text gets no verdict.
    void MuestraAgenda(const QStringList& textosPuntos);
    // Attendance or votes changed: the rows are read again.
    void VotosCambiados();

    const TAcuerdos& Acuerdos() const { return acuerdos_; }
    int Punto() const { return punto_; }

    QComboBox* CbLlamada;
    QLabel* LQuorum;
    QLineEdit* ENotificada; // "dd/mm/aaaa", empty while not notified
    QComboBox* CbMayoria;
    QLabel* LResultado;
    QLabel* LCifras;
    QCheckBox* ChVotaDeudor;
    QCheckBox* ChOpone;
    QLineEdit* EFechaOposicion; // the objection's day; today for a new one

signals:
    // A result may have changed (the call, a majority, a debtor, an objection).
    void Cambiado();

private:
    void Refresca();
    void Graba(const std::function<void()>& cambio);
    // The day typed in a date box: nothing when empty; refused (EAviso) when
    // it is no date.
    static QDate Fecha(const QLineEdit* caja);

    TFIBTransaction& tr_;
    TAcuerdos acuerdos_;
    QStringList textosPuntos_;
    int punto_ = 1;
    int propietario_ = 0;
    bool refrescando_ = false;
};
