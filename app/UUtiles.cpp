#include "UUtiles.h"

#include "Platform.h"
#include "UFAsk.h"
#include "UFInput2.h"
#include "UFStop.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>

#include <curl/curl.h>

EUtilesError::EUtilesError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

namespace {

// Lets the windows repaint (and timers run) for `ms` milliseconds while user
// input waits: the program is busy with an external program or a transfer.
void EsperaPintando(int ms)
{
    QEventLoop bucle;
    QTimer::singleShot(ms, &bucle, &QEventLoop::quit);
    bucle.exec(QEventLoop::ExcludeUserInputEvents);
}

void AtiendePintado()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Surrounding blanks are every character up to the blank (control characters
// included), so a trailing carriage return or tab goes too.
QString Recorta(const QString& texto)
{
    qsizetype inicio = 0, fin = texto.size();
    while (inicio < fin && texto.at(inicio).unicode() <= u' ')
        ++inicio;
    while (fin > inicio && texto.at(fin - 1).unicode() <= u' ')
        --fin;
    return texto.mid(inicio, fin - inicio);
}

} // namespace

QString SaltosDeLinea(const QString& texto)
{
    QString lineas = texto;
    lineas.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lineas.replace(u'\r', u'\n');
    return lineas;
}

// ------------------------------------------------------------------ dialogs --

void CentraEnPantalla(QWidget* ventana)
{
    QScreen* pantalla = ventana->isVisible() ? ventana->screen() : QGuiApplication::primaryScreen();
    if (!pantalla)
        return;
    ventana->adjustSize();
    QRect marco = ventana->frameGeometry();
    marco.moveCenter(pantalla->availableGeometry().center());
    ventana->move(marco.topLeft());
}

void Mensaje(const QString& texto, bool informativo)
{
    TFStop ventana(QApplication::activeWindow());
    ventana.Prepara(texto, informativo);
    CentraEnPantalla(&ventana);
    ventana.exec();
}

int Pregunta(const QString& texto, const QStringList& respuestas)
{
    TFAsk ventana(QApplication::activeWindow());
    ventana.Prepara(texto, respuestas);
    CentraEnPantalla(&ventana);
    ventana.exec();
    return ventana.Respuesta();
}

QString PideDato(const QString& titulo, const QString& etiqueta, const QString& inicial)
{
    TFInput2 ventana(QApplication::activeWindow());
    ventana.Prepara(titulo, etiqueta, inicial);
    CentraEnPantalla(&ventana);
    ventana.exec();
    return ventana.Resultado();
}

// --------------------------------------------------------- dates and texts --

namespace {

// The "dd/mm/yyyy" text taken apart by position, the month moved by `paso`
// and the text put back together: the day number stays, and a day the target
// month does not have is a conversion error.
QDate MueveMes(const QDate& fecha, int paso)
{
    if (!fecha.isValid())
        throw EConvertError(QStringLiteral("La fecha no es válida"));
    const QString texto = FormatoFecha(fecha);
    const int dia = texto.mid(0, 2).toInt();
    int mes = texto.mid(3, 2).toInt() + paso;
    int anio = texto.mid(6, 4).toInt();
    if (mes > 12) {
        mes = 1;
        ++anio;
    } else if (mes < 1) {
        mes = 12;
        --anio;
    }
    return TextoAFecha(QStringLiteral("%1/%2/%3")
                           .arg(dia, 2, 10, QLatin1Char('0'))
                           .arg(mes, 2, 10, QLatin1Char('0'))
                           .arg(anio, 4, 10, QLatin1Char('0')));
}

} // namespace

QDate MesSiguiente(const QDate& fecha)
{
    return MueveMes(fecha, 1);
}

QDate MesAnterior(const QDate& fecha)
{
    return MueveMes(fecha, -1);
}

QString NombreMes(int mes)
{
    static const char16_t* const nombres[] = {
        u"Enero", u"Febrero", u"Marzo", u"Abril", u"Mayo", u"Junio", u"Julio",
        u"Agosto", u"Septiembre", u"Octubre", u"Noviembre", u"Diciembre"};
    if (mes < 1 || mes > 12)
        return {};
    return QString::fromUtf16(nombres[mes - 1]);
}

QString FechaSQL(const QString& texto)
{
    const QDate fecha = texto.trimmed() == QStringLiteral("DATE") ? QDate::currentDate()
                                                                 : TextoAFecha(texto);
    const QString ddmmyyyy = FormatoFecha(fecha);
    return ddmmyyyy.mid(3, 2) + u'/' + ddmmyyyy.mid(0, 2) + ddmmyyyy.mid(5);
}

int TextoAEntero(const QString& texto)
{
    const QString limpio = Recorta(texto);
    if (limpio.isEmpty())
        return 0;
    bool ok = false;
    const int valor = limpio.toInt(&ok, 10); // an optional sign and digits only
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' no es un número entero válido").arg(texto));
    return valor;
}

QString RellenaCeros(int ancho, const QString& texto)
{
    const qsizetype faltan = std::min<qsizetype>(ancho - texto.size(), 10);
    if (faltan <= 0)
        return texto;
    return QString(faltan, u'0') + texto;
}

QString Espacios(int cantidad)
{
    return cantidad > 0 ? QString(cantidad, u' ') : QString();
}

QString AlineaDerecha(const QString& texto, int ancho, const QString& relleno)
{
    const QString limpio = Recorta(texto);
    const qsizetype veces = ancho - limpio.size();
    return veces > 0 ? relleno.repeated(veces) + limpio : limpio;
}

QString AlineaIzquierda(const QString& texto, int ancho, const QString& relleno)
{
    const QString limpio = Recorta(texto);
    const qsizetype veces = ancho - limpio.size();
    return veces > 0 ? limpio + relleno.repeated(veces) : limpio;
}

QString ReemplazaCorta(const QString& texto, const QString& patron, const QString& reemplazo)
{
    if (patron.isEmpty())
        return texto;
    if (patron.size() == 1)
        return QString(texto).replace(patron, reemplazo);
    const qsizetype pos = texto.indexOf(patron);
    if (pos < 0)
        return texto;
    return texto.left(pos) + reemplazo;
}

QString ReemplazaPrimero(const QString& texto, const QString& patron, const QString& reemplazo)
{
    if (patron.isEmpty())
        return texto;
    if (patron.size() == 1)
        return QString(texto).replace(patron, reemplazo);
    const qsizetype pos = texto.indexOf(patron);
    if (pos < 0)
        return texto;
    return QString(texto).replace(pos, patron.size(), reemplazo);
}

namespace {

// A part of an account code: blanks removed, only digits, at most `ancho` of
// them, padded on the left with zeros.
QString ParteCuenta(const QString& parte, int ancho, const QString& nombre)
{
    const QString limpio = Recorta(parte);
    for (const QChar c : limpio)
        if (c < u'0' || c > u'9')
            throw EConvertError(QStringLiteral("'%1' no es un número válido de %2").arg(parte, nombre));
    if (limpio.size() > ancho)
        throw EConvertError(QStringLiteral("'%1' tiene más de %2 cifras (%3)").arg(parte).arg(ancho).arg(nombre));
    return QString(ancho - limpio.size(), u'0') + limpio;
}

QChar DigitoControl(const QString& cifras)
{
    static const int pesos[] = {6, 3, 7, 9, 10, 5, 8, 4, 2, 1};
    int suma = 0;
    for (qsizetype i = 0; i < cifras.size(); ++i)
        suma += (cifras.at(cifras.size() - 1 - i).unicode() - u'0') * pesos[i];
    const int resto = suma % 11;
    const int digito = resto <= 1 ? resto : 11 - resto;
    return QChar(u'0' + digito);
}

} // namespace

QString DigitosControlCuenta(const QString& entidad, const QString& oficina,
                             const QString& digitos, const QString& cuenta)
{
    if (Recorta(entidad).isEmpty() || Recorta(cuenta).isEmpty())
        return QStringLiteral("  ");
    const QString calculados =
        QString(DigitoControl(ParteCuenta(entidad, 4, QStringLiteral("entidad")) +
                              ParteCuenta(oficina, 4, QStringLiteral("oficina")))) +
        DigitoControl(ParteCuenta(cuenta, 10, QStringLiteral("cuenta")));
    const QString dados = Recorta(digitos);
    if (dados.isEmpty())
        return calculados;
    return dados == calculados ? calculados : QStringLiteral("**");
}

// ---------------------------------------------------------------- files --

qint64 FechaFichero(const QString& fichero)
{
    QFile f(fichero);
    if (!f.open(QIODevice::ReadOnly)) {
        QMessageBox caja(QMessageBox::NoIcon, QApplication::applicationName(),
                         QStringLiteral("No se puede abrir el fichero"), QMessageBox::Ok,
                         QApplication::activeWindow());
        caja.exec();
        return -1;
    }
    return f.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch();
}

void BorraFicheros(const QString& directorio, const QString& mascara)
{
    // Without QDir::Hidden and QDir::System: no hidden files, no devices,
    // sockets or dangling links. Name filters ignore case unless told not to.
    QDir dir(directorio, mascara, QDir::NoSort, QDir::Files);
    for (const QString& nombre : dir.entryList())
        dir.remove(nombre);
}

std::optional<TVersionFichero> VersionFichero(const QString& fichero)
{
    const QString propio = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString pedido = QFileInfo(fichero).canonicalFilePath();
    if (pedido.isEmpty() || pedido != propio)
        return std::nullopt;
    const QStringList partes = QStringLiteral(QD_VERSION).split(u'.');
    TVersionFichero v;
    int* const campos[] = {&v.mayor, &v.menor, &v.revision, &v.compilacion};
    for (qsizetype i = 0; i < partes.size() && i < 4; ++i)
        *campos[i] = partes.at(i).toInt();
    return v;
}

QString TextoVersion(const TVersionFichero& version)
{
    return QString::asprintf("Versión %d.%d%d", version.mayor, version.menor, version.revision);
}

// ------------------------------------------------------------- internet --

namespace {

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

// -------------------------------------------------------------- processes --

THandleProceso EjecutaPrograma(const QString& comando, const QString& parametros, bool oculto)
{
    const auto pid = plataforma::Lanza(comando, QProcess::splitCommand(parametros), oculto);
    if (!pid)
        throw EUtilesError(QStringLiteral("No se puede actualizar"));
    return *pid;
}

int EsperaPrograma(THandleProceso proceso, const QString& nombre)
{
    if (nombre.isEmpty()) {
        std::optional<int> estado;
        while (!(estado = plataforma::Termino(proceso)))
            EsperaPintando(50);
        return *estado;
    }
    EsperaPintando(5000);
    while (ProcesoActivo(nombre))
        EsperaPintando(250);
    const std::optional<int> estado = plataforma::Termino(proceso);
    if (!estado)
        plataforma::Abandona(proceso);
    return estado.value_or(-1);
}

bool ProcesoActivo(const QString& nombre)
{
    return plataforma::HayProceso(nombre);
}

// ------------------------------------------------------------------ mail --

int EnviaCorreo(const QString& asunto, const QString& cuerpo, const QString& adjunto,
                const QString& direccion, const QString& /*nombre*/,
                const QString& /*direccionRemitente*/, const QString& /*nombreRemitente*/)
{
    QStringList argumentos{QStringLiteral("--utf8")};
    if (!asunto.isEmpty())
        argumentos << QStringLiteral("--subject") << asunto;
    if (!cuerpo.isEmpty())
        argumentos << QStringLiteral("--body") << cuerpo;
    if (!adjunto.isEmpty())
        argumentos << QStringLiteral("--attach") << QFileInfo(adjunto).absoluteFilePath();
    for (const QString& d : direccion.split(u';')) {
        const QString limpia = Recorta(d);
        if (!limpia.isEmpty())
            argumentos << limpia;
    }
    const auto pid = plataforma::Lanza(QStringLiteral("xdg-email"), argumentos, false);
    if (!pid)
        return -1;
    // xdg-email hands the message over and ends; with some mail programs it
    // stays until the program closes, and then the message is already shown.
    QElapsedTimer reloj;
    reloj.start();
    while (reloj.elapsed() < 15000) {
        if (const auto estado = plataforma::Termino(*pid))
            return *estado;
        EsperaPintando(50);
    }
    plataforma::Abandona(*pid);
    return 0;
}

// ------------------------------------------------------------- lookups --

void TeclaBusqueda(QWidget* campo, int tecla)
{
    if (tecla != Qt::Key_F2 || !campo)
        return;
    // A lookup field opens its dialog on any character that cannot be part
    // of a code; the NUL character adds nothing to the search text.
    QKeyEvent pulsacion(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(u'\0')));
    QCoreApplication::sendEvent(campo, &pulsacion);
}

// --------------------------------------------------------------- system --

QString NombreSistemaOperativo()
{
    return plataforma::NombreSistema();
}
