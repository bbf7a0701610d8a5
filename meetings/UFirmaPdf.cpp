// NSS's headers name a member "slots", which Qt's keywords would replace:
// they come first, and this file is compiled on its own (not in a batch).
#include <cert.h>
#include <ciferfam.h>
#include <nss.h>
#include <p12.h>
#include <p12plcy.h>
#include <pk11pub.h>
#include <prerror.h>
#include <secerr.h>

#include "UFirmaPdf.h"
#include "FIBError.h"
#include "UPerfil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRectF>
#include <QTemporaryDir>
#include <poppler-form.h>
#include <poppler-qt6.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

const QString kSeccion = QStringLiteral("Firma");
// The token names of the stores opened: NSS prefixes each certificate's
// nickname with them, which is how a certificate names its store.
const QString kTokenElegido = QStringLiteral("QD almacen");
const QString kTokenImportado = QStringLiteral("QD ");

QString NssError()
{
    const PRErrorCode e = PORT_GetError();
    const char* texto = PR_ErrorToString(e, PR_LANGUAGE_I_DEFAULT);
    return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(texto ? texto : "")).arg(e);
}

struct LiberaCert {
    void operator()(CERTCertificate* c) const { CERT_DestroyCertificate(c); }
};
struct LiberaLista {
    void operator()(CERTCertList* l) const { CERT_DestroyCertList(l); }
};
struct LiberaTexto {
    void operator()(char* t) const { PORT_Free(t); }
};
struct LiberaDecoder {
    void operator()(SEC_PKCS12DecoderContext* d) const { SEC_PKCS12DecoderFinish(d); }
};

QString NombreComun(const CERTName* nombre)
{
    std::unique_ptr<char, LiberaTexto> cn(CERT_GetCommonName(nombre));
    return cn ? QString::fromUtf8(cn.get()) : QString();
}

// The program's own store: one NSS database per imported certificate.
QString CarpetaPropia() { return CarpetaConfiguracion() + QStringLiteral("/certificados"); }

QString DesktopStore() { return QDir::homePath() + QStringLiteral("/.pki/nssdb"); }

// A quoted value of NSS's module parameters.
QString Parametro(QString valor)
{
    valor.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    valor.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + valor + QLatin1Char('\'');
}

// The NSS databases open in this process besides NSS's own (none): the store
// chosen and each imported certificate's. NSS is set up once, before Poppler
// looks at it, so that Poppler never opens a store of its own choosing; the
// databases are closed at exit before Poppler shuts NSS down.
class TAlmacenes {
public:
    static TAlmacenes& Uno()
    {
        static TAlmacenes* almacenes = [] {
            if (!NSS_IsInitialized() && NSS_NoDB_Init(nullptr) != SECSuccess)
                throw EAviso(QStringLiteral("No se puede iniciar la biblioteca de certificados (NSS): %1").arg(NssError()));
            for (const long cifrado : {PKCS12_RC2_CBC_40, PKCS12_RC2_CBC_128, PKCS12_RC4_40, PKCS12_RC4_128,
                                       PKCS12_DES_56, PKCS12_DES_EDE3_168})
                SEC_PKCS12EnableCipher(cifrado, 1);
            // Poppler sets itself up (and arranges NSS's shutdown at exit) on
            // its first look at the certificates: now, with none open.
            Poppler::getAvailableSigningCertificates();
            auto* a = new TAlmacenes;
            std::atexit([] { Uno().CierraTodo(); });
            a->Abre(TAjustesFirma::Lee().Almacen);
            return a;
        }();
        return *almacenes;
    }

    // Opens the store chosen and the program's own, closing what was open.
    void Abre(const QString& carpeta)
    {
        CierraTodo();
        AbreElegido(carpeta);
        AbreImportados();
    }

private:
    void AbreElegido(const QString& carpeta)
    {
        const QString dir = carpeta.isEmpty() ? DesktopStore() : carpeta;
        if (QFileInfo::exists(dir + QStringLiteral("/cert9.db")))
            elegido_ = AbreBase(QStringLiteral("sql:") + dir, kTokenElegido, true);
        else if (QFileInfo::exists(dir + QStringLiteral("/cert8.db")))
            elegido_ = AbreBase(QStringLiteral("dbm:") + dir, kTokenElegido, true);
    }

