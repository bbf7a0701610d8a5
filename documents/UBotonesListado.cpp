#include "UBotonesListado.h"
#include "UAplicacion.h"
#include "USalida.h"

#include <QBoxLayout>
#include <QPushButton>

TBotonesListado AnadeBotonesListado(QWidget* pantalla, QBoxLayout* fila,
                                    const std::function<void(const QString& destino)>& ejecuta)
{
    TBotonesListado b;
    auto boton = [&](QPushButton*& bt, const char* nombre, const QString& texto, const char* pista, const char* destino) {
        bt = new QPushButton(texto, pantalla);
        bt->setObjectName(QLatin1String(nombre));
        if (*pista)
            bt->setToolTip(QLatin1String(pista));
        bt->setAutoDefault(false);
        fila->addWidget(bt);
        const QString d = QLatin1String(destino);
        QObject::connect(bt, &QPushButton::clicked, pantalla, [ejecuta, d] { SinErrores([&] { ejecuta(d); }); });
    };
    boton(b.BtAceptar, "BtAceptar", QStringLiteral("&Aceptar"), "", "");
    fila->addStretch(1);
    boton(b.BtWord, "BtWord", QString(), "Formato Word", "WORD");
    boton(b.BtExcel, "BtExcel", QString(), "Formato Excel", "EXCEL");
    boton(b.BtPdf, "BtPdf", QString(), "Formato Acrobat Reader", "PDF");
    boton(b.BtHtml, "BtHtml", QString(), "Formato Internet Explorer", "HTML");
    IconosBotones(pantalla);
    return b;
}
