#include "UFPideListado.h"
#include "UAplicacion.h"
#include "UFIBDBEditfind.h"
#include "UFIBEditFind.h"
#include "UListados.h"
#include "USalida.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

TFPideListado::TFPideListado(int listado, QWidget* parent) : QDialog(parent), listado_(listado) {}

void TFPideListado::AnadeBotones(QBoxLayout* capas)
{
    auto* fila = new QHBoxLayout;
    auto boton = [&](QPushButton*& bt, const char* nombre, const QString& texto, const char* pista, const char* destino) {
        bt = new QPushButton(texto, this);
        bt->setObjectName(QLatin1String(nombre));
        if (*pista)
            bt->setToolTip(QLatin1String(pista));
        bt->setAutoDefault(false);
        fila->addWidget(bt);
        const QString d = QLatin1String(destino);
        connect(bt, &QPushButton::clicked, this, [this, d] { SinErrores([&] { Ejecuta(d); }); });
    };
    boton(BtAceptar, "BtAceptar", QStringLiteral("&Aceptar"), "", "");
    fila->addStretch(1);
    boton(BtWord, "BtWord", QString(), "Formato Word", "WORD");
    boton(BtExcel, "BtExcel", QString(), "Formato Excel", "EXCEL");
    boton(BtPdf, "BtPdf", QString(), "Formato Acrobat Reader", "PDF");
    boton(BtHtml, "BtHtml", QString(), "Formato Internet Explorer", "HTML");
    capas->addLayout(fila);
    IconosBotones(this);
}

void TFPideListado::Ejecuta(const QString& destino)
{
    ListadoPredefinido(listado_, Lineas(), destino);
    AbreExportado(destino);
}

void TFPideListado::keyPressEvent(QKeyEvent* e)
{
    if (Busqueda && e->key() == Qt::Key_F2 && e->modifiers() == Qt::NoModifier &&
        QApplication::focusWidget() == Busqueda) {
        TeclaBusqueda(Busqueda, Qt::Key_F2);
        return;
    }
    QDialog::keyPressEvent(e);
}