    void AbreImportados()
    {
        const QDir propia(CarpetaPropia());
        for (const QString& nombre : propia.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            if (PK11SlotInfo* s = AbreBase(QStringLiteral("sql:") + propia.filePath(nombre), kTokenImportado + nombre, true))
                importados_.push_back(s);
    }

public:
    // A new database of the program's own store, read-write, for an import.
    PK11SlotInfo* Nuevo(const QString& carpeta, const QString& nombre)
    {
        return AbreBase(QStringLiteral("sql:") + carpeta, kTokenImportado + nombre, false);
    }
    void Anade(PK11SlotInfo* s) { importados_.push_back(s); }

    std::vector<PK11SlotInfo*> Todos() const
    {
        std::vector<PK11SlotInfo*> r;
        if (elegido_)
            r.push_back(elegido_);
        r.insert(r.end(), importados_.begin(), importados_.end());
        return r;
    }

    static void Cierra(PK11SlotInfo* s)
    {
        if (!s)
            return;
        SECMOD_CloseUserDB(s);
        PK11_FreeSlot(s);
    }

private:
    static PK11SlotInfo* AbreBase(const QString& configdir, const QString& token, bool soloLectura)
    {
        const QString modulo = QStringLiteral("configdir=%1 tokenDescription=%2%3")
                                 .arg(Parametro(configdir), Parametro(token),
                                      soloLectura ? QStringLiteral(" flags=readOnly") : QString());
        PK11SlotInfo* s = SECMOD_OpenUserDB(modulo.toUtf8().constData());
        if (s && !PK11_IsPresent(s)) {
            Cierra(s);
            return nullptr;
        }
        return s;
    }

    void CierraTodo()
    {
        Cierra(elegido_);
        elegido_ = nullptr;
        for (PK11SlotInfo* s : importados_)
            Cierra(s);
        importados_.clear();
    }

    PK11SlotInfo* elegido_ = nullptr;
    std::vector<PK11SlotInfo*> importados_;
};

// The certificates of a store that have their private key there.
QList<TCertificado> DeFirma(PK11SlotInfo* slot)
{
    QList<TCertificado> r;
    std::unique_ptr<CERTCertList, LiberaLista> lista(PK11_ListCertsInSlot(slot));
    if (!lista)
        return r;
    const QString token = QString::fromUtf8(PK11_GetTokenName(slot));
    for (CERTCertListNode* n = CERT_LIST_HEAD(lista.get()); !CERT_LIST_END(n, lista.get()); n = CERT_LIST_NEXT(n)) {
        CERTCertificate* c = n->cert;
        if (!CERT_IsUserCert(c))
            continue;
        TCertificado cert;
        cert.Titular = NombreComun(&c->subject);
        if (cert.Titular.isEmpty())
            cert.Titular = QString::fromUtf8(c->subjectName);
        cert.Emisor = NombreComun(&c->issuer);
        PRTime desde = 0, hasta = 0;
        CERT_GetCertTimes(c, &desde, &hasta);
        cert.Caduca = QDateTime::fromMSecsSinceEpoch(hasta / 1000, Qt::UTC);
        QString apodo = QString::fromUtf8(c->nickname ? c->nickname : "");
        if (!apodo.startsWith(token + QLatin1Char(':')))
            apodo = token + QLatin1Char(':') + apodo;
        cert.Apodo = apodo;
        cert.Importado = token.startsWith(kTokenImportado) && token != kTokenElegido;
        r << cert;
    }
    return r;
}

PK11SlotInfo* RanuraDe(const TCertificado& c)
{
    const QString token = c.Apodo.section(QLatin1Char(':'), 0, 0);
    for (PK11SlotInfo* s : TAlmacenes::Uno().Todos())
        if (QString::fromUtf8(PK11_GetTokenName(s)) == token)
            return s;
    return nullptr;
}

QString Fecha(const QDateTime& d) { return d.toLocalTime().toString(QStringLiteral("dd/MM/yyyy")); }

// The password of a .p12 file as PKCS #12 wants it: UCS-2, big-endian,
// ending in a zero character.
QByteArray ClaveP12(const QString& clave)
{
    QByteArray r;
    for (const QChar c : clave) {
        r.append(char(c.unicode() >> 8));
        r.append(char(c.unicode() & 0xFF));
    }
    r.append(2, '\0');
    return r;
}

SECItem* ApodoNuevo(SECItem* anterior, PRBool* cancela, void*)
{
    *cancela = PR_FALSE;
    static int n = 0;
    if (anterior && anterior->data && anterior->len)
        return SECITEM_DupItem(anterior);
    const QByteArray apodo = QStringLiteral("certificado %1").arg(++n).toUtf8();
    SECItem item{siUTF8String, reinterpret_cast<unsigned char*>(const_cast<char*>(apodo.constData())),
                 static_cast<unsigned int>(apodo.size())};
    return SECITEM_DupItem(&item);
}

} // namespace

