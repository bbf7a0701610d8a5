#include "UFInicio.h"
#include "UDialogos.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

QPixmap ImagenPrograma(int lado)
{
    QPixmap pm(lado, lado);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double u = lado / 16.0;
    QPainterPath tejado;
    tejado.moveTo(1 * u, 6 * u);
    tejado.lineTo(8 * u, 1 * u);
    tejado.lineTo(15 * u, 6 * u);
    tejado.closeSubpath();
    p.fillPath(tejado, QColor(0xB0, 0x3A, 0x2E));
    p.fillRect(QRectF(2.5 * u, 6 * u, 11 * u, 9 * u), QColor(0xE8, 0xDC, 0xC4));
    p.setPen(QPen(QColor(0x5A, 0x4A, 0x3A), u * 0.3));
    p.drawRect(QRectF(2.5 * u, 6 * u, 11 * u, 9 * u));
    const QColor ventana(0x3C, 0x6E, 0x9E);
    for (int fila = 0; fila < 2; ++fila) {
        for (int col = 0; col < 3; ++col)
            p.fillRect(QRectF((3.6 + col * 3.4) * u, (7.2 + fila * 2.8) * u, 2 * u, 1.8 * u), ventana);
    }
    p.fillRect(QRectF(7 * u, 12.4 * u, 2 * u, 2.6 * u), QColor(0x6B, 0x45, 0x2A));
    return pm;
}

TFInicio::TFInicio(QWidget* parent) : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Cargando QuorumDesk"));
    setObjectName(QStringLiteral("FInicio"));
    auto* imagen = new QLabel;
    imagen->setPixmap(ImagenPrograma(128));
    imagen->setAlignment(Qt::AlignCenter);
    auto* nombre = new QLabel(QStringLiteral("QuorumDesk"));
    QFont grande = nombre->font();
    grande.setPointSize(30);
    grande.setBold(true);
    nombre->setFont(grande);
    nombre->setAlignment(Qt::AlignCenter);
    auto* linea = new QLabel(QStringLiteral("Programa para la gestión de juntas"));
    QFont media = linea->font();
    media.setPointSize(12);
    linea->setFont(media);
    linea->setAlignment(Qt::AlignCenter);
    auto* capa = new QVBoxLayout(this);
    capa->setContentsMargins(40, 24, 40, 24);
    capa->addWidget(imagen);
    capa->addWidget(nombre);
    capa->addWidget(linea);
    setFixedSize(sizeHint().expandedTo(QSize(420, 280)));
}

void TFInicio::Muestra()
{
    CentraEnPantalla(this);
    show();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
