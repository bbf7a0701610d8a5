#include "UPerfil.h"
#include "EUtilesError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

QString CarpetaPrograma()
{
    const QString home = qEnvironmentVariable("QUORUMDESK_HOME");
    QString dir = home.isEmpty() ? QCoreApplication::applicationDirPath() : home;
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

QString CarpetaConfiguracion()
{
    QString dir = qEnvironmentVariable("QUORUMDESK_CONFIG_DIR");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/quorumdesk");
    return dir;
}

QString BuscaFichero(const QString& carpeta, const QString& nombre)
{
    const QDir dir(carpeta);
    if (dir.exists(nombre))
        return dir.filePath(nombre);
    for (const QString& f : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (f.compare(nombre, Qt::CaseInsensitive) == 0)
            return dir.filePath(f);
    }
    return QString();
}

QString FicheroPerfil(const QString& nombre)
{
    const QString carpeta = CarpetaConfiguracion();
    const QString existente = BuscaFichero(carpeta, nombre);
    return existente.isEmpty() ? QDir(carpeta).filePath(nombre.toLower()) : existente;
}

TIniFile::TIniFile(const QString& fichero) : fichero_(fichero) { Lee(); }

void TIniFile::Lee()
{
    lineas_.clear();
    QFile f(fichero_);
    if (!f.open(QIODevice::ReadOnly))
        return;
    // Read up to the cap only: a file that is not a settings file (a link to
    // a device that never ends) must not take the memory.
    const QByteArray datos = f.read(kMaximoPerfil + 1);
    if (datos.size() > kMaximoPerfil)
        throw EUtilesError(QStringLiteral("El fichero de configuración %1 es demasiado grande (más de %2 KB): "
                                          "no es un fichero de configuración del programa.")
                               .arg(fichero_)
                               .arg(kMaximoPerfil / 1024));
    const QString texto = QString::fromUtf8(datos);
    lineas_ = texto.split(QLatin1Char('\n'));
    for (QString& l : lineas_) {
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    }
    while (!lineas_.isEmpty() && lineas_.last().isEmpty())
        lineas_.removeLast();
}

namespace {
bool EsSeccion(const QString& linea, QString* nombre)
{
    const QString t = linea.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    *nombre = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool EsClave(const QString& linea, const QString& clave, QString* valor)
{
    const qsizetype igual = linea.indexOf(QLatin1Char('='));
    if (igual < 0 || linea.left(igual).trimmed().compare(clave, Qt::CaseInsensitive) != 0)
        return false;
    *valor = linea.mid(igual + 1).trimmed();
    return true;
}
} // namespace

QString TIniFile::ReadString(const QString& seccion, const QString& clave, const QString& defecto) const
{
    bool dentro = false;
    for (const QString& l : lineas_) {
        QString nombre, valor;
        if (EsSeccion(l, &nombre))
            dentro = nombre.compare(seccion, Qt::CaseInsensitive) == 0;
        else if (dentro && EsClave(l, clave, &valor))
            return valor;
    }
    return defecto;
}

void TIniFile::WriteString(const QString& seccion, const QString& clave, const QString& valor)
{
    Lee(); // another part of the program may have written meanwhile
    const QString nueva = clave + QLatin1Char('=') + valor;
    int inicio = -1;
    int fin = static_cast<int>(lineas_.size());
    for (int i = 0; i < lineas_.size(); ++i) {
        QString nombre;
        if (EsSeccion(lineas_[i], &nombre)) {
            if (inicio >= 0) {
                fin = i;
                break;
            }
            if (nombre.compare(seccion, Qt::CaseInsensitive) == 0)
                inicio = i;
        }
    }
    bool escrita = false;
    if (inicio >= 0) {
        for (int i = inicio + 1; i < fin; ++i) {
            QString v;
            if (EsClave(lineas_[i], clave, &v)) {
                lineas_[i] = nueva;
                escrita = true;
                break;
            }
        }
        if (!escrita) {
            int donde = fin;
            while (donde > inicio + 1 && lineas_[donde - 1].trimmed().isEmpty())
                --donde;
            lineas_.insert(donde, nueva);
        }
    } else {
        if (!lineas_.isEmpty() && !lineas_.last().trimmed().isEmpty())
            lineas_ << QString();
        lineas_ << QLatin1Char('[') + seccion + QLatin1Char(']') << nueva;
    }
    Guarda();
}

void TIniFile::Guarda()
{
    QDir().mkpath(QFileInfo(fichero_).absolutePath());
    QSaveFile f(fichero_);
    if (!f.open(QIODevice::WriteOnly))
        throw EUtilesError(QStringLiteral("No se puede escribir el fichero %1").arg(fichero_));
    f.write((lineas_.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!f.commit())
        throw EUtilesError(QStringLiteral("No se puede escribir el fichero %1").arg(fichero_));
}

void TIniFile::HazPrivado()
{
    QFile f(fichero_);
    if (f.exists() && !f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw EUtilesError(QStringLiteral("No se pueden restringir los permisos del fichero %1").arg(fichero_));
}

bool TIniFile::SectionExists(const QString& seccion) const
{
    QString nombre;
    for (const QString& l : lineas_)
        if (EsSeccion(l, &nombre) && nombre.compare(seccion, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void TIniFile::EraseSection(const QString& seccion)
{
    Lee();
    QStringList quedan;
    bool dentro = false, borrada = false;
    for (const QString& l : lineas_) {
        QString nombre;
        if (EsSeccion(l, &nombre)) {
            dentro = nombre.compare(seccion, Qt::CaseInsensitive) == 0;
            borrada = borrada || dentro;
        }
        if (!dentro)
            quedan << l;
    }
    if (!borrada)
        return;
    lineas_ = quedan;
    Guarda();
}