QString TAjustesFirma::TextoPorDefecto()
{
    return QStringLiteral("Firmado por [Firmante]\nel [Fecha]\nActa de la junta de propietarios de [Comunidad]");
}

TAjustesFirma TAjustesFirma::Lee()
{
    const TIniFile ini(FicheroPerfil(QStringLiteral("quorumdesk.ini")));
    TAjustesFirma a;
    a.Almacen = ini.ReadString(kSeccion, QStringLiteral("Almacen"), QString());
    const QString texto = ini.ReadString(kSeccion, QStringLiteral("Texto"), QString());
    if (!texto.isEmpty()) {
        // One line in the file: "\n" is a line break, "\\" a backslash.
        QString t;
        for (qsizetype i = 0; i < texto.size(); ++i) {
            if (texto[i] == QLatin1Char('\\') && i + 1 < texto.size()) {
                t += texto[++i] == QLatin1Char('n') ? QChar(QLatin1Char('\n')) : texto[i];
            } else {
                t += texto[i];
            }
        }
        a.Texto = t;
    }
    const int posicion = ini.ReadString(kSeccion, QStringLiteral("Posicion"), QStringLiteral("0")).toInt();
    if (posicion >= 0 && posicion <= int(TPosicionFirma::ArribaIzquierda))
        a.Posicion = TPosicionFirma(posicion);
    return a;
}

void TAjustesFirma::Guarda() const
{
    TIniFile ini(FicheroPerfil(QStringLiteral("quorumdesk.ini")));
    QString texto = Texto;
    texto.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    texto.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    ini.WriteString(kSeccion, QStringLiteral("Almacen"), Almacen);
    ini.WriteString(kSeccion, QStringLiteral("Texto"), texto);
    ini.WriteString(kSeccion, QStringLiteral("Posicion"), QString::number(int(Posicion)));
    TAlmacenes::Uno().Abre(Almacen);
}

