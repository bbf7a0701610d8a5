// The minutes signed with the administrator's certificate: a throwaway
// certificate authority made with certutil/pk12util signs the minutes of a
// convocation; pdfsig and "Comprobar firma" find the signature valid and
// whole, and invalid once a signed byte changes; expired certificates, wrong
// passwords and files without a key are refused with nothing stored; a .p12
// file is imported and signs; the signed PDF is what is sent, until the
// minutes change.
#include "Capturas.h"
#include "Ficheros.h"
#include "Juntas.h"
#include "Modales.h"
#include "Programas.h"
#include "UActaFirmada.h"
#include "UFConvoca.h"
#include "UFFirmaActa.h"
#include "UFirmaPdf.h"
#include "UPerfil.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

using qdtest::EscribeFichero;
using qdtest::LeeFichero;

const char* const kAna = "ANA ADMINISTRADORA PRUEBAS";
const char* const kEva = "EVA CADUCADA PRUEBAS";
const char* const kClaveP12 = "clave-p12";
const char* const kClaveAlmacen = "clave-almacen";

QString Ejecuta(const QString& programa, const QStringList& argumentos, const QByteArray& entrada = {})
{
    QProcess p;
    p.start(programa, argumentos);
    p.write(entrada);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        ADD_FAILURE() << programa.toStdString() << " " << argumentos.join(' ').toStdString() << ": "
                      << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

// The throwaway authority, its signers' .p12 files, and a store like the
// desktop's holding both signers behind a password.
struct Autoridad {
    QTemporaryDir dir;
    QString Ruta(const char* nombre) const { return dir.filePath(QString::fromLatin1(nombre)); }
    Autoridad()
    {
        const QString ca = QStringLiteral("sql:") + Ruta("ca");
        QDir().mkpath(Ruta("ca"));
        QDir().mkpath(Ruta("almacen"));
        QDir().mkpath(Ruta("vacio"));
        EscribeFichero(Ruta("ruido"), QByteArray(2048, 'q') + QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
        EscribeFichero(Ruta("clave"), kClaveAlmacen);
        Ejecuta("certutil", {"-N", "-d", ca, "--empty-password"});
        Ejecuta("certutil", {"-S", "-d", ca, "-z", Ruta("ruido"), "-n", "ca", "-s", "CN=Autoridad de Pruebas,O=QD",
                             "-x", "-m", "1", "-t", "CT,C,C", "-v", "24", "-2"},
                "y\n-1\ny\n");
        Ejecuta("certutil", {"-N", "-d", "sql:" + Ruta("almacen"), "-f", Ruta("clave")});
        // Serial numbers given: certutil's own come from the clock, and two
        // certificates made within one second would share one.
        for (const auto& [apodo, nombre, desde, serie] :
             {std::tuple{"ana", kAna, "0", "2"}, std::tuple{"eva", kEva, "-24", "3"}}) {
            Ejecuta("certutil", {"-S", "-d", ca, "-z", Ruta("ruido"), "-n", apodo, "-m", serie, "-s",
                                 QStringLiteral("CN=%1,O=QD").arg(nombre), "-c", "ca", "-t", "u,u,u", "-w", desde,
                                 "-v", "12", "--keyUsage", "digitalSignature,nonRepudiation"});
            const QString p12 = Ruta(apodo) + ".p12";
            Ejecuta("pk12util", {"-o", p12, "-n", apodo, "-d", ca, "-W", kClaveP12, "-K", ""});
            Ejecuta("pk12util", {"-i", p12, "-d", "sql:" + Ruta("almacen"), "-W", kClaveP12, "-K", kClaveAlmacen});
        }
        // Ana's certificate alone, without its key.
        EscribeFichero(Ruta("ana.pem"), Ejecuta("certutil", {"-L", "-d", ca, "-n", "ana", "-a"}).toUtf8());
        Ejecuta("openssl", {"pkcs12", "-export", "-nokeys", "-in", Ruta("ana.pem"), "-out", Ruta("sinclave.p12"),
                            "-passout", QStringLiteral("pass:") + kClaveP12});
    }
};

Autoridad& CA()
{
    static Autoridad a;
    return a;
}

void UsaAlmacen(const QString& carpeta)
{
    TAjustesFirma a = TAjustesFirma::Lee();
    a.Almacen = carpeta;
    a.Guarda();
}

// A two-page PDF, the shape of a document about to be signed.
QString Pdf(const QString& ruta)
{
    QPdfWriter w(ruta);
    QPainter p(&w);
    p.drawText(200, 200, QStringLiteral("Acta de la junta"));
    w.newPage();
    p.drawText(200, 200, QStringLiteral("Segunda hoja"));
    return ruta;
}

// What pdfsig says of a file (it ends with an error for a bad signature).
QString Pdfsig(const QString& pdf)
{
    QProcess p;
    p.start("pdfsig", {pdf});
    EXPECT_TRUE(p.waitForFinished(60000));
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

// The file with one byte changed inside the signed range (the header's
// comment line).
QByteArray Alterado(QByteArray pdf)
{
    pdf[10] = pdf[10] == 'x' ? 'y' : 'x';
    return pdf;
}

QByteArray Documento(const char* texto)
{
    return QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\f0\\fs24 ") + texto + "\\par }";
}

class Firma : public qdtest::Juntas {
protected:
    void SetUp() override
    {
        if (qdtest::FaltaPrograma({"certutil", "pk12util", "pdfsig", "openssl"}))
            GTEST_SKIP() << "certutil, pk12util, pdfsig or openssl is not installed";
        Juntas::SetUp();
        Entorno.CaminoPrograma = programa.path();
        Propietario(1, "ANA", {{"1A", 50}});
        Propietario(2, "BEATRIZ", {{"2A", 50}});
        UsaAlmacen(CA().Ruta("almacen"));
    }
    void Convocatoria(const char* acta)
    {
        NuevaConvocatoria();
        TFIBTableSet& t = Modulo().QTabla;
        t.Edit();
        t.FieldByName("ACTA")->SetAsBytes(Documento(acta));
        t.Post();
        conv.reset();
    }
    int Firmadas() { return Sql("SELECT COUNT(*) FROM ACTAS_FIRMADAS").toInt(); }
    QByteArray PdfFirmado() { return Sql("SELECT PDF FROM ACTAS_FIRMADAS WHERE COMUNIDAD = 1").toByteArray(); }

    // Opens "Firmar acta" from the screen, picks the holder's certificate,
    // types the password and presses "Firmar". With `rechazo`, the message
    // that refuses it is answered and returned, and the dialog cancelled.
    QString Firmar(TFConvoca* w, const QString& titular, const QString& clave, bool rechazo)
    {
        QString aviso;
        qdtest::Modales modales;
        modales.Espera([&](QWidget* d) {
            auto* dialogo = qobject_cast<TFFirmaActa*>(d);
            ASSERT_TRUE(dialogo);
            QListWidget* l = dialogo->LCertificados;
            for (int i = 0; i < l->count(); ++i)
                if (l->item(i)->text().startsWith(titular))
                    l->setCurrentRow(i);
            dialogo->EClave->setText(clave);
            if (!rechazo)
                qdtest::Captura("firma-dialogo", d);
            // A refusal's message opens here and is answered next.
            qdtest::Pulsa(d, "Firmar");
            if (rechazo)
                qdtest::Pulsa(d, "Cancelar");
        });
        if (rechazo)
            modales.Espera([&](QWidget* m) {
                aviso = qdtest::Textos(m);
                qdtest::Pulsa(m, "Aceptar");
            });
        QTest::mouseClick(w->TbFirmaActa, Qt::LeftButton);
        return aviso;
    }
};

} // namespace

TEST_F(Firma, TheMinutesSignedAreValidWholeAndStoredAndAChangedByteMakesThemInvalid)
{
    if (qdtest::FaltaPrograma({"soffice"}))
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    Convocatoria("Acta de la junta ordinaria");
    QPointer<TFConvoca> w = new TFConvoca;
    w->show();
    Firmar(w, kAna, kClaveAlmacen, false);
    ASSERT_EQ(Firmadas(), 1);
    EXPECT_EQ(Sql("SELECT FIRMANTE FROM ACTAS_FIRMADAS").toString(), kAna);
    EXPECT_TRUE(w->LFirma->isVisible());
    EXPECT_TRUE(w->LFirma->text().startsWith(QStringLiteral("Acta firmada por %1 el ").arg(kAna))) << w->LFirma->text().toStdString();
    qdtest::Captura("firma-ficha", w);

    const QString firmado = programa.path() + "/firmada.pdf";
    EscribeFichero(firmado, PdfFirmado());
    const QString informe = Pdfsig(firmado);
    for (const char* esperado : {"Signature is Valid", "Total document signed", "adbe.pkcs7.detached", "SHA-256", kAna})
        EXPECT_TRUE(informe.contains(QString::fromUtf8(esperado))) << esperado << "\n" << informe.toStdString();
    QProcess texto;
    texto.start("pdftotext", {firmado, "-"});
    ASSERT_TRUE(texto.waitForFinished(60000));
    EXPECT_TRUE(texto.readAllStandardOutput().contains("Acta de la junta ordinaria"));
    if (!qEnvironmentVariableIsEmpty("QD_CAPTURAS"))
        Ejecuta("pdftoppm", {"-png", "-r", "60", "-singlefile", firmado, qEnvironmentVariable("QD_CAPTURAS") + "/firma-sello"});

    const QList<TFirmaComprobada> buena = CompruebaFirmas(PdfFirmado());
    ASSERT_EQ(buena.size(), 1);
    EXPECT_EQ(buena[0].Estado, TFirmaComprobada::TEstado::Valida);
    EXPECT_EQ(buena[0].Firmante, kAna);
    EXPECT_TRUE(buena[0].Completa);
    EXPECT_LE(qAbs(buena[0].Fecha.secsTo(QDateTime::currentDateTime())), 600);

    const QString alterado = programa.path() + "/alterada.pdf";
    EscribeFichero(alterado, Alterado(PdfFirmado()));
    EXPECT_FALSE(Pdfsig(alterado).contains("Signature is Valid"));
    const QList<TFirmaComprobada> mala = CompruebaFirmas(Alterado(PdfFirmado()));
    ASSERT_EQ(mala.size(), 1);
    EXPECT_EQ(mala[0].Estado, TFirmaComprobada::TEstado::Alterada);
    EXPECT_TRUE(InformeFirmas(mala).contains("se ha cambiado después de firmarlo"));

    // "Comprobar firma" on the stored record.
    QString dicho;
    qdtest::AlAbrirse([&](QWidget* m) {
        dicho = static_cast<QMessageBox*>(m)->text();
        qdtest::Captura("firma-comprobada", m);
        static_cast<QMessageBox*>(m)->accept();
    });
    QTest::mouseClick(w->TbCompruebaFirma, Qt::LeftButton, {}, QPoint(8, w->TbCompruebaFirma->height() / 2));
    EXPECT_TRUE(dicho.startsWith("La firma es válida y cubre todo el documento.")) << dicho.toStdString();
    EXPECT_TRUE(dicho.contains(QStringLiteral("Firmado por: %1").arg(kAna)));
    delete w.data();
}

TEST_F(Firma, AnExpiredCertificateAWrongPasswordOrNoCertificateAtAllIsRefusedWithNothingStored)
{
    Convocatoria("Acta");
    struct Caso {
        const char* almacen;
        const char* titular;
        const char* clave;
        const char* aviso;
    } casos[] = {
        {"almacen", kEva, kClaveAlmacen, "caducó el"},
        {"almacen", kAna, "no-es-la-clave", "no es correcta"},
        {"vacio", "", "", "No hay ningún certificado con el que firmar"},
    };
    for (const Caso& c : casos) {
        UsaAlmacen(CA().Ruta(c.almacen));
        TFConvoca w;
        w.show();
        const QString aviso = Firmar(&w, QString::fromUtf8(c.titular), QString::fromUtf8(c.clave), true);
        EXPECT_TRUE(aviso.contains(QString::fromUtf8(c.aviso))) << c.titular << ": " << aviso.toStdString();
        EXPECT_EQ(Firmadas(), 0) << c.titular;
        EXPECT_FALSE(w.LFirma->isVisible());
    }
}

TEST_F(Firma, AP12FileIsImportedGuardedByItsPasswordAndSigns)
{
    UsaAlmacen(CA().Ruta("vacio"));
    const QString propia = CarpetaConfiguracion() + "/certificados";
    struct Rechazo {
        const char* fichero;
        const char* clave;
        const char* aviso;
    } rechazos[] = {
        {"ana.p12", "no-es-la-clave", "no es correcta"},
        {"sinclave.p12", kClaveP12, "no contiene la clave privada"},
        {"eva.p12", kClaveP12, "caducó el"},
        {"ana.pem", kClaveP12, "no es un certificado .p12 o .pfx"},
    };
    for (const Rechazo& r : rechazos) {
        try {
            ImportaCertificado(CA().Ruta(r.fichero), QString::fromLatin1(r.clave));
            ADD_FAILURE() << r.fichero << " was imported";
        } catch (const EAviso& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(r.aviso))) << r.fichero << ": " << e.what();
        }
        EXPECT_TRUE(QDir(propia).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty()) << r.fichero;
    }
    EXPECT_TRUE(CertificadosDeFirma().isEmpty());

    const TCertificado ana = ImportaCertificado(CA().Ruta("ana.p12"), kClaveP12);
    EXPECT_EQ(ana.Titular, kAna);
    EXPECT_TRUE(ana.Importado);
    EXPECT_FALSE(ana.Caducado());
    // Kept in the program's own store, there the next time it opens.
    UsaAlmacen(CA().Ruta("vacio"));
    const QList<TCertificado> lista = CertificadosDeFirma();
    ASSERT_EQ(lista.size(), 1);
    EXPECT_EQ(lista[0].Titular, kAna);

    const QString origen = Pdf(programa.path() + "/acta.pdf");
    const QString firmado = programa.path() + "/firmada.pdf";
    EXPECT_THROW(FirmaPdf(origen, firmado, lista[0], "no-es-la-clave", "Firmado", TPosicionFirma::AbajoDerecha, "Acta"), EAviso);
    EXPECT_FALSE(QFile::exists(firmado));
    FirmaPdf(origen, firmado, lista[0], kClaveP12, "Firmado por Ana", TPosicionFirma::ArribaIzquierda, "Acta");
    const QString informe = Pdfsig(firmado);
    EXPECT_TRUE(informe.contains("Signature is Valid")) << informe.toStdString();
    EXPECT_TRUE(informe.contains("Total document signed")) << informe.toStdString();
}

