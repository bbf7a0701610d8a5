#include "UDescarga.h"
#include "UCurl.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSaveFile>


namespace {

void AtiendePintado()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

size_t Recibe(char* datos, size_t tam, size_t n, void* destino)
{
    static_cast<QByteArray*>(destino)->append(datos, static_cast<qsizetype>(tam * n));
    return tam * n;
}

} // namespace

struct TConexionInternet::Datos {
    QByteArray agente;
    CURL* curl = nullptr;
    ~Datos()
    {
        if (curl)
            curl_easy_cleanup(curl);
    }
};

TConexionInternet::TConexionInternet(const QString& agente)
    : d(std::make_unique<Datos>())
{
    static const bool iniciado = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    d->agente = agente.toUtf8();
    if (iniciado)
        d->curl = curl_easy_init();
}

TConexionInternet::~TConexionInternet() = default;

bool TConexionInternet::Abierta() const
{
    return d->curl != nullptr;
}

bool DescargaFichero(const QString& url, const QString& fichero, int bloque,
                     TConexionInternet& conexion)
{
    if (!conexion.Abierta())
        return false;
    QSaveFile destino(fichero);
    if (!destino.open(QIODevice::WriteOnly))
        return false;
    CURL* curl = conexion.d->curl;
    curl_easy_reset(curl);
    const QByteArray direccion = url.toUtf8();
    QByteArray recibido;
    curl_easy_setopt(curl, CURLOPT_URL, direccion.constData());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, conexion.d->agente.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // A server that stops answering does not hold the program for ever.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Recibe);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &recibido);

    const qsizetype tamBloque = std::max(bloque, 1);
    bool escrito = true;
    auto escribeBloques = [&](bool alFinal) {
        qsizetype hecho = 0;
        while (escrito && (recibido.size() - hecho >= tamBloque || (alFinal && hecho < recibido.size()))) {
            const qsizetype n = std::min(tamBloque, recibido.size() - hecho);
            escrito = destino.write(recibido.constData() + hecho, n) == n;
            hecho += n;
            AtiendePintado();
        }
        recibido.remove(0, hecho);
    };

    const CURLcode resultado = TransfiereConPintado(curl, [&] {
        escribeBloques(false);
        return escrito;
    });
    if (resultado != CURLE_OK || !escrito) {
        destino.cancelWriting();
        return false;
    }
    escribeBloques(true);
    return escrito && destino.commit();
}
