#include "UFAcuerdos.h"
#include "FIBTransaction.h"
#include "UFormatos.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

TFAcuerdos::TFAcuerdos(TFIBDatabase& db, TFIBTransaction& tr, QWidget* parent)
    : QWidget(parent), tr_(tr), acuerdos_(db, tr)
{
    auto* rejilla = new QGridLayout(this);
    rejilla->setContentsMargins(4, 4, 4, 4);
    CbLlamada = new QComboBox(this);
    CbLlamada->addItems({QStringLiteral("Sin indicar"), QStringLiteral("Primera convocatoria"),
                         QStringLiteral("Segunda convocatoria")});
    LQuorum = new QLabel(this);
    CbMayoria = new QComboBox(this);
    for (int m = 0; m <= static_cast<int>(TMayoria::Unanimidad); ++m)
        CbMayoria->addItem(NombreMayoria(static_cast<TMayoria>(m)));
    LResultado = new QLabel(this);
    LCifras = new QLabel(this);
    ChVotaDeudor = new QCheckBox(QStringLiteral("Deudor que vota (pagó o impugnó la deuda)"), this);
    ChOpone = new QCheckBox(QStringLiteral("Ausente que se opone al acuerdo"), this);
    auto* lLlamada = new QLabel(QStringLiteral("&Celebrada en"), this);
    lLlamada->setBuddy(CbLlamada);
    auto* lMayoria = new QLabel(QStringLiteral("&Mayoría"), this);
    lMayoria->setBuddy(CbMayoria);
    rejilla->addWidget(lLlamada, 0, 0);
    rejilla->addWidget(CbLlamada, 0, 1);
    rejilla->addWidget(LQuorum, 0, 2);
    rejilla->addWidget(lMayoria, 1, 0);
    rejilla->addWidget(CbMayoria, 1, 1);
    rejilla->addWidget(LResultado, 1, 2);
    rejilla->addWidget(LCifras, 2, 1, 1, 2);
    rejilla->addWidget(ChVotaDeudor, 3, 1);
    rejilla->addWidget(ChOpone, 3, 2);
    rejilla->setColumnStretch(2, 1);

    connect(CbLlamada, &QComboBox::activated, this, [this](int i) {
        if (i > 0)
            Graba([&] { acuerdos_.SetLlamada(i == 2 ? TLlamada::Segunda : TLlamada::Primera); });
        else
            Refresca(); // once said, the call is not taken back to "not said"
    });
    connect(CbMayoria, &QComboBox::activated, this,
            [this](int i) { Graba([&] { acuerdos_.SetMayoria(punto_, static_cast<TMayoria>(i)); }); });
    connect(ChVotaDeudor, &QCheckBox::toggled, this, [this](bool valor) {
        if (!refrescando_)
            Graba([&] { acuerdos_.SetRehabilitado(propietario_, valor); });
    });
    connect(ChOpone, &QCheckBox::toggled, this, [this](bool valor) {
        if (!refrescando_)
            Graba([&] { acuerdos_.SetOposicion(propietario_, punto_, valor); });
    });
}

void TFAcuerdos::MuestraConvocatoria(int comunidad, int convocatoria)
{
    acuerdos_.Lee(comunidad, convocatoria);
    Refresca();
}

void TFAcuerdos::MuestraPunto(int punto)
{
    punto_ = std::clamp(punto, 1, PuntosConvocatoria);
    Refresca();
}

void TFAcuerdos::MuestraPropietario(int propietario)
{
    propietario_ = propietario;
    Refresca();
}

void TFAcuerdos::VotosCambiados()
{
    acuerdos_.LeeVotos();
    Refresca();
}

void TFAcuerdos::Graba(const std::function<void()>& cambio)
{
    try {
        cambio();
        tr_.CommitRetaining();
    } catch (...) {
        // What the screen shows stays what the database holds.
        acuerdos_.Lee(acuerdos_.Comunidad(), acuerdos_.Convocatoria());
        Refresca();
        throw;
    }
    Refresca();
    emit Cambiado();
}

void TFAcuerdos::Refresca()
{
    refrescando_ = true;
    CbLlamada->setCurrentIndex(!acuerdos_.LlamadaRegistrada() ? 0 : acuerdos_.Llamada() == TLlamada::Segunda ? 2 : 1);
    const TCenso censo = acuerdos_.Censo();
    const bool quorum = HayQuorum(censo);
    LQuorum->setText(QStringLiteral("Quórum de primera convocatoria: %1 (%2 de %3 propietarios, %4 de %5)")
                         .arg(quorum ? QStringLiteral("sí") : QStringLiteral("no"))
                         .arg(censo.Presentes)
                         .arg(censo.Propietarios)
                         .arg(FormatoCoeficiente(censo.CoeficientesPresentes), FormatoCoeficiente(censo.Coeficientes)));
    CbMayoria->setCurrentIndex(static_cast<int>(acuerdos_.Mayoria(punto_)));
    const TResultado r = acuerdos_.Resultado(punto_);
    LResultado->setText(QStringLiteral("Punto %1: %2").arg(punto_).arg(TextoEstado(r)));
    LResultado->setStyleSheet(r.Estado == TEstadoAcuerdo::Aprobado
                                  ? QStringLiteral("color: #006000; font-weight: bold;")
                              : r.Estado == TEstadoAcuerdo::AprobadoProvisional
                                  ? QStringLiteral("color: #805000; font-weight: bold;")
                                  : QStringLiteral("color: #b00000; font-weight: bold;"));
    LCifras->setText(TextoCifras(r));
    const bool deudor = acuerdos_.Deudor(propietario_);
    ChVotaDeudor->setEnabled(deudor);
    ChVotaDeudor->setChecked(deudor && acuerdos_.Rehabilitado(propietario_));
    bool ausente = false;
    for (const TFilaVoto& f : acuerdos_.Filas())
        if (f.Propietario == propietario_)
            ausente = !f.Presente;
    const TMayoria m = acuerdos_.Mayoria(punto_);
    ChOpone->setEnabled(ausente && m != TMayoria::Simple && m != TMayoria::Doble);
    ChOpone->setChecked(acuerdos_.Opone(propietario_, punto_));
    refrescando_ = false;
}