TEST(AjustesFirma, TheBlocksTextAndPositionAreKeptWithTheSettings)
{
    QTemporaryDir cfg;
    const QByteArray antes = qgetenv("QUORUMDESK_CONFIG_DIR");
    qputenv("QUORUMDESK_CONFIG_DIR", cfg.path().toUtf8());
    TAjustesFirma a;
    a.Almacen = cfg.path() + "/no-hay";
    a.Texto = "Firmado digitalmente por [Firmante]\n[Fecha] \\ [Comunidad]";
    a.Posicion = TPosicionFirma::ArribaIzquierda;
    a.Guarda();
    const TAjustesFirma b = TAjustesFirma::Lee();
    EXPECT_EQ(b.Almacen, a.Almacen);
    EXPECT_EQ(b.Texto, a.Texto);
    EXPECT_EQ(b.Posicion, a.Posicion);
    EXPECT_EQ(b.TextoBloque("ANA", QDateTime(QDate(2026, 5, 4), QTime(18, 30)), "LOS ALMENDROS"),
              "Firmado digitalmente por ANA\n04/05/2026 18:30 \\ LOS ALMENDROS");
    qputenv("QUORUMDESK_CONFIG_DIR", antes);
}

class FirmaCorreo : public Firma {
protected:
    void SetUp() override
    {
        Firma::SetUp();
        if (IsSkipped())
            return;
        pathAntes = qgetenv("PATH");
        EscribeFichero(bin.filePath("xdg-email"),
                       "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$QD_SALIDA\"\nexit 0\n");
        QFile::setPermissions(bin.filePath("xdg-email"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        qputenv("QD_SALIDA", bin.filePath("args").toLocal8Bit());
        qputenv("PATH", bin.path().toLocal8Bit() + ":" + pathAntes);
        Sql("UPDATE EMP_PROPIETARIO SET E_MAIL = 'ana@ejemplo.es' WHERE CODIGO = 1");
    }
    void TearDown() override
    {
        if (!pathAntes.isEmpty())
            qputenv("PATH", pathAntes);
        qunsetenv("QD_SALIDA");
        qunsetenv("QD_PROCESADOR");
        Firma::TearDown();
    }
    QTemporaryDir bin;
    QByteArray pathAntes;
};

TEST_F(FirmaCorreo, TheSignedPdfIsSentUntilTheMinutesChangeAfterAskingFirst)
{
    Convocatoria("Acta firmada");
    const QByteArray acta = Documento("Acta firmada");
    const QByteArray firmada = "%PDF-1.7 el Acta firmada";
    GuardaActaFirmada(DMMain->DataBase, DMMain->TGenerica, 1, Sql("SELECT CODIGO FROM CONVOCATORIAS").toInt(),
                      TActaFirmada{firmada, kAna, QDateTime::currentDateTime(), HuellaActa(acta)});
    QPointer<TFConvoca> w = new TFConvoca;
    w->show();
    EXPECT_TRUE(w->LFirma->text().startsWith("Acta firmada por"));
    w->TbEnviaActaPdf->click();
    EXPECT_EQ(LeeFichero(programa.path() + "/ACTA.pdf"), firmada);
    EXPECT_TRUE(LeeFichero(bin.filePath("args")).contains("ACTA.pdf"));

    // The minutes edited: asked first; No keeps them and their signature.
    TIniFile(FicheroPerfil("quorumdesk.ini"))
        .WriteString("Word", "Path", qEnvironmentVariable("QD_SOURCE_DIR") + "/tests/forms/procesador");
    qputenv("QD_PROCESADOR", "edita");
    for (const bool cambia : {false, true}) {
        QString pregunta;
        qdtest::AlAbrirse([&](QWidget* m) {
            auto* caja = static_cast<QMessageBox*>(m);
            pregunta = caja->text();
            caja->button(cambia ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        w->EditDocument(TFConvoca::TDocumento::Acta, TProcesadorTextos::Word);
        EXPECT_TRUE(pregunta.startsWith("El Acta está firmada.")) << pregunta.toStdString();
        const QByteArray guardada = Sql("SELECT ACTA FROM CONVOCATORIAS WHERE COMUNIDAD = 1").toByteArray();
        EXPECT_EQ(guardada == acta, !cambia);
    }
    // The signature no longer holds; the signed PDF stays as the previous version.
    EXPECT_TRUE(w->LFirma->text().startsWith("El Acta ha cambiado después de firmarla")) << w->LFirma->text().toStdString();
    EXPECT_EQ(PdfFirmado(), firmada);
    delete w.data();
}
