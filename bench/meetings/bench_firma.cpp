// Signing the minutes of a meeting with 2 000 attendants and checking the
// signature. The minutes' PDF is made first (LibreOffice, not measured), a
// throwaway authority's signer sits in an NSS store behind a password
// (certutil, pk12util). The first signing and the first check are measured
// as the user meets them, NSS and the store opening included; then the
// medians of further rounds, and their ratio to reading the PDF, hashing it
// with SHA-256 and writing it back, the least any signing does.
#include "Medidas.h"
#include "UFirmaPdf.h"
#include "UPublica.h"
#include "UPerfil.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

using namespace qdbench;

bool Ejecuta(const QString& programa, const QStringList& argumentos, const QByteArray& entrada = {})
{
    QProcess p;
    p.start(programa, argumentos);
    p.write(entrada);
    p.closeWriteChannel();
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(programa), p.readAllStandardError().constData());
    return false;
}

// The store holding the signer "ADMINISTRADOR DE FINCAS" behind the password "clave".
bool Almacen(const QString& dir)
{
    const QString ca = QStringLiteral("sql:") + dir + QStringLiteral("/ca");
    const QString almacen = QStringLiteral("sql:") + dir + QStringLiteral("/almacen");
    QDir().mkpath(dir + QStringLiteral("/ca"));
    QDir().mkpath(dir + QStringLiteral("/almacen"));
    QFile ruido(dir + QStringLiteral("/ruido"));
    QFile clave(dir + QStringLiteral("/clave"));
    if (!ruido.open(QIODevice::WriteOnly) || !clave.open(QIODevice::WriteOnly))
        return false;
    ruido.write(QByteArray(2048, 'r') + QByteArray::number(QDateTime::currentMSecsSinceEpoch()));
    ruido.close();
    clave.write("clave");
    clave.close();
    const QString p12 = dir + QStringLiteral("/firmante.p12");
    return Ejecuta("certutil", {"-N", "-d", ca, "--empty-password"}) &&
           Ejecuta("certutil", {"-S", "-d", ca, "-z", ruido.fileName(), "-n", "ca", "-s", "CN=Autoridad,O=QD", "-x",
                                "-t", "CT,C,C", "-v", "24", "-2"},
                   "y\n-1\ny\n") &&
           Ejecuta("certutil", {"-S", "-d", ca, "-z", ruido.fileName(), "-n", "firmante", "-s",
                                "CN=ADMINISTRADOR DE FINCAS,O=QD", "-c", "ca", "-t", "u,u,u", "-v", "12"}) &&
           Ejecuta("pk12util", {"-o", p12, "-n", "firmante", "-d", ca, "-W", "p12", "-K", ""}) &&
           Ejecuta("certutil", {"-N", "-d", almacen, "-f", clave.fileName()}) &&
           Ejecuta("pk12util", {"-i", p12, "-d", almacen, "-W", "p12", "-K", "clave"});
}

// Minutes listing every attendant with his properties and coefficient.
QByteArray Acta(int asistentes)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\f0\\fs20 "
                     "ACTA DE LA JUNTA GENERAL ORDINARIA DE PROPIETARIOS\\par\\par Asistentes:\\par ";
    for (int i = 1; i <= asistentes; ++i)
        rtf += QStringLiteral("%1. PROPIETARIO NÚMERO %1, finca %2%3, coeficiente %4\\par ")
                   .arg(i)
                   .arg(i / 4 + 1)
                   .arg(QChar(u'A' + i % 4))
                   .arg(100.0 / asistentes, 0, 'f', 4)
                   .toLatin1();
    rtf += "\\par Se aprueban las cuentas del ejercicio por unanimidad.\\par }";
    return rtf;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    qputenv("QUORUMDESK_CONFIG_DIR", dir.filePath(QStringLiteral("cfg")).toUtf8());
    const int asistentes = 2000;
    const int rondas = 5;
    try {
        if (!Almacen(dir.path()))
            return 1;
        const QString pdf = dir.filePath(QStringLiteral("ACTA.pdf"));
        DocumentoPdf(Acta(asistentes), pdf);
        TAjustesFirma ajustes;
        ajustes.Almacen = dir.filePath(QStringLiteral("almacen"));

        // The first signing: the store opened, the certificate listed, its
        // password checked, the document signed.
        QElapsedTimer t;
        t.start();
        ajustes.Guarda();
        const QList<TCertificado> certificados = CertificadosDeFirma();
        if (certificados.size() != 1) {
            std::fprintf(stderr, "the store holds %lld certificates\n", static_cast<long long>(certificados.size()));
            return 1;
        }
        const QString firmado = dir.filePath(QStringLiteral("ACTA-firmada.pdf"));
        auto firma = [&] {
            FirmaPdf(pdf, firmado, certificados[0], QStringLiteral("clave"),
                     ajustes.TextoBloque(certificados[0].Titular, QDateTime::currentDateTime(), QStringLiteral("LOS ALMENDROS")),
                     ajustes.Posicion, QStringLiteral("Acta de la junta de propietarios de LOS ALMENDROS"));
        };
        firma();
        const double primeraFirma = Ms(t);
        QFile f(firmado);
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray datos = f.readAll();
        t.start();
        const QList<TFirmaComprobada> firmas = CompruebaFirmas(datos);
        const double primeraComprobacion = Ms(t);
        if (firmas.size() != 1 || firmas[0].Estado != TFirmaComprobada::TEstado::Valida) {
            std::fprintf(stderr, "the signature is not valid\n");
            return 1;
        }

        std::vector<double> firmar, comprobar, base;
        for (int i = 0; i < rondas; ++i) {
            t.start();
            firma();
            firmar.push_back(Ms(t));
            t.start();
            CompruebaFirmas(datos);
            comprobar.push_back(Ms(t));
            t.start();
            QFile entrada(pdf), salida(dir.filePath(QStringLiteral("copia.pdf")));
            if (!entrada.open(QIODevice::ReadOnly) || !salida.open(QIODevice::WriteOnly))
                return 1;
            const QByteArray bytes = entrada.readAll();
            salida.write(bytes);
            salida.write(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
            salida.close();
            base.push_back(Ms(t));
        }
        const double b = Mediana(base);
        std::printf("signed minutes of %d attendants: %lld bytes\n", asistentes, static_cast<long long>(datos.size()));
        std::printf("signing the minutes, first run: %.1f ms (goal <= 1000)\n", primeraFirma);
        std::printf("checking the signature, first run: %.1f ms (goal <= 1000)\n", primeraComprobacion);
        std::printf("signing the minutes, median: %.1f ms\n", Mediana(firmar));
        std::printf("checking the signature, median: %.1f ms\n", Mediana(comprobar));
        std::printf("reading, hashing and writing the PDF: %.2f ms\n", b);
        std::printf("signing, ratio to reading, hashing and writing: %.1f\n", Mediana(firmar) / b);
        std::printf("checking, ratio to reading, hashing and writing: %.1f\n", Mediana(comprobar) / b);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
