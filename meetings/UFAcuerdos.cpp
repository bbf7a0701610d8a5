#include "UFAcuerdos.h"
#include "FIBError.h"
#include "FIBTransaction.h"
#include "UAplicacion.h"
#include "UFormatos.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

TFAcuerdos::TFAcuerdos(TFIBDatabase& db, TFIBTransaction& tr, QWidget* parent)
    : QWidget(parent), tr_(tr), acuerdos_(db, tr)
{
    auto* rejilla = new QGridLayout(this);
    rejilla->setContentsMargins(4, 4, 4, 4);
    CbLlamada = new QComboBox(this);
    CbLlamada->addItems({QStringLiteral("Sin indicar"), QStringLiteral("Primera convocatoria"),
                         QStringLiteral("Segunda convocatoria")});
    LQuorum = new QLabel(this);
    auto fecha = [this](const char* nombre) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(nombre));
        e->setPlaceholderText(QStringLiteral("dd/mm/aaaa"));
        e->setMaximumWidth(e->fontMetrics().averageCharWidth() * 14);
        return e;
    };
    ENotificada = fecha("ENotificada");
    CbMayoria = new QComboBox(this);
    for (int m = 0; m <= static_cast<int>(TMayoria::Unanimidad); ++m)
        CbMayoria->addItem(NombreMayoria(static_cast<TMayoria>(m)));
    LResultado = new QLabel(this);
    LCifras = new QLabel(this);
    ChVotaDeudor = new QCheckBox(QStringLiteral("Deudor que vota (pagó o impugnó la deuda)"), this);
    ChOpone = new QCheckBox(QStringLiteral("Ausente que se opone al acuerdo, el"), this);
    EFechaOposicion = fecha("EFechaOposicion");
    auto* lLlamada = new QLabel(QStringLiteral("&Celebrada en"), this);
    lLlamada->setBuddy(CbLlamada);
    auto* lMayoria = new QLabel(QStringLiteral("&Mayoría"), this);
    lMayoria->setBuddy(CbMayoria);
    auto* lNotificada = new QLabel(QStringLiteral("Acta &notificada el"), this);
    lNotificada->setBuddy(ENotificada);
    auto* llamada = new QHBoxLayout;
    llamada->addWidget(LQuorum, 1);
    llamada->addWidget(lNotificada);
    llamada->addWidget(ENotificada);
    auto* oposicion = new QHBoxLayout;
    oposicion->addWidget(ChOpone);
    oposicion->addWidget(EFechaOposicion);
    oposicion->addStretch(1);
    rejilla->addWidget(lLlamada, 0, 0);
    rejilla->addWidget(CbLlamada, 0, 1);
    rejilla->addLayout(llamada, 0, 2);
    rejilla->addWidget(lMayoria, 1, 0);
    rejilla->addWidget(CbMayoria, 1, 1);
    rejilla->addWidget(LResultado, 1, 2);
    rejilla->addWidget(LCifras, 2, 1, 1, 2);
    rejilla->addWidget(ChVotaDeudor, 3, 1);
    rejilla->addLayout(oposicion, 3, 2);
    rejilla->setColumnStretch(2, 1);

    connect(CbLlamada, &QComboBox::activated, this, [this](int i) {
        if (i > 0)
            Graba([&] { acuerdos_.SetLlamada(static_cast<TLlamada>(i)); });
        else
            Refresca(); // once said, the call is not taken back to "not said"
    });
    connect(ENotificada, &QLineEdit::editingFinished, this, [this] {
        if (!refrescando_ && ENotificada->isModified())
            Graba([&] { acuerdos_.SetNotificada(Fecha(ENotificada)); });
    });
    connect(CbMayoria, &QComboBox::activated, this,
            [this](int i) { Graba([&] { acuerdos_.SetMayoria(punto_, static_cast<TMayoria>(i)); }); });
    connect(ChVotaDeudor, &QCheckBox::toggled, this, [this](bool valor) {
        if (!refrescando_)
            Graba([&] { acuerdos_.SetRehabilitado(propietario_, valor); });
    });
    connect(ChOpone, &QCheckBox::toggled, this, [this](bool valor) {
        if (!refrescando_)
            Graba([&] { acuerdos_.SetOposicion(propietario_, punto_, valor, Fecha(EFechaOposicion)); });
    });
    // Another day for an objection already recorded is written at once.
    connect(EFechaOposicion, &QLineEdit::editingFinished, this, [this] {
        if (!refrescando_ && EFechaOposicion->isModified() && ChOpone->isChecked())
            Graba([&] { acuerdos_.SetOposicion(propietario_, punto_, true, Fecha(EFechaOposicion)); });
    });
}

