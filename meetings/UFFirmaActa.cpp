#include "UFFirmaActa.h"
#include "FIBError.h"
#include "UActaFirmada.h"
#include "UDialogos.h"
#include "UPublica.h"
#include "USalida.h"
#include "WaitCursor.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace {

// Runs `f`; a refusal is shown as the program's warning and gives false.
template <typename F>
bool SinAviso(F&& f)
{
    try {
        f();
        return true;
    } catch (const EAviso& e) {
        Mensaje(e.Message());
        return false;
    }
}

QDialogButtonBox* Botones(QDialog* d, const QString& aceptar)
{
    auto* b = new QDialogButtonBox;
    b->addButton(aceptar, QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("BtAceptar"));
    b->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("BtCancelar"));
    QObject::connect(b, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(b, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return b;
}

} // namespace

TFFirmaActa::TFFirmaActa(QWidget* padre) : QDialog(padre)
{
    setObjectName(QStringLiteral("FFirmaActa"));
    setWindowTitle(QStringLiteral("Firmar acta"));
    auto* l = new QVBoxLayout(this);
    auto* etiqueta = new QLabel(QStringLiteral("&Certificado con el que firmar:"));
    LCertificados = new QListWidget;
    LCertificados->setObjectName(QStringLiteral("LCertificados"));
    LCertificados->setMinimumWidth(LCertificados->fontMetrics().averageCharWidth() * 60);
    etiqueta->setBuddy(LCertificados);
    l->addWidget(etiqueta);
    l->addWidget(LCertificados, 1);
    auto* fila = new QHBoxLayout;
    auto* importa = new QPushButton(QStringLiteral("&Importar fichero .p12 / .pfx..."));
    importa->setObjectName(QStringLiteral("BtImportar"));
    importa->setToolTip(QStringLiteral("Añade al programa un certificado exportado del navegador"));
    auto* ajustes = new QPushButton(QStringLiteral("C&onfiguración..."));
    ajustes->setObjectName(QStringLiteral("BtConfiguracion"));
    ajustes->setToolTip(QStringLiteral("Almacén de certificados, texto y posición del sello de la firma"));
    fila->addWidget(importa);
    fila->addWidget(ajustes);
    fila->addStretch(1);
    l->addLayout(fila);
    auto* formulario = new QFormLayout;
    EClave = new QLineEdit;
    EClave->setObjectName(QStringLiteral("EClave"));
    EClave->setEchoMode(QLineEdit::Password);
    formulario->addRow(QStringLiteral("Co&ntraseña:"), EClave);
    l->addLayout(formulario);
    l->addWidget(Botones(this, QStringLiteral("&Firmar")));
    connect(importa, &QPushButton::clicked, this, &TFFirmaActa::Importa);
    connect(ajustes, &QPushButton::clicked, this, [this] {
        TFAjustesFirma a(this);
        if (a.exec() == QDialog::Accepted)
            Llena();
    });
    Llena();
}

void TFFirmaActa::Llena(const QString& elegido)
{
    certificados_.clear();
    SinAviso([this] { certificados_ = CertificadosDeFirma(); });
    LCertificados->clear();
    for (const TCertificado& c : certificados_) {
        auto* item = new QListWidgetItem(c.Descripcion(), LCertificados);
        item->setToolTip(QStringLiteral("Emitido por %1").arg(c.Emisor));
        if (c.Caducado())
            item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    }
    int actual = -1;
    for (int i = 0; i < certificados_.size(); ++i) {
        if (certificados_[i].Apodo == elegido || (actual < 0 && !certificados_[i].Caducado()))
            actual = i;
    }
    LCertificados->setCurrentRow(actual);
}

void TFFirmaActa::Importa()
{
    const QString fichero = QFileDialog::getOpenFileName(this, QStringLiteral("Certificado exportado del navegador"), QString(),
                                                         QStringLiteral("Certificados (*.p12 *.pfx *.P12 *.PFX)"));
    if (fichero.isEmpty())
        return;
    bool aceptado = false;
    const QString clave = QInputDialog::getText(this, QStringLiteral("Importar certificado"),
                                                QStringLiteral("Contraseña del fichero:"), QLineEdit::Password,
                                                QString(), &aceptado);
    if (!aceptado)
        return;
    TCertificado nuevo;
    if (SinAviso([&] { nuevo = ImportaCertificado(fichero, clave); })) {
        Llena(nuevo.Apodo);
        EClave->clear();
        EClave->setFocus();
    }
}

TCertificado TFFirmaActa::Certificado() const { return certificados_.value(LCertificados->currentRow()); }

QString TFFirmaActa::Clave() const { return EClave->text(); }

void TFFirmaActa::accept()
{
    if (certificados_.isEmpty()) {
        Mensaje(QStringLiteral("No hay ningún certificado con el que firmar. Importe el suyo desde un fichero .p12 o "
                               ".pfx, o elija en la configuración el almacén donde está."));
        return;
    }
    if (LCertificados->currentRow() < 0) {
        Mensaje(QStringLiteral("Elija el certificado con el que firmar."));
        return;
    }
    if (SinAviso([this] { CompruebaCertificado(Certificado(), Clave()); }))
        QDialog::accept();
}

