#include "UFGestionHalvenbook.h"
#include "FIBTableDataSet.h"
#include "UAplicacion.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UDialogos.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

TFGestionHalvenbook::TFGestionHalvenbook(TFIBTableSet& ds, TDataSource* fuente, QWidget* parent)
    : QDialog(parent), ds_(ds), fuente_(fuente)
{
    BtAceptar = new QPushButton(QStringLiteral("&Aceptar"));
    BtAceptar->setObjectName(QStringLiteral("BtAceptar"));
    // Enter in a field confirms the field, not the dialog.
    BtAceptar->setAutoDefault(false);
    // A record the database refuses shows its error and the dialog stays,
    // with the record still to be written.
    connect(BtAceptar, &QPushButton::clicked, this, [this] {
        if (SinErrores([this] { ds_.Post(); }))
            accept();
    });
}

TDBEdit* TFGestionHalvenbook::Texto(const QString& nombre, const QString& campo, int caracteres)
{
    auto* e = new TDBEdit;
    e->setObjectName(nombre);
    e->SetDataSource(fuente_);
    e->SetDataField(campo);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(caracteres, u'0')) + 16);
    return e;
}

TDBMemo* TFGestionHalvenbook::Memo(const QString& nombre, const QString& campo)
{
    auto* m = new TDBMemo;
    m->setObjectName(nombre);
    m->SetDataSource(fuente_);
    m->SetDataField(campo);
    return m;
}

TDBEditFind2000* TFGestionHalvenbook::Busqueda(const QString& nombre, const QString& campo, const QString& tabla,
                                               const QString& campoNombre, QHBoxLayout*& fila)
{
    auto* b = new TDBEditFind2000;
    b->setObjectName(nombre);
    b->SetDataSource(fuente_);
    b->SetDataField(campo);
    // The record is the other product's; the codes are the program's.
    b->Base_de_datos = &DMMain->DataBase;
    b->Tabla_a_buscar = tabla;
    b->CampoNum = QStringLiteral("CODIGO");
    b->CampoStr = QStringLiteral("NOMBRE");
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QString(6, u'0')) + 16);
    b->installEventFilter(this);
    busquedas_ << b;
    auto* texto = new TDBText;
    texto->setObjectName(nombre + QStringLiteral("Nombre"));
    texto->SetDataSource(fuente_);
    texto->SetDataField(campoNombre);
    fila = new QHBoxLayout;
    fila->addWidget(b);
    fila->addWidget(texto, 1);
    return b;
}

void TFGestionHalvenbook::Termina(QFormLayout* campos, int ancho, int alto)
{
    auto* capas = new QVBoxLayout(this);
    campos->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    capas->addLayout(campos, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(BtAceptar);
    capas->addLayout(botones);
    resize(ancho, alto);
    CentraEnPantalla(this, false);
}

bool TFGestionHalvenbook::eventFilter(QObject* objeto, QEvent* e)
{
    // F2 opens the search of the lookup being typed in.
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        auto* w = qobject_cast<QWidget*>(objeto);
        if (k->key() == Qt::Key_F2 && k->modifiers() == Qt::NoModifier && w && busquedas_.contains(w)) {
            SinErrores([w] { TeclaBusqueda(w, Qt::Key_F2); });
            return true;
        }
    }
    return QDialog::eventFilter(objeto, e);
}
