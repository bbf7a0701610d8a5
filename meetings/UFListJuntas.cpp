#include "UFListJuntas.h"
#include "UAplicacion.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"
#include "UListados.h"
#include "UOrdenes.h"
#include "USalida.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kListadoJuntas = 9000;
} // namespace

TFListJuntas::TFListJuntas(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FListJuntas"));
    setWindowTitle(QStringLiteral("Listado de juntas"));
    auto* capas = new QVBoxLayout(this);
    auto* campos = new QFormLayout;
    EdConvoca = new TFIBHYGEditFind;
    EdConvoca->setObjectName(QStringLiteral("EdConvoca"));
    EdConvoca->Base_de_datos = &DMMain->DataBase;
    EdConvoca->Tabla_a_buscar = QStringLiteral("CONVOCATORIAS");
    EdConvoca->CampoNum = QStringLiteral("CODIGO");
    EdConvoca->CampoStr = QStringLiteral("DES");
    EdConvoca->CondicionBusqueda = QStringLiteral("Comunidad=") + QString::number(Entorno.Comunidad);
    // The search list holds the whole key of a convocation (its community
    // too), which the list needs to read its rows; the date helps to choose.
    EdConvoca->Campos_Desplegar = {QStringLiteral("CODIGO"), QStringLiteral("DES"), QStringLiteral("FECHA"),
                                   QStringLiteral("COMUNIDAD")};
    EdConvoca->AutoCambiarFoco = false;
    EdConvoca->ReemplazarCaracter = true;
    EdConvoca->SalirSiVacio = true;
    EdConvoca->setMaximumWidth(EdConvoca->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    campos->addRow(QStringLiteral("Convocatoria"), EdConvoca);
    CbOrden = new QComboBox;
    CbOrden->setObjectName(QStringLiteral("CbOrden"));
    CbOrden->addItems({QStringLiteral("Finca"), QStringLiteral("Propietario")});
    CbOrden->setCurrentIndex(0);
    campos->addRow(QStringLiteral("Ordenador"), CbOrden);
    capas->addLayout(campos);

    auto* botones = new QHBoxLayout;
    auto boton = [&](QPushButton*& b, const char* nombre, const QString& texto, const char* pista) {
        b = new QPushButton(texto);
        b->setObjectName(QLatin1String(nombre));
        if (*pista)
            b->setToolTip(QLatin1String(pista));
        b->setAutoDefault(false);
        botones->addWidget(b);
    };
    boton(BtAceptar, "BtAceptar", QStringLiteral("&Aceptar"), "");
    botones->addStretch(1);
    boton(BtWord, "BtWord", QString(), "Formato Word");
    boton(BtExcel, "BtExcel", QString(), "Formato Excel");
    boton(BtPdf, "BtPdf", QString(), "Formato Acrobat Reader");
    boton(BtHtml, "BtHtml", QString(), "Formato Internet Explorer");
    capas->addLayout(botones);
    IconosBotones(this);

    const std::pair<QPushButton*, const char*> destinos[] = {
        {BtAceptar, ""}, {BtWord, "WORD"}, {BtExcel, "EXCEL"}, {BtPdf, "PDF"}, {BtHtml, "HTML"}};
    for (const auto& [b, destino] : destinos) {
        const QString d = QLatin1String(destino);
        connect(b, &QPushButton::clicked, this, [this, d] { SinErrores([this, d] { Ejecuta(d); }); });
    }
    EdConvoca->setFocus();
    CentraEnPantalla(this);
}

QStringList TFListJuntas::Lineas() const
{
    const QString n = QStringLiteral("N");
    return {LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("COMUNIDAD"), n, QString::number(Entorno.Comunidad)),
            LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("CONVOCATORIA"), n, EdConvoca->text()),
            LineaCondicion(QStringLiteral("IGUAL"), QStringLiteral("ASISTENCIA"), n, QStringLiteral("1")),
            LineaCondicion(QStringLiteral("ORDEN"),
                           CbOrden->currentIndex() == 1 ? QStringLiteral("PROPIETARIO") : QStringLiteral("FINCA"),
                           QStringLiteral("C"), QString())};
}

void TFListJuntas::Ejecuta(const QString& destino)
{
    ListadoPredefinido(kListadoJuntas, Lineas(), destino);
    AbreExportado(destino);
}

void TFListJuntas::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F2 && e->modifiers() == Qt::NoModifier && QApplication::focusWidget() == EdConvoca) {
        TeclaBusqueda(EdConvoca, Qt::Key_F2);
        return;
    }
    QDialog::keyPressEvent(e);
}

void RegistraOrdenesListJuntas()
{
    RegistraOrden({.Id = QStringLiteral("ListadoJuntas"), .Menu = TMenuOrden::Gestion, .Posicion = 20,
                   .Titulo = QStringLiteral("Listado de juntas"), .Abre = [](QAction*) {
                       TFListJuntas ventana(QApplication::activeWindow());
                       ventana.exec();
                   }});
}
