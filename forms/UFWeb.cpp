#include "UFWeb.h"
#include "UDMMain.h"
#include "UDialogos.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// The text of an HTML page in the encoding it declares (UTF-8 when none).
QString TextoHtml(const QByteArray& bytes)
{
    QStringDecoder decodifica(QStringConverter::encodingForHtml(bytes).value_or(QStringConverter::Utf8));
    return decodifica(bytes);
}
} // namespace

TFWeb::TFWeb(const QString& destinatarios, QWidget* parent)
    : QDialog(parent), AbreCorreo([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      destinatarios_(destinatarios)
{
    setObjectName(QStringLiteral("FWeb"));
    setWindowTitle(QStringLiteral("Preparando correo ..."));
    setAttribute(Qt::WA_DeleteOnClose);

    WBMain = new QTextBrowser;
    WBMain->setObjectName(QStringLiteral("WBMain"));
    WBMain->setOpenLinks(false);
    LbFin = new QLabel(QStringLiteral("Correo finalizado"));
    LbFin->setObjectName(QStringLiteral("LbFin"));
    QFont negrita = LbFin->font();
    negrita.setBold(true);
    LbFin->setFont(negrita);
    LbFin->hide();
    LbPegar = new QLabel(QStringLiteral("La página está en el portapapeles: péguela en el cuerpo del mensaje (Ctrl+V)."));
    LbPegar->setObjectName(QStringLiteral("LbPegar"));
    LbPegar->hide();
    BtCerrar = new QPushButton(QStringLiteral("Cerrar"));
    BtCerrar->setObjectName(QStringLiteral("BtCerrar"));
    BtCerrar->setDefault(true);
    connect(BtCerrar, &QPushButton::clicked, this, &QDialog::accept);

    auto* pie = new QHBoxLayout;
    pie->addWidget(LbFin);
    pie->addWidget(LbPegar, 1);
    pie->addWidget(BtCerrar);
    auto* capa = new QVBoxLayout(this);
    capa->addWidget(WBMain, 1);
    capa->addLayout(pie);
    resize(760, 560);
    CentraEnPantalla(this);
    BtCerrar->setFocus();

    // The page as it is now: the next export to HTML replaces the file.
    const QString fichero = Entorno.CaminoPrograma + QStringLiteral("/tmp.htm");
    QFile f(fichero);
    if (f.open(QIODevice::ReadOnly)) {
        pagina_ = TextoHtml(f.readAll());
        hayPagina_ = true;
        WBMain->setSource(QUrl::fromLocalFile(fichero), QTextDocument::HtmlResource);
    }

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TFWeb::Timer1Timer);
    Timer1->start();
}

QUrl TFWeb::UrlCorreo(const QString& destinatarios, const QString& asunto)
{
    QByteArrayList direcciones;
    for (const QString& d : destinatarios.split(QLatin1Char(';'))) {
        const QString limpia = d.trimmed();
        if (!limpia.isEmpty())
            direcciones << QUrl::toPercentEncoding(limpia, "@");
    }
    // The owners receive it as blind copies: no one sees the others' addresses.
    const QByteArray copias = direcciones.isEmpty() ? QByteArray() : "bcc=" + direcciones.join(',') + '&';
    return QUrl::fromEncoded("mailto:?" + copias + "subject=" + QUrl::toPercentEncoding(asunto), QUrl::StrictMode);
}

bool TFWeb::event(QEvent* e)
{
    const bool r = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate && !activada_) {
        activada_ = true;
        if (!AbreCorreo(UrlCorreo(destinatarios_, Entorno.NombreComunidad)))
            Mensaje(QStringLiteral("No se puede abrir el programa de correo para el nuevo mensaje."));
    }
    return r;
}

void TFWeb::Timer1Timer()
{
    if (!hayPagina_) {
        Mensaje(QStringLiteral("No se puede leer la página que se envía: %1.")
                    .arg(Entorno.CaminoPrograma + QStringLiteral("/tmp.htm")));
        return;
    }
    auto* datos = new QMimeData;
    datos->setHtml(pagina_);
    datos->setText(WBMain->toPlainText());
    QGuiApplication::clipboard()->setMimeData(datos);
    LbFin->show();
    LbPegar->show();
}