TFAjustesFirma::TFAjustesFirma(QWidget* padre) : QDialog(padre)
{
    setObjectName(QStringLiteral("FAjustesFirma"));
    setWindowTitle(QStringLiteral("Configuración de la firma"));
    const TAjustesFirma a = TAjustesFirma::Lee();
    auto* l = new QFormLayout(this);
    CbAlmacen = new QComboBox;
    CbAlmacen->setObjectName(QStringLiteral("CbAlmacen"));
    for (const TAlmacen& almacen : AlmacenesDisponibles())
        CbAlmacen->addItem(almacen.Nombre, almacen.Carpeta);
    if (!a.Almacen.isEmpty() && CbAlmacen->findData(a.Almacen) < 0)
        CbAlmacen->addItem(a.Almacen, a.Almacen);
    CbAlmacen->setCurrentIndex(std::max(0, CbAlmacen->findData(a.Almacen)));
    auto* otra = new QPushButton(QStringLiteral("O&tra carpeta..."));
    otra->setObjectName(QStringLiteral("BtOtraCarpeta"));
    connect(otra, &QPushButton::clicked, this, [this] {
        const QString carpeta = QFileDialog::getExistingDirectory(this, QStringLiteral("Almacén de certificados (NSS)"));
        if (carpeta.isEmpty())
            return;
        if (CbAlmacen->findData(carpeta) < 0)
            CbAlmacen->addItem(carpeta, carpeta);
        CbAlmacen->setCurrentIndex(CbAlmacen->findData(carpeta));
    });
    auto* almacen = new QHBoxLayout;
    almacen->addWidget(CbAlmacen, 1);
    almacen->addWidget(otra);
    l->addRow(QStringLiteral("&Almacén de certificados:"), almacen);
    MTexto = new QPlainTextEdit(a.Texto);
    MTexto->setObjectName(QStringLiteral("MTexto"));
    MTexto->setToolTip(QStringLiteral("[Firmante], [Fecha] y [Comunidad] se cambian por sus valores al firmar"));
    MTexto->setFixedHeight(MTexto->fontMetrics().lineSpacing() * 5);
    l->addRow(QStringLiteral("Te&xto del sello:"), MTexto);
    CbPosicion = new QComboBox;
    CbPosicion->setObjectName(QStringLiteral("CbPosicion"));
    CbPosicion->addItems({QStringLiteral("Abajo a la derecha"), QStringLiteral("Abajo a la izquierda"),
                          QStringLiteral("Arriba a la derecha"), QStringLiteral("Arriba a la izquierda")});
    CbPosicion->setCurrentIndex(int(a.Posicion));
    l->addRow(QStringLiteral("&Posición en la última página:"), CbPosicion);
    l->addRow(Botones(this, QStringLiteral("&Aceptar")));
}

void TFAjustesFirma::accept()
{
    TAjustesFirma a;
    a.Almacen = CbAlmacen->currentData().toString();
    a.Texto = MTexto->toPlainText().trimmed().isEmpty() ? TAjustesFirma::TextoPorDefecto() : MTexto->toPlainText();
    a.Posicion = TPosicionFirma(CbPosicion->currentIndex());
    if (SinAviso([&] { a.Guarda(); }))
        QDialog::accept();
}

bool FirmaActa(QWidget* padre, TFIBDatabase& db, TFIBTransaction& tr, const TActaAFirmar& acta)
{
    TFFirmaActa dialogo(padre);
    if (dialogo.exec() != QDialog::Accepted)
        return false;
    const TCertificado certificado = dialogo.Certificado();
    QTemporaryDir carpeta;
    if (!carpeta.isValid())
        throw EAviso(QStringLiteral("No hay carpeta temporal donde preparar el Acta."));
    const QString pdf = carpeta.filePath(QStringLiteral("ACTA.pdf"));
    const QString firmado = carpeta.filePath(QStringLiteral("ACTA-firmada.pdf"));
    DocumentoPdf(acta.Acta, pdf);
    const TAjustesFirma ajustes = TAjustesFirma::Lee();
    const QDateTime ahora = QDateTime::currentDateTime();
    {
        TWaitCursor espera;
        FirmaPdf(pdf, firmado, certificado, dialogo.Clave(),
                 ajustes.TextoBloque(certificado.Titular, ahora, acta.NombreComunidad), ajustes.Posicion,
                 QStringLiteral("Acta de la junta de propietarios de %1").arg(acta.NombreComunidad));
    }
    GuardaActaFirmada(db, tr, acta.Comunidad, acta.Convocatoria,
                      TActaFirmada{CargaFichero(firmado), certificado.Titular, ahora, HuellaActa(acta.Acta)});
    return true;
}

void ComprobarFirma(QWidget* padre, const QByteArray& pdf)
{
    QList<TFirmaComprobada> firmas;
    {
        TWaitCursor espera;
        firmas = CompruebaFirmas(pdf);
    }
    bool valida = !firmas.isEmpty();
    for (const TFirmaComprobada& f : firmas)
        valida = valida && f.Estado == TFirmaComprobada::TEstado::Valida;
    QMessageBox caja(valida ? QMessageBox::Information : QMessageBox::Warning, QStringLiteral("Comprobar firma"),
                     InformeFirmas(firmas), QMessageBox::Ok, padre);
    caja.exec();
}