QString TAjustesFirma::TextoBloque(const QString& firmante, const QDateTime& fecha, const QString& comunidad) const
{
    QString t = Texto;
    t.replace(QStringLiteral("[Firmante]"), firmante);
    t.replace(QStringLiteral("[Fecha]"), fecha.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    t.replace(QStringLiteral("[Comunidad]"), comunidad);
    return t;
}

QList<TAlmacen> AlmacenesDisponibles()
{
    QList<TAlmacen> r{{QString(), QStringLiteral("Almacén del escritorio (%1)").arg(DesktopStore())}};
    const QString home = QDir::homePath();
    for (const QString& raiz : {home + QStringLiteral("/.mozilla/firefox"),
                                home + QStringLiteral("/snap/firefox/common/.mozilla/firefox")}) {
        const QDir perfiles(raiz);
        for (const QString& perfil : perfiles.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            if (QFileInfo::exists(perfiles.filePath(perfil) + QStringLiteral("/cert9.db")))
                r << TAlmacen{perfiles.filePath(perfil), QStringLiteral("Firefox, perfil %1").arg(perfil)};
    }
    return r;
}

QString TCertificado::Descripcion() const
{
    return Caducado() ? QStringLiteral("%1 — caducado el %2").arg(Titular, Fecha(Caduca))
                      : QStringLiteral("%1 — caduca el %2").arg(Titular, Fecha(Caduca));
}

QList<TCertificado> CertificadosDeFirma()
{
    QList<TCertificado> r;
    for (PK11SlotInfo* s : TAlmacenes::Uno().Todos())
        r << DeFirma(s);
    return r;
}

TCertificado ImportaCertificado(const QString& fichero, const QString& clave)
{
    TAlmacenes& almacenes = TAlmacenes::Uno();
    QFile f(fichero);
    if (!f.open(QIODevice::ReadOnly))
        throw EAviso(QStringLiteral("No se puede abrir el fichero %1").arg(QDir::toNativeSeparators(fichero)));
    QByteArray datos = f.readAll();
    const QString nombre = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmsszzz"));
    const QString carpeta = CarpetaPropia() + QLatin1Char('/') + nombre;
    if (!QDir().mkpath(carpeta))
        throw EAviso(QStringLiteral("No se puede crear la carpeta %1").arg(QDir::toNativeSeparators(carpeta)));
    PK11SlotInfo* slot = almacenes.Nuevo(carpeta, nombre);
    // Until it is whole, the new database goes away with any refusal.
    struct Deshace {
        PK11SlotInfo*& slot;
        QString carpeta;
        ~Deshace()
        {
            if (!slot)
                return;
            TAlmacenes::Cierra(slot);
            QDir(carpeta).removeRecursively();
        }
    } deshace{slot, carpeta};
    if (!slot)
        throw EAviso(QStringLiteral("No se puede crear el almacén del certificado: %1").arg(NssError()));
    const QByteArray claveUtf8 = clave.toUtf8();
    if (PK11_NeedUserInit(slot) && PK11_InitPin(slot, nullptr, claveUtf8.constData()) != SECSuccess)
        throw EAviso(QStringLiteral("No se puede proteger el almacén del certificado: %1").arg(NssError()));
    if (PK11_NeedLogin(slot) && PK11_CheckUserPassword(slot, claveUtf8.constData()) != SECSuccess)
        throw EAviso(QStringLiteral("No se puede abrir el almacén del certificado: %1").arg(NssError()));

    QByteArray unicode = ClaveP12(clave);
    SECItem pw{siBuffer, reinterpret_cast<unsigned char*>(unicode.data()), static_cast<unsigned int>(unicode.size())};
    std::unique_ptr<SEC_PKCS12DecoderContext, LiberaDecoder> dcx(
        SEC_PKCS12DecoderStart(&pw, slot, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    auto rechazo = [&] {
        const PRErrorCode e = PORT_GetError();
        if (e == SEC_ERROR_BAD_PASSWORD || e == SEC_ERROR_PKCS12_PRIVACY_PASSWORD_INCORRECT ||
            e == SEC_ERROR_PKCS12_INVALID_MAC)
            return EAviso(QStringLiteral("La contraseña del fichero %1 no es correcta.").arg(QFileInfo(fichero).fileName()));
        return EAviso(QStringLiteral("El fichero %1 no es un certificado .p12 o .pfx que se pueda leer: %2")
                          .arg(QFileInfo(fichero).fileName(), NssError()));
    };
    if (!dcx || SEC_PKCS12DecoderUpdate(dcx.get(), reinterpret_cast<unsigned char*>(datos.data()),
                                        static_cast<unsigned long>(datos.size())) != SECSuccess ||
        SEC_PKCS12DecoderVerify(dcx.get()) != SECSuccess)
        throw rechazo();
    if (SEC_PKCS12DecoderValidateBags(dcx.get(), ApodoNuevo) != SECSuccess ||
        SEC_PKCS12DecoderImportBags(dcx.get()) != SECSuccess)
        throw rechazo();
    dcx.reset();

    const QList<TCertificado> certificados = DeFirma(slot);
    if (certificados.isEmpty())
        throw EAviso(QStringLiteral("El fichero %1 no contiene la clave privada de su certificado: no sirve para firmar.")
                         .arg(QFileInfo(fichero).fileName()));
    for (const TCertificado& c : certificados) {
        if (!c.Caducado()) {
            almacenes.Anade(slot);
            slot = nullptr;
            return c;
        }
    }
    throw EAviso(QStringLiteral("El certificado de %1 caducó el %2: no sirve para firmar.")
                     .arg(certificados.first().Titular, Fecha(certificados.first().Caduca)));
}

void CompruebaCertificado(const TCertificado& certificado, const QString& clave)
{
    if (certificado.Caducado())
        throw EAviso(QStringLiteral("El certificado de %1 caducó el %2: no se puede firmar con él.")
                         .arg(certificado.Titular, Fecha(certificado.Caduca)));
    PK11SlotInfo* slot = RanuraDe(certificado);
    if (!slot)
        throw EAviso(QStringLiteral("El certificado de %1 ya no está en el almacén.").arg(certificado.Titular));
    if (PK11_NeedLogin(slot) && !PK11_NeedUserInit(slot) &&
        PK11_CheckUserPassword(slot, clave.toUtf8().constData()) != SECSuccess)
        throw EAviso(QStringLiteral("La contraseña del certificado de %1 no es correcta.").arg(certificado.Titular));
}

void FirmaPdf(const QString& origen, const QString& destino, const TCertificado& certificado, const QString& clave,
              const QString& textoBloque, TPosicionFirma posicion, const QString& motivo)
{
    CompruebaCertificado(certificado, clave);
    std::unique_ptr<Poppler::Document> doc(Poppler::Document::load(origen));
    if (!doc || doc->isLocked() || doc->numPages() < 1)
        throw EAviso(QStringLiteral("No se puede leer el PDF que se iba a firmar: %1").arg(QDir::toNativeSeparators(origen)));
    const int ultima = doc->numPages() - 1;
    std::unique_ptr<Poppler::PDFConverter> conversor(doc->pdfConverter());
    conversor->setOutputFileName(destino);
    Poppler::PDFConverter::NewSignatureData datos;
    datos.setCertNickname(certificado.Apodo);
    datos.setPassword(clave);
    datos.setPage(ultima);
    // Fractions of the page, from its top left corner.
    const double ancho = 0.42, alto = 0.09, margen = 0.05;
    const bool derecha = posicion == TPosicionFirma::AbajoDerecha || posicion == TPosicionFirma::ArribaDerecha;
    const bool abajo = posicion == TPosicionFirma::AbajoDerecha || posicion == TPosicionFirma::AbajoIzquierda;
    datos.setBoundingRectangle(QRectF(derecha ? 1 - margen - ancho : margen, abajo ? 1 - margen - alto : margen, ancho, alto));
    datos.setSignatureText(textoBloque);
    datos.setFontSize(8);
    datos.setFontColor(QColor(0x10, 0x20, 0x40));
    datos.setBorderColor(QColor(0x10, 0x20, 0x40));
    datos.setBorderWidth(1);
    datos.setBackgroundColor(QColor(0xF4, 0xF6, 0xFA));
    datos.setReason(motivo);
    QFile::remove(destino);
    if (!conversor->sign(datos) || QFileInfo(destino).size() <= 0) {
        QFile::remove(destino);
        throw EAviso(QStringLiteral("No se ha podido firmar el documento con el certificado de %1.").arg(certificado.Titular));
    }
}

QList<TFirmaComprobada> CompruebaFirmas(const QByteArray& pdf)
{
    TAlmacenes::Uno();
    std::unique_ptr<Poppler::Document> doc(Poppler::Document::loadFromData(pdf));
    if (!doc)
        throw EAviso(QStringLiteral("El fichero no es un documento PDF."));
    QList<TFirmaComprobada> r;
    for (const std::unique_ptr<Poppler::FormFieldSignature>& firma : doc->signatures()) {
        if (firma->signatureType() == Poppler::FormFieldSignature::UnsignedSignature)
            continue;
        using V = Poppler::SignatureValidationInfo;
        // Offline: the window would wait on a revocation server otherwise.
        const V v = firma->validate(Poppler::FormFieldSignature::ValidateVerifyCertificate |
                                        Poppler::FormFieldSignature::ValidateWithoutOCSPRevocationCheck,
                                    QDateTime::currentDateTime());
        TFirmaComprobada c;
        c.Firmante = v.signerName();
        c.Fecha = QDateTime::fromSecsSinceEpoch(v.signingTime());
        c.Completa = v.signsTotalDocument();
        switch (v.signatureStatus()) {
        case V::SignatureValid: c.Estado = c.Completa ? TFirmaComprobada::TEstado::Valida : TFirmaComprobada::TEstado::Alterada; break;
        case V::SignatureDigestMismatch: c.Estado = TFirmaComprobada::TEstado::Alterada; break;
        default: c.Estado = TFirmaComprobada::TEstado::NoValida; break;
        }
        switch (firma->signatureType()) {
        case Poppler::FormFieldSignature::AdbePkcs7detached: c.Tipo = QStringLiteral("adbe.pkcs7.detached"); break;
        case Poppler::FormFieldSignature::AdbePkcs7sha1: c.Tipo = QStringLiteral("adbe.pkcs7.sha1"); break;
        case Poppler::FormFieldSignature::EtsiCAdESdetached: c.Tipo = QStringLiteral("ETSI.CAdES.detached"); break;
        default: c.Tipo = QStringLiteral("desconocido"); break;
        }
        switch (v.certificateStatus()) {
        case V::CertificateTrusted: c.Certificado = QStringLiteral("de confianza"); break;
        case V::CertificateUntrustedIssuer: c.Certificado = QStringLiteral("emitido por una autoridad que no es de confianza"); break;
        case V::CertificateUnknownIssuer: c.Certificado = QStringLiteral("emitido por una autoridad que este equipo no conoce"); break;
        case V::CertificateRevoked: c.Certificado = QStringLiteral("revocado"); break;
        case V::CertificateExpired: c.Certificado = QStringLiteral("caducado"); break;
        default: c.Certificado = QStringLiteral("no se ha podido comprobar"); break;
        }
        r << c;
    }
    return r;
}

QString InformeFirmas(const QList<TFirmaComprobada>& firmas)
{
    if (firmas.isEmpty())
        return QStringLiteral("El documento no está firmado.");
    QStringList partes;
    for (const TFirmaComprobada& f : firmas) {
        QString estado;
        switch (f.Estado) {
        case TFirmaComprobada::TEstado::Valida: estado = QStringLiteral("La firma es válida y cubre todo el documento."); break;
        case TFirmaComprobada::TEstado::Alterada:
            estado = QStringLiteral("La firma no es válida: el documento se ha cambiado después de firmarlo.");
            break;
        case TFirmaComprobada::TEstado::NoValida: estado = QStringLiteral("La firma no es válida."); break;
        }
        partes << QStringLiteral("%1\nFirmado por: %2\nFecha de la firma: %3\nTipo de firma: %4\nCertificado: %5")
                      .arg(estado, f.Firmante, f.Fecha.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")), f.Tipo,
                           f.Certificado);
    }
    return partes.join(QStringLiteral("\n\n"));
}