QDate TFAcuerdos::Fecha(const QLineEdit* caja)
{
    const QString texto = caja->text().trimmed();
    if (texto.isEmpty())
        return {};
    try {
        return TextoAFecha(texto);
    } catch (const std::exception&) {
        throw EAviso(QStringLiteral("«%1» no es una fecha (dd/mm/aaaa).").arg(texto));
    }
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

void TFAcuerdos::MuestraAgenda(const QStringList& textosPuntos)
{
    textosPuntos_ = textosPuntos;
    Refresca();
}

void TFAcuerdos::VotosCambiados()
{
    acuerdos_.LeeVotos();
    Refresca();
}

void TFAcuerdos::Graba(const std::function<void()>& cambio)
{
    // Nothing to record before a convocation is shown.
    if (acuerdos_.Convocatoria() == 0) {
        Refresca();
        return;
    }
    // A refusal or an error leaves what the database holds on screen and
    // shows why; nothing is half written.
    const bool hecho = SinErrores([&] {
        cambio();
        tr_.CommitRetaining();
    });
    if (!hecho)
        SinErrores([&] { acuerdos_.Lee(acuerdos_.Comunidad(), acuerdos_.Convocatoria()); });
    Refresca();
    if (hecho)
        emit Cambiado();
}

void TFAcuerdos::Refresca()
{
    refrescando_ = true;
    const TLlamada llamada = acuerdos_.Llamada();
    CbLlamada->setCurrentIndex(static_cast<int>(llamada));
    const TCenso censo = acuerdos_.Censo();
    const bool quorum = HayQuorum(censo);
    LQuorum->setText(QStringLiteral("Quórum de primera convocatoria: %1 (%2 de %3 propietarios, %4 de %5)")
                         .arg(quorum ? QStringLiteral("sí") : QStringLiteral("no"))
                         .arg(censo.Presentes)
                         .arg(censo.Propietarios)
                         .arg(FormatoCoeficiente(censo.CoeficientesPresentes), FormatoCoeficiente(censo.Coeficientes)));
    const QDate notificada = acuerdos_.Notificada();
    ENotificada->setText(notificada.isValid() ? FormatoFecha(notificada) : QString());
    ENotificada->setModified(false);
    const TMayoria m = acuerdos_.Mayoria(punto_);
    CbMayoria->setCurrentIndex(static_cast<int>(m));
    // A point the agenda does not hold has nothing to decide.
    const bool conTexto = textosPuntos_.isEmpty() || !textosPuntos_.value(punto_ - 1).trimmed().isEmpty();
    if (conTexto) {
        const TResultado r = acuerdos_.Resultado(punto_);
        LResultado->setText(QStringLiteral("Punto %1: %2").arg(punto_).arg(TextoEstado(r)));
        LResultado->setStyleSheet(r.Estado == TEstadoAcuerdo::Aprobado
                                      ? QStringLiteral("color: #006000; font-weight: bold;")
                                  : r.Estado == TEstadoAcuerdo::AprobadoProvisional
                                      ? QStringLiteral("color: #805000; font-weight: bold;")
                                      : QStringLiteral("color: #b00000; font-weight: bold;"));
        LCifras->setText(TextoCifras(r));
    } else {
        LResultado->setText(QStringLiteral("Punto %1: sin texto en el orden del día").arg(punto_));
        LResultado->setStyleSheet(QString());
        LCifras->clear();
    }
    const bool deudor = acuerdos_.Deudor(propietario_);
    ChVotaDeudor->setEnabled(deudor);
    ChVotaDeudor->setChecked(deudor && acuerdos_.Rehabilitado(propietario_));
    const TFilaVoto* fila = acuerdos_.Fila(propietario_);
    const bool ausente = fila && !fila->Presente;
    // Objections matter where absent owners count in favour.
    const bool presumidos = m != TMayoria::UnTercio && !(m == TMayoria::Simple && llamada == TLlamada::Segunda);
    ChOpone->setEnabled(ausente && presumidos && conTexto);
    const QDate oposicion = acuerdos_.FechaOposicion(propietario_, punto_);
    ChOpone->setChecked(oposicion.isValid());
    EFechaOposicion->setEnabled(ChOpone->isEnabled());
    EFechaOposicion->setText(FormatoFecha(oposicion.isValid() ? oposicion : QDate::currentDate()));
    EFechaOposicion->setModified(false);
    refrescando_ = false;
}
