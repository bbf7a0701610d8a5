#include "UFtp.h"
#include "UCurl.h"
#include "EUtilesError.h"

#include <QDir>
#include <QFile>
#include <QUrl>


namespace {

size_t Lee(char* destino, size_t tam, size_t n, void* origen)
{
    const qint64 leidos = static_cast<QFile*>(origen)->read(destino, static_cast<qint64>(tam * n));
    return leidos < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(leidos);
}

// Whether the host is this machine's loopback.
bool EsLocal(const QString& host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           host.startsWith(QLatin1String("127.")) || host == QLatin1String("::1");
}

} // namespace

struct TClienteFtp::Datos {
    CURL* curl = nullptr;
    QByteArray base; // "ftp://host:port"
    QByteArray usuario, clave;
    char error[CURL_ERROR_SIZE] = {};
    bool conectado = false;
    ~Datos() { Cierra(); }
    void Cierra()
    {
        // Cleaning the handle up logs out (QUIT) and closes the connection.
        if (curl)
            curl_easy_cleanup(curl);
        curl = nullptr;
        conectado = false;
    }
};

TClienteFtp::TClienteFtp() : d(std::make_unique<Datos>())
{
    static const bool iniciado = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)iniciado;
}

TClienteFtp::~TClienteFtp() = default;

bool TClienteFtp::Conectado() const { return d->conectado; }

void TClienteFtp::Desconecta() { d->Cierra(); }

namespace {

// Runs the transfer set on the handle, the windows painted meanwhile; throws
// with the client's error and the server's last reply.
void Ejecuta(CURL* curl, const char* error)
{
    const CURLcode resultado = TransfiereConPintado(curl);
    if (resultado == CURLE_OK)
        return;
    QString texto = QString::fromUtf8(*error ? error : curl_easy_strerror(resultado));
    long respuesta = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &respuesta);
    if (respuesta > 0)
        texto += QStringLiteral(" (respuesta del servidor %1)").arg(respuesta);
    throw EUtilesError(QStringLiteral("Error FTP: ") + texto);
}

} // namespace

void TClienteFtp::Conecta(const QString& host, int puerto, const QString& usuario, const QString& clave)
{
    d->Cierra();
    d->curl = curl_easy_init();
    if (!d->curl)
        throw EUtilesError(QStringLiteral("No se puede iniciar el cliente FTP"));
    QString servidor = host.trimmed();
    if (servidor.startsWith(QLatin1String("ftp://"), Qt::CaseInsensitive))
        servidor = servidor.mid(6);
    while (servidor.endsWith(QLatin1Char('/')))
        servidor.chop(1);
    // A name with accents goes in its ASCII form.
    const QByteArray nombre = QUrl::toAce(servidor);
    d->base = "ftp://" + (nombre.isEmpty() ? servidor.toUtf8() : nombre) + ':' +
              QByteArray::number(puerto != 0 ? puerto : 21);
    d->usuario = usuario.toUtf8();
    d->clave = clave.toUtf8();
    CURL* c = d->curl;
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, d->error);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(c, CURLOPT_USERNAME, d->usuario.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, d->clave.constData());
    // Active mode: the server opens the data connections to the address
    // this end of the control connection has.
    curl_easy_setopt(c, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(c, CURLOPT_ACCEPTTIMEOUT_MS, 30000L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    // Logging in alone: the login folder, without listing it.
    const QByteArray url = d->base + '/';
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    d->error[0] = '\0';
    try {
        Ejecuta(c, d->error);
    } catch (...) {
        d->Cierra();
        throw;
    }
    d->conectado = true;
}

void TClienteFtp::Sube(const QString& local, const QString& remoto)
{
    if (!d->conectado)
        throw EUtilesError(QStringLiteral("Error FTP: no hay conexión con el servidor"));
    QFile fichero(local);
    if (!fichero.open(QIODevice::ReadOnly))
        throw EUtilesError(QStringLiteral("No se puede abrir el fichero %1").arg(QDir::toNativeSeparators(local)));
    // Every folder of the path, encoded; a path from the root starts at "/".
    QByteArray ruta = d->base + '/';
    if (remoto.startsWith(QLatin1Char('/')))
        ruta += "%2F";
    QByteArrayList partes;
    for (const QString& parte : remoto.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        partes << QUrl::toPercentEncoding(parte);
    ruta += partes.join('/');
    CURL* c = d->curl;
    curl_easy_setopt(c, CURLOPT_URL, ruta.constData());
    curl_easy_setopt(c, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_RETRY));
    curl_easy_setopt(c, CURLOPT_READFUNCTION, &Lee);
    curl_easy_setopt(c, CURLOPT_READDATA, &fichero);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(fichero.size()));
    d->error[0] = '\0';
    try {
        Ejecuta(c, d->error);
    } catch (...) {
        curl_easy_setopt(c, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(c, CURLOPT_READDATA, nullptr);
        throw;
    }
    curl_easy_setopt(c, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(c, CURLOPT_READDATA, nullptr);
}

bool SinConexion(const QString& host)
{
    if (EsLocal(host.trimmed()))
        return false;
    const QDir red(QStringLiteral("/sys/class/net"));
    for (const QString& interfaz : red.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        if (interfaz == QLatin1String("lo"))
            continue;
        QFile estado(red.filePath(interfaz + QStringLiteral("/operstate")));
        if (!estado.open(QIODevice::ReadOnly))
            continue;
        const QByteArray e = estado.readAll().trimmed();
        if (e == "up" || e == "unknown")
            return false;
    }
    return true;
}
