// qd_creabd: creates QuorumDesk's database, optionally with demo or
// synthetic rows, and the sibling products' databases with sample rows.
#include "CreaBaseDatos.h"

#include "FIBError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>

namespace {

void Escribe(const QString& s) { std::fputs(qPrintable(s + QLatin1Char('\n')), stdout); }
void Error(const QString& s) { std::fputs(qPrintable(s + QLatin1Char('\n')), stderr); }

// An existing file is replaced only when asked to; the library replaces it
// once the new database is complete, so a failed creation leaves it as it was.
bool Prepara(const QString& path, bool sobrescribe)
{
    if (sobrescribe || !QFile::exists(path))
        return true;
    Error(QStringLiteral("El fichero %1 ya existe (use --sobrescribe para reemplazarlo).").arg(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qd_creabd"));
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Crea la base de datos de QuorumDesk y las de los productos hermanos."));
    p.addHelpOption();
    p.addPositionalArgument(QStringLiteral("base"), QStringLiteral("Base de datos de QuorumDesk a crear (fichero o servidor:/camino)."), QStringLiteral("[base]"));
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Añade los datos de demostración."));
    const QCommandLineOption sintetica(QStringLiteral("sintetica"),
        QStringLiteral("Añade N comunidades x M propietarios x K fincas generados."), QStringLiteral("NxMxK"));
    const QCommandLineOption taldemar(QStringLiteral("taldemar"),
        QStringLiteral("Crea además la base de datos de contabilidad con datos de ejemplo."), QStringLiteral("camino"));
    const QCommandLineOption halvenbook(QStringLiteral("halvenbook"),
        QStringLiteral("Crea además la base de datos de gestión de comunidades con datos de ejemplo."), QStringLiteral("camino"));
    const QCommandLineOption usuario(QStringLiteral("usuario"), QStringLiteral("Usuario del servidor (SYSDBA)."), QStringLiteral("nombre"));
    const QCommandLineOption clave(QStringLiteral("clave"), QStringLiteral("Clave del usuario del servidor."), QStringLiteral("clave"));
    const QCommandLineOption sinForced(QStringLiteral("sin-forced-writes"),
        QStringLiteral("Sin escrituras forzadas (solo bases de prueba)."));
    const QCommandLineOption sobrescribe(QStringLiteral("sobrescribe"), QStringLiteral("Reemplaza los ficheros que existan."));
    p.addOptions({demo, sintetica, taldemar, halvenbook, usuario, clave, sinForced, sobrescribe});
    p.process(app);

    const QStringList args = p.positionalArguments();
    if (args.size() > 1 || (args.isEmpty() && !p.isSet(taldemar) && !p.isSet(halvenbook))) {
        Error(QStringLiteral("Indique una base de datos a crear.\n") + p.helpText());
        return 2;
    }
    if (p.isSet(demo) && p.isSet(sintetica)) {
        Error(QStringLiteral("--demo y --sintetica se excluyen."));
        return 2;
    }

    TOpcionesBD o;
    if (p.isSet(usuario))
        o.Usuario = p.value(usuario);
    if (p.isSet(clave))
        o.Clave = p.value(clave);
    o.ForcedWrites = !p.isSet(sinForced);
    o.Reemplaza = p.isSet(sobrescribe);
    if (p.isSet(demo))
        o.Contenido = TContenidoBD::Demo;
    if (p.isSet(sintetica)) {
        static const QRegularExpression forma(QStringLiteral("^(\\d+)[xX](\\d+)[xX](\\d+)$"));
        const QRegularExpressionMatch m = forma.match(p.value(sintetica));
        if (!m.hasMatch() || m.captured(1).toInt() < 1 || m.captured(1).toInt() > 32767 ||
            m.captured(2).toInt() < 1 || m.captured(3).toInt() < 1) {
            Error(QStringLiteral("--sintetica espera NxMxK, números mayores que 0 (N hasta 32767)."));
            return 2;
        }
        o.Contenido = TContenidoBD::Sintetica;
        o.Comunidades = m.captured(1).toInt();
        o.Propietarios = m.captured(2).toInt();
        o.Fincas = m.captured(3).toInt();
    }
    TOpcionesBD hermanas = o;
    hermanas.Contenido = TContenidoBD::Demo;

    const bool reemplaza = p.isSet(sobrescribe);
    try {
        QElapsedTimer reloj;
        if (!args.isEmpty()) {
            if (!Prepara(args[0], reemplaza))
                return 1;
            reloj.start();
            CreaBaseDatos(args[0], o);
            Escribe(QStringLiteral("%1 creada (versión %2) en %3 ms.")
                        .arg(args[0], VersionBaseDatos()).arg(reloj.elapsed()));
        }
        if (p.isSet(taldemar)) {
            if (!Prepara(p.value(taldemar), reemplaza))
                return 1;
            reloj.start();
            CreaBaseTaldemar(p.value(taldemar), hermanas);
            Escribe(QStringLiteral("%1 creada en %2 ms.").arg(p.value(taldemar)).arg(reloj.elapsed()));
        }
        if (p.isSet(halvenbook)) {
            if (!Prepara(p.value(halvenbook), reemplaza))
                return 1;
            reloj.start();
            CreaBaseHalvenbook(p.value(halvenbook), hermanas);
            Escribe(QStringLiteral("%1 creada en %2 ms.").arg(p.value(halvenbook)).arg(reloj.elapsed()));
        }
    } catch (const EFIBError& e) {
        Error(e.Message());
        return 1;
    }
    return 0;
}
