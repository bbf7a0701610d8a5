#include "UFListCitas.h"
#include "UAplicacion.h"
#include "UDBDateTimePicker.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"
#include "UListados.h"
#include "UOrdenes.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int kListadoCitas = 9009;
} // namespace

TFListCitas::TFListCitas(QWidget* parent) : TFPideListado(kListadoCitas, parent)
{
    setObjectName(QStringLiteral("FListCitas"));
    setWindowTitle(QStringLiteral("Listado citas"));
    auto* capas = new QVBoxLayout(this);
    auto* campos = new QFormLayout;
    DDesde = new TEditorFecha(QDate::currentDate());
    DDesde->setObjectName(QStringLiteral("DDesde"));
    DHasta = new TEditorFecha(QDate::currentDate().addDays(15));
    DHasta->setObjectName(QStringLiteral("DHasta"));
    campos->addRow(QStringLiteral("Desde fecha"), DDesde);
    campos->addRow(QStringLiteral("Hasta fecha"), DHasta);
    EdUsuario = new TFIBHYGEditFind;
    EdUsuario->setObjectName(QStringLiteral("EdUsuario"));
    EdUsuario->Base_de_datos = &DMMain->DataBase;
    EdUsuario->Tabla_a_buscar = QStringLiteral("SYS_USUARIO");
    EdUsuario->CampoNum = QStringLiteral("CODIGO");
    EdUsuario->CampoStr = QStringLiteral("NOMBRE");
    EdUsuario->Campos_Desplegar = {QStringLiteral("CODIGO"), QStringLiteral("NOMBRE")};
    EdUsuario->AutoCambiarFoco = false;
    EdUsuario->SalirSiVacio = true;
    EdUsuario->setMaximumWidth(EdUsuario->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    EdUsuario->setText(QString::number(Entorno.Usuario));
    LUsuario = new QLabel;
    LUsuario->setObjectName(QStringLiteral("LUsuario"));
    auto* usuario = new QHBoxLayout;
    usuario->addWidget(EdUsuario);
    usuario->addWidget(LUsuario, 1);
    campos->addRow(QStringLiteral("Usuario"), usuario);
    capas->addLayout(campos);
    connect(EdUsuario, &QLineEdit::textChanged, this, [this] { MuestraNombre(); });
    MuestraNombre();

    AnadeBotones(capas);
    Busqueda = EdUsuario;
    DDesde->setFocus();
    CentraEnPantalla(this);
}

void TFListCitas::MuestraNombre()
{
    SinErrores([this] { LUsuario->setText(DMMain->NombreUsuario(EdUsuario->text().trimmed(), DMMain->QGen)); });
}

QStringList TFListCitas::Lineas() const
{
    const QString f = QStringLiteral("F");
    QStringList l{LineaCondicion(QStringLiteral(">="), QStringLiteral("FECHA"), f, DDesde->date().toString(QStringLiteral("dd/MM/yyyy"))),
                  LineaCondicion(QStringLiteral("<="), QStringLiteral("FECHA"), f, DHasta->date().toString(QStringLiteral("dd/MM/yyyy")))};
    if (!EdUsuario->text().trimmed().isEmpty())
        l << LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("USUARIO"), QStringLiteral("N"), EdUsuario->text().trimmed());
    l << LineaCondicion(QStringLiteral("DISTI"), QStringLiteral("TEXTO"), QStringLiteral("C"), QStringLiteral("\"\""));
    return l;
}

void RegistraOrdenesListCitas()
{
    RegistraOrden({.Id = QStringLiteral("ListadoCitas"), .Menu = TMenuOrden::Gestion, .Posicion = 40,
                   .Titulo = QStringLiteral("Listado citas"), .Abre = [](QAction*) {
                       TFListCitas ventana(QApplication::activeWindow());
                       ventana.exec();
                   }});
}
