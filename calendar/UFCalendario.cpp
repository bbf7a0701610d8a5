#include "UFCalendario.h"
#include "UAplicacion.h"
#include "UDBDateTimePicker.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFBase.h"
#include "UHYDBGrid.h"
#include "UNavigator.h"
#include "UOrdenes.h"
#include "URecursos.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

TFCalendario::TFCalendario(TLibroCitas libro, QWidget* parent)
    : QDialog(parent), dm_(std::make_unique<TDMCalendario>(libro))
{
    setObjectName(QStringLiteral("FCalendario"));
    setWindowTitle(libro == TLibroCitas::Halvenbook ? QStringLiteral("Calendario en Halvenbook")
                                                    : QStringLiteral("Calendario"));
    auto* capas = new QVBoxLayout(this);
    capas->setContentsMargins(0, 0, 0, 0);
    ToolBar1 = new QToolBar(this);
    DtFecha = new TEditorFecha(QDate::currentDate());
    DtFecha->setObjectName(QStringLiteral("DtFecha"));
    DtFecha->setToolTip(QStringLiteral("ALT+ Bajar flecha muestra calendario"));
    ToolBar1->addWidget(DtFecha);
    ToolBar1->addSeparator();
    HYMNavigator1 = new THYMNavigator;
    HYMNavigator1->setObjectName(QStringLiteral("HYMNavigator1"));
    HYMNavigator1->SetVisibleButtons({TNavigateBtn::nbFirst, TNavigateBtn::nbPrior, TNavigateBtn::nbNext,
                                      TNavigateBtn::nbLast, TNavigateBtn::nbEdit, TNavigateBtn::nbPost,
                                      TNavigateBtn::nbCancel, TNavigateBtn::nbRefresh});
    HYMNavigator1->SetDataSource(dm_->DataSource());
    ToolBar1->addWidget(HYMNavigator1);
    ToolBar1->addSeparator();
    auto* etiqueta = new QLabel(QStringLiteral("Usuario"));
    etiqueta->setContentsMargins(6, 0, 4, 0);
    ToolBar1->addWidget(etiqueta);
    CbUsuario = new QComboBox;
    CbUsuario->setObjectName(QStringLiteral("CbUsuario"));
    CbUsuario->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), CbUsuario->font().pointSize()));
    CbUsuario->addItems(UsuariosCalendario());
    for (int i = 0; i < CbUsuario->count(); ++i)
        if (CodigoDeUsuario(CbUsuario->itemText(i)) == Entorno.Usuario)
            CbUsuario->setCurrentIndex(i);
    ToolBar1->addWidget(CbUsuario);
    capas->addWidget(ToolBar1);

    DBGCalendario = new THYTDBGrid;
    DBGCalendario->setObjectName(QStringLiteral("DBGCalendario"));
    DBGCalendario->SetDataSource(dm_->DataSource());
    DBGCalendario->SetColumnas({QStringLiteral("HORA2"), QStringLiteral("TEXTO")});
    DBGCalendario->SetEditables({QStringLiteral("TEXTO")});
    DBGCalendario->SetCamposAOrdenarImgs(Recursos().ILOrdGrid);
    DBGCalendario->horizontalHeader()->setStretchLastSection(true);
    capas->addWidget(DBGCalendario, 1);
    resize(680, 520);
    CentraEnPantalla(this, false);

    connect(DtFecha, &QDateTimeEdit::dateChanged, this, [this] { SinErrores([this] { MuestraDia(); }); });
    connect(CbUsuario, &QComboBox::currentIndexChanged, this, [this] { SinErrores([this] { MuestraDia(); }); });
    MuestraDia();
}

TFCalendario::~TFCalendario() = default;

void TFCalendario::MuestraDia()
{
    TFIBTableSet& huecos = dm_->QCalendario;
    if (huecos.Active())
        huecos.CheckBrowseMode(); // a slot being typed is saved first
    dm_->MuestraDia(DtFecha->date(), CodigoDeUsuario(CbUsuario->currentText()));
    DBGCalendario->resizeColumnToContents(0);
}

void TFCalendario::reject()
{
    // What is typed in a slot, in its cell or already in the record, is
    // saved, dropped or kept on screen as the user answers.
    if (!SinErrores([this] { DBGCalendario->GuardaEscrito(); }) || !PuedeCerrarse(*HYMNavigator1))
        return;
    QDialog::reject();
}

void AbreCalendario(TLibroCitas libro)
{
    std::unique_ptr<TFCalendario> ventana;
    try {
        ventana = std::make_unique<TFCalendario>(libro, QApplication::activeWindow());
    } catch (const EAviso& e) {
        // Nothing configured or reachable: the screen does not open; the
        // program and its other screens go on.
        Mensaje(e.Message());
        return;
    }
    ventana->exec();
}

void RegistraOrdenesCalendario()
{
    RegistraOrden({.Id = QStringLiteral("Calendario"), .Menu = TMenuOrden::Gestion, .Posicion = 30,
                   .Titulo = QStringLiteral("Calendario"), .Abre = [](QAction*) { AbreCalendario(TLibroCitas::Propio); },
                   .TextoHerramienta = QStringLiteral("Calendario"), .PosicionHerramienta = 5,
                   .Icono = QStyle::SP_FileDialogContentsView});
    RegistraOrden({.Id = QStringLiteral("CalendarioHalvenbook"), .Menu = TMenuOrden::Gestion, .Posicion = 35,
                   .Titulo = QStringLiteral("Calendario en Halvenbook"),
                   .Abre = [](QAction*) { AbreCalendario(TLibroCitas::Halvenbook); }});
}
