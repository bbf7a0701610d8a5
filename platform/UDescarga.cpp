#include "UDescarga.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QSaveFile>

#include <curl/curl.h>

namespace {

void AtiendePintado()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

struct Multi {
    CURLM* m = curl_multi_init();
    ~Multi()
    {
        if (m)
            curl_multi_cleanup(m);
    }
};

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
    Multi multi;
    if (!multi.m)
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

    curl_multi_add_handle(multi.m, curl);
    int activos = 1;
    CURLcode resultado = CURLE_OK;
    while (activos > 0 && escrito) {
        if (curl_multi_perform(multi.m, &activos) != CURLM_OK)
            break;
        escribeBloques(false);
        if (activos > 0) {
            curl_multi_poll(multi.m, nullptr, 0, 20, nullptr);
            AtiendePintado();
        }
    }
    int pendientes = 0;
    bool terminado = false;
    while (CURLMsg* msg = curl_multi_info_read(multi.m, &pendientes)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == curl) {
            resultado = msg->data.result;
            terminado = true;
        }
    }
    curl_multi_remove_handle(multi.m, curl);
    if (!terminado || resultado != CURLE_OK || !escrito) {
        destino.cancelWriting();
        return false;
    }
    escribeBloques(true);
    return escrito && destino.commit();
}
