#include "DatosDemo.h"

#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"
#include "FIBTypes.h"

#include <QDate>
#include <QFile>
#include <QStringList>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <vector>

namespace {

TFIBValue T(const QString& s) { return TFIBValue::Text(s); }
TFIBValue I(qint64 v) { return TFIBValue::Integer(v); }
TFIBValue F(double v) { return TFIBValue::Float(v); }
TFIBValue D(const QDate& d, const QTime& t = QTime(0, 0)) { return TFIBValue::DateTime(MakeDateTime(d, t)); }

// One transaction on a database, committed by Fin(); rolled back when left
// unfinished (the transaction's destructor).
struct TTrabajo {
    TFIBDatabase& db;
    TFIBTransaction tr;
    explicit TTrabajo(TFIBDatabase& d) : db(d)
    {
        tr.SetDefaultDatabase(&db);
        tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
        tr.StartTransaction();
    }
    void Fin() { tr.Commit(); }
};

// A statement prepared once and executed once per row; the values are given
// in the order in which the parameters appear in the text.
class TLote {
public:
    TLote(TTrabajo& t, const QString& sql)
    {
        q_.SetDatabase(&t.db);
        q_.SetTransaction(&t.tr);
        q_.SetSQL(sql);
        q_.Prepare();
    }
    void operator()(std::initializer_list<TFIBValue> valores)
    {
        int i = 0;
        for (const TFIBValue& v : valores)
            q_.ParamAtPosition(i++)->SetValue(v);
        q_.ExecQuery();
    }

private:
    TFIBQuery q_;
};

// A file compiled into the program.
QByteArray Recurso(const QString& nombre)
{
    QFile f(nombre);
    if (!f.open(QIODevice::ReadOnly))
        throw EFIBError(QStringLiteral("No se puede leer %1").arg(nombre));
    return f.readAll();
}

// Round to n decimals.
double Redondea(double v, int n)
{
    const double f = std::pow(10.0, n);
    return std::round(v * f) / f;
}

// The two check digits of a Spanish bank account (entity, branch, account).
QString DigitosControl(const QString& entidad, const QString& oficina, const QString& cuenta)
{
    static const int pesos[10] = {1, 2, 4, 8, 5, 10, 9, 7, 3, 6};
    auto digito = [](const QString& diez) {
        int suma = 0;
        for (int i = 0; i < 10; ++i)
            suma += diez[i].digitValue() * pesos[i];
        const int r = 11 - suma % 11;
        return r == 11 ? 0 : (r == 10 ? 1 : r);
    };
    return QString::number(digito(QStringLiteral("00") + entidad + oficina)) +
           QString::number(digito(cuenta));
}

QString LetraNif(int numero)
{
    static const char letras[] = "TRWAGMYFPDXBNJZSQVHLCKE";
    return QString(QLatin1Char(letras[numero % 23]));
}

// Lower-case ASCII of a name, for e-mail addresses.
QString SinAcentos(const QString& s)
{
    QString r;
    for (const QChar c : s.normalized(QString::NormalizationForm_D))
        if (c.unicode() < 128)
            r += c.toLower();
    return r;
}

// Text to RTF: characters outside ASCII become \'hh (code page 1252).
QString Rtf(const QString& s)
{
    QString r;
    for (const QChar c : s) {
        if (c.unicode() < 128)
            r += c;
        else
            r += QStringLiteral("\\'%1").arg(c.unicode() & 0xFF, 2, 16, QLatin1Char('0'));
    }
    return r;
}

// The demo register, the same in the program's and the accounting database.

struct TFincaDemo {
    int codigo;
    QString nombre;
    int tipo, uso;
    double peso, m2;
    double coeficiente = 0;
    double cuota = 0; // euros a month
};

struct TDireccionDemo {
    QString domicilio, codPostal, poblacion, provincia;
    int activo;
};

struct TPropietarioDemo {
    int codigo;
    QString nombre, nif, telefono, movil, email;
    int idioma, formaPago;
    QString banco, oficina, dc, cuenta;
    std::vector<TFincaDemo> fincas;
    std::vector<TDireccionDemo> direcciones;
};

struct TComunidadDemo {
    int codigo;
    QString nombre, domicilio, codPostal, poblacion, provincia, telefono;
    double presupuesto; // euros a year
    std::vector<TPropietarioDemo> propietarios;
};

const char* const kNombres[] = {
    "ANTONIO", "MARÍA CARMEN", "JOSÉ", "ANA ISABEL", "FRANCISCO", "LAURA", "MANUEL", "CRISTINA",
    "JAVIER", "LUCÍA", "DAVID", "PILAR", "JESÚS", "ELENA", "CARLOS", "ROSA MARÍA", "MIGUEL ÁNGEL",
    "NURIA", "PEDRO", "BEATRIZ", "ALBERTO", "MONTSERRAT", "RAFAEL", "SILVIA", "JORGE", "INMACULADA"};
const char* const kApellidos[] = {
    "GARCÍA", "FERNÁNDEZ", "GONZÁLEZ", "RODRÍGUEZ", "LÓPEZ", "MARTÍNEZ", "SÁNCHEZ", "PÉREZ",
    "GÓMEZ", "MARTÍN", "JIMÉNEZ", "RUIZ", "HERNÁNDEZ", "DÍAZ", "MORENO", "ÁLVAREZ", "MUÑOZ",
    "ROMERO", "ALONSO", "GUTIÉRREZ", "NAVARRO", "TORRES", "DOMÍNGUEZ", "VÁZQUEZ", "RAMOS", "GIL",
    "SERRANO", "BLANCO", "MOLINA", "CASTRO", "ORTEGA", "DELGADO"};
const char* const kBancos[][2] = {
    {"0049", "BANCO SANTANDER"}, {"0182", "BANCO BILBAO VIZCAYA ARGENTARIA"}, {"2100", "CAIXABANK"},
    {"0081", "BANCO DE SABADELL"}, {"0128", "BANKINTER"}, {"2085", "IBERCAJA BANCO"},
    {"3058", "CAJAMAR CAJA RURAL"}};
// Where owners who do not live in their community's building live.
const TDireccionDemo kOtrasDirecciones[] = {
    {QStringLiteral("CALLE DE ALCALÁ, 210, 5º IZDA"), QStringLiteral("28028"), QStringLiteral("MADRID"), QStringLiteral("MADRID"), 1},
    {QStringLiteral("RAMBLA DE CATALUNYA, 88, 3º 1ª"), QStringLiteral("08008"), QStringLiteral("BARCELONA"), QStringLiteral("BARCELONA"), 1},
    {QStringLiteral("CALLE SIERPES, 24, 1º"), QStringLiteral("41004"), QStringLiteral("SEVILLA"), QStringLiteral("SEVILLA"), 1},
    {QStringLiteral("AVDA. DE LA LIBERTAD, 7, 2º B"), QStringLiteral("30009"), QStringLiteral("MURCIA"), QStringLiteral("MURCIA"), 1},
    {QStringLiteral("CALLE URÍA, 31, 4º D"), QStringLiteral("33003"), QStringLiteral("OVIEDO"), QStringLiteral("ASTURIAS"), 1}};

// Builds the demo register: deterministic, so that the program's and the
// accounting database hold the same owners and coefficients.
std::vector<TComunidadDemo> RegistroDemo()
{
    struct TEdificio {
        int codigo;
        const char *nombre, *domicilio, *cp, *poblacion, *provincia, *telefono;
        double presupuesto;
        QStringList viviendas;    // one owner each
        int cadaGaraje;           // every n-th owner also has a garage (0: none)
        const char* empresa;      // owner of the ground-floor shop, if any
        const char* correoEmpresa;
        int idioma;               // language of the owners' letters
    };
    auto pisos = [](int plantas, const QStringList& puertas) {
        QStringList r;
        for (int p = 1; p <= plantas; ++p)
            for (const QString& puerta : puertas)
                r << QStringLiteral("%1º %2").arg(p).arg(puerta);
        return r;
    };
    QStringList parcelas;
    for (int i = 1; i <= 8; ++i)
        parcelas << QStringLiteral("PARCELA %1").arg(i);
    const std::vector<TEdificio> edificios = {
        {1, "C.P. RESIDENCIAL LOS ALMENDROS", "AVDA. DE LA CONSTITUCIÓN, 45", "28931", "MÓSTOLES",
         "MADRID", "916145230", 36000, pisos(4, {"A", "B", "C"}), 3, "INVERSIONES ALMENDRO, S.L.", "administracion@almendro.es", 1},
        {2, "C.P. EDIFICIO MIRAMAR", "PASEO MARÍTIMO REY DE ESPAÑA, 112", "29640", "FUENGIROLA",
         "MÁLAGA", "952471836", 30000, pisos(5, {"A", "B"}), 3, nullptr, nullptr, 1},
        {3, "C.P. CALLE MAYOR, 17", "CALLE MAYOR, 17", "50001", "ZARAGOZA", "ZARAGOZA", "976203114",
         9000, pisos(3, {"IZDA", "DCHA"}), 0, "FARMACIA MAYOR 17, C.B.", "farmaciamayor17@correo.es", 1},
        {4, "C.P. URBANIZACIÓN EL PINAR", "CALLE DE LOS PINOS, 3", "46183", "L'ELIANA", "VALENCIA",
         "962740518", 12000, parcelas, 0, nullptr, nullptr, 2},
    };

    std::vector<TComunidadDemo> r;
    int g = 0; // runs over every owner, for varied names and numbers
    for (const TEdificio& e : edificios) {
        TComunidadDemo c{e.codigo, QString::fromUtf8(e.nombre), QString::fromUtf8(e.domicilio),
                         QString::fromUtf8(e.cp), QString::fromUtf8(e.poblacion),
                         QString::fromUtf8(e.provincia), QString::fromUtf8(e.telefono), e.presupuesto, {}};
        const bool chalets = e.viviendas.first().startsWith(QLatin1String("PARCELA"));
        int garajes = 0;
        auto nuevo = [&](const QString& nombre) {
            ++g;
            TPropietarioDemo p;
            p.codigo = static_cast<int>(c.propietarios.size()) + 1;
            p.nombre = nombre;
            const int dni = 10000000 + (g * 7919 * 131) % 89999999;
            p.nif = QString::number(dni) + LetraNif(dni);
            p.telefono = c.telefono.left(3) + QStringLiteral("%1").arg(100000 + g * 7411 % 899999, 6, 10, QLatin1Char('0'));
            p.movil = QStringLiteral("6%1").arg(10000000 + g * 104729 % 89999999, 8, 10, QLatin1Char('0'));
            p.idioma = (g % 3 == 0) ? e.idioma : 1;
            if (g % 4 == 3) { // pays in cash: no bank data, as the owners screen stores it
                p.formaPago = 2;
                p.banco = QStringLiteral("0000");
                p.oficina = QStringLiteral("0000");
                p.dc = QStringLiteral("**");
                p.cuenta = QStringLiteral("0000000000");
            } else {
                p.formaPago = 1;
                p.banco = QString::fromLatin1(kBancos[g % 7][0]);
                p.oficina = QStringLiteral("%1").arg(1000 + g * 37 % 8999, 4, 10, QLatin1Char('0'));
                p.cuenta = QStringLiteral("%1").arg(qint64(1000000000) + qint64(g) * 97654321 % 8999999999, 10, 10, QLatin1Char('0'));
                p.dc = DigitosControl(p.banco, p.oficina, p.cuenta);
            }
            c.propietarios.push_back(p);
            return &c.propietarios.back();
        };
        constexpr int nNombres = static_cast<int>(std::size(kNombres));
        constexpr int nApellidos = static_cast<int>(std::size(kApellidos));
        for (int i = 0; i < e.viviendas.size(); ++i) {
            const QString nombrePila = QString::fromUtf8(kNombres[(g * 7) % nNombres]);
            const QString apellido1 = QString::fromUtf8(kApellidos[(g * 11) % nApellidos]);
            const QString apellido2 = QString::fromUtf8(kApellidos[(g * 17 + 5) % nApellidos]);
            TPropietarioDemo* p = nuevo(QStringLiteral("%1 %2, %3").arg(apellido1, apellido2, nombrePila));
            if (g % 2 == 0)
                p->email = QStringLiteral("%1.%2@correo.es")
                               .arg(SinAcentos(nombrePila.section(QLatin1Char(' '), 0, 0)), SinAcentos(apellido1));
            const QString vivienda = e.viviendas[i];
            if (chalets)
                p->fincas.push_back({1, vivienda, 1, 1, 12.5, 180});
            else
                p->fincas.push_back({1, vivienda, 1, 1, 10 + 0.25 * (i % 3), 78.0 + 6 * (i % 3)});
            if (e.cadaGaraje && (i % e.cadaGaraje) == 0)
                p->fincas.push_back({2, QStringLiteral("GARAJE %1").arg(++garajes), 3, 3, 1.2, 12});
            if (e.codigo == 3 && i == 1)
                p->fincas.push_back({2, QStringLiteral("TRASTERO 1"), 4, 1, 0.5, 6});
            const QString domicilio = c.domicilio + (chalets ? QString() : QStringLiteral(", ") + vivienda);
            if (g % 5 == 4) { // lives elsewhere: the flat's address is kept, not active
                p->direcciones.push_back({domicilio, c.codPostal, c.poblacion, c.provincia, 0});
                p->direcciones.push_back(kOtrasDirecciones[g % 5]);
            } else {
                p->direcciones.push_back({domicilio, c.codPostal, c.poblacion, c.provincia, 1});
            }
        }
        if (e.empresa) {
            TPropietarioDemo* p = nuevo(QString::fromUtf8(e.empresa));
            p->nif = QStringLiteral("B%1").arg(50000000 + g * 1237 % 49999999, 8, 10, QLatin1Char('0'));
            p->email = QString::fromLatin1(e.correoEmpresa);
            p->fincas.push_back({1, QStringLiteral("LOCAL 1"), 2, 2, 8, 120});
            p->direcciones.push_back({c.domicilio + QStringLiteral(", LOCAL"), c.codPostal, c.poblacion, c.provincia, 1});
        }

        // Coefficients: each property's share of the weights, four decimals;
        // the last property takes what is left so that they add up to 100.
        double total = 0;
        for (const TPropietarioDemo& p : c.propietarios)
            for (const TFincaDemo& f : p.fincas)
                total += f.peso;
        double suma = 0;
        TFincaDemo* ultima = nullptr;
        for (TPropietarioDemo& p : c.propietarios)
            for (TFincaDemo& f : p.fincas) {
                f.coeficiente = Redondea(f.peso / total * 100, 4);
                suma += f.coeficiente;
                ultima = &f;
            }
        ultima->coeficiente = Redondea(ultima->coeficiente + 100 - suma, 4);
        for (TPropietarioDemo& p : c.propietarios)
            for (TFincaDemo& f : p.fincas)
                f.cuota = Redondea(f.coeficiente / 100 * c.presupuesto / 12, 2);
        r.push_back(std::move(c));
    }
    return r;
}

// The five catalogues (rows the program's database has already are updated).
void InsertaCatalogos(TTrabajo& t)
{
    TLote banco(t, QStringLiteral("UPDATE OR INSERT INTO SYS_BANCOS (ENTIDAD, NOMBRE) VALUES (?E, ?N) MATCHING (ENTIDAD)"));
    banco({T(QStringLiteral("0000")), T(QStringLiteral("SIN ENTIDAD"))});
    for (const auto& b : kBancos)
        banco({T(QString::fromLatin1(b[0])), T(QString::fromLatin1(b[1]))});
    auto catalogo = [&](const char* tabla, std::initializer_list<const char*> nombres) {
        TLote lote(t, QStringLiteral("UPDATE OR INSERT INTO %1 (CODIGO, NOMBRE) VALUES (?C, ?N) MATCHING (CODIGO)")
                          .arg(QLatin1String(tabla)));
        int codigo = 0;
        for (const char* n : nombres)
            lote({I(codigo++), T(QString::fromUtf8(n))});
    };
    catalogo("SYS_FORMAS_PAGO", {"SIN FORMA DE PAGO", "RECIBO BANCARIO", "EFECTIVO", "TRANSFERENCIA"});
    catalogo("SYS_TIPOS_FINCA", {"SIN TIPO", "VIVIENDA", "LOCAL", "GARAJE", "TRASTERO"});
    catalogo("SYS_USO_FINCAS", {"SIN USO", "RESIDENCIAL", "COMERCIAL", "APARCAMIENTO"});
    TLote idioma(t, QStringLiteral("UPDATE OR INSERT INTO SYS_IDIOMAS (CODIGO, NOMBRE) VALUES (?C, ?N) MATCHING (CODIGO)"));
    int codigo = 1;
    for (const char* n : {"CASTELLANO", "VALENCIÀ", "GALEGO", "EUSKARA"})
        idioma({I(codigo++), T(QString::fromUtf8(n))});
}

void InsertaRegistro(TTrabajo& t, const std::vector<TComunidadDemo>& comunidades)
{
    TLote comunidad(t, QStringLiteral(
        "INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE, DOMICILIO, COD_POSTAL, POBLACION, PROVINCIA, "
        "TELEFONO, EJERCICIO, MES_INICIO, MES_CIERRE, REFERENCIAS, PRESIDENTE, TEL_PRESIDENTE) "
        "VALUES (?A, ?B, ?C, ?D, ?E, ?F, ?G, ?H, ?I, ?J, ?K, ?L, ?M)"));
    TLote propietario(t, QStringLiteral(
        "INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE, TELEFONO, FAX, MOVIL, E_MAIL, NIF, "
        "IDIOMA, FORMA_PAGO, BANCO, OFICINA, DC, CUENTA_BANCO, OBSERVACIONES, TEXTO, AVISO1, AVISO2) "
        "VALUES (?A, ?B, ?C, ?D, ?E, ?F, ?G, ?H, ?I, ?J, ?K, ?L, ?M, ?N, ?O, ?P, ?Q, ?R)"));
    TLote finca(t, QStringLiteral(
        "INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, DOMICILIO, COD_POSTAL, "
        "POBLACION, PROVINCIA, TELEFONO, COEFICIENTES, REF_CATASTRAL, M2_PARCELA, M2_UTILES, "
        "TIPO_FINCA, USO_FINCA, FORMA_PAGO, CLAVE, BANCO, OFICINA, DC, CUENTA_BAN, CUOTA_PTS, "
        "CUOTA_EUR, ACTIVO, INQUILINO, REFERENCIA) "
        "VALUES (?A, ?B, ?C, ?D, ?E, ?F, ?G, ?H, ?I, ?J, ?K, ?L, ?M, ?N, ?O, ?P, ?Q, ?R, ?S, ?T, "
        "?U, ?V, ?W, ?X, ?Y, ?Z)"));
    TLote direccion(t, QStringLiteral(
        "INSERT INTO EMP_DIRECCIONES (COMUNIDAD, PROPIETARIO, CODIGO, DOMICILIO, COD_POSTAL, "
        "POBLACION, PROVINCIA, ACTIVO) VALUES (?A, ?B, ?C, ?D, ?E, ?F, ?G, ?H)"));
    const int ejercicio = QDate::currentDate().year();
    int referencia = 0;
    for (const TComunidadDemo& c : comunidades) {
        const TPropietarioDemo& presidente = c.propietarios.front();
        comunidad({I(c.codigo), T(c.nombre), T(c.domicilio), T(c.codPostal), T(c.poblacion),
                   T(c.provincia), T(c.telefono), I(ejercicio), I(1), I(12), I(0),
                   T(presidente.nombre), T(presidente.movil)});
        for (const TPropietarioDemo& p : c.propietarios) {
            const QString aviso = p.formaPago == 2 ? QStringLiteral("PAGA EN EFECTIVO EN LA OFICINA") : QString();
            propietario({I(c.codigo), I(p.codigo), T(p.nombre), T(p.telefono), T(QString()), T(p.movil),
                         T(p.email), T(p.nif), I(p.idioma), I(p.formaPago), T(p.banco), T(p.oficina),
                         T(p.dc), T(p.cuenta), T(QString()), I(0), T(aviso), T(QString())});
            for (const TFincaDemo& f : p.fincas) {
                ++referencia;
                const QString catastro = QStringLiteral("%1VK%2").arg(4521800 + referencia * 13).arg(referencia % 10);
                finca({I(c.codigo), I(p.codigo), I(f.codigo), T(f.nombre), T(c.domicilio), T(c.codPostal),
                       T(c.poblacion), T(c.provincia), T(QString()), F(f.coeficiente), T(catastro),
                       F(f.tipo == 1 && f.m2 > 150 ? 450 : 0), F(f.m2), I(f.tipo), I(f.uso), I(p.formaPago),
                       T(QStringLiteral("%1%2").arg(QLatin1Char("VLGT"[f.tipo - 1])).arg(f.codigo, 2, 10, QLatin1Char('0'))),
                       T(p.banco), T(p.oficina), T(p.dc), T(p.cuenta), F(std::round(f.cuota * 166.386)),
                       F(f.cuota), I(1), T(referencia % 6 == 0 ? QStringLiteral("ALQUILADO A TERCEROS") : QString()),
                       I(referencia)});
            }
            int codigo = 0;
            for (const TDireccionDemo& d : p.direcciones)
                direccion({I(c.codigo), I(p.codigo), I(++codigo), T(d.domicilio), T(d.codPostal),
                           T(d.poblacion), T(d.provincia), I(d.activo)});
        }
    }
}

QString PlantillaConvocatoria()
{
    return Rtf(QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang3082{\\fonttbl{\\f0\\fswiss Arial;}}\n"
        "\\viewkind4\\uc1\\pard\\qc\\b\\f0\\fs28 [Comunidad]\\b0\\fs20\\par\n"
        "[ComunidadDomicilio] - [ComunidadPoblacion]\\par\n"
        "\\pard\\qj\\fs22\\par\n"
        "Estimado/a propietario/a:\\par\\par\n"
        "Por indicación del Presidente de la Comunidad, D./Dña. [Presidente], se le convoca a la "
        "Junta General de Propietarios que se celebrará el próximo [Fecha1] en [Lugar], a las [Hora1] "
        "horas en primera convocatoria y, de no alcanzarse el quórum necesario, a las [Hora2] horas "
        "en segunda convocatoria, con el siguiente\\par\\par\n"
        "\\pard\\qc\\b ORDEN DEL DÍA\\b0\\par\n"
        "\\pard\\qj [Puntos]\\par\\par\n"
        "Se ruega la asistencia personal o, en su defecto, la representación por escrito. Los "
        "propietarios que no estén al corriente de pago podrán asistir, pero no votar.\\par\\par\n"
        "En [AdministradorPoblacion], a [Fecha].\\par\\par\n"
        "El Administrador\\par\n"
        "[Administrador]\\par\n"
        "}"));
}

QString PlantillaActa()
{
    return Rtf(QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang3082{\\fonttbl{\\f0\\fmodern Courier New;}}\n"
        "\\viewkind4\\uc1\\pard\\qc\\b\\f0\\fs24 ACTA DE LA JUNTA GENERAL DE PROPIETARIOS\\par\n"
        "[Comunidad]\\b0\\fs18\\par\n"
        "\\pard\\qj\\par\n"
        "En [ComunidadPoblacion], el día [Fecha1], se reúnen en [Lugar], en [Convocatoria], "
        "los propietarios que a continuación se relacionan, presentes, representados o por medios "
        "telemáticos:\\par\n"
        "[Asistentes]\\par\n"
        "Preside la reunión D./Dña. [Presidente] y actúa como Secretario-Administrador "
        "D./Dña. [Administrador], con N.I.F. [AdministradorCif], con domicilio en "
        "[AdministradorDomicilio], [AdministradorPoblacion].\\par\\par\n"
        "Se tratan los puntos del orden del día:\\par\n"
        "[Puntos]\\par\\par\n"
        "Resultado de las votaciones:\\par\n"
        "[Resultados]\\par\\par\n"
        "Relación de propietarios con deudas con la comunidad:\\par\n"
        "[Deudores]\\par\\par\n"
        "Y no habiendo más asuntos que tratar, se levanta la sesión, de la que se extiende la "
        "presente acta, en [ComunidadPoblacion], a [Fecha].\\par\n"
        "}"));
}

} // namespace

void InsertaDemoPrograma(TFIBDatabase& db)
{
    TTrabajo t(db);
    InsertaCatalogos(t);
    TLote(t, QStringLiteral(
        "UPDATE ADMINISTRADOR SET EMPRESA=?A, PERSONA=?B, DOMICILIO=?C, POBLACION=?D, PROVINCIA=?E, "
        "TELEFONO=?F, FAX=?G, MOVIL=?H, E_MAIL=?I, CIF=?J WHERE CODIGO=1"))(
        {T(QStringLiteral("FINCAS ARAGÓN ADMINISTRACIÓN, S.L.")), T(QStringLiteral("MARTA SORIANO VILLALBA")),
         T(QStringLiteral("CALLE DEL COSO, 98, 2º")), T(QStringLiteral("ZARAGOZA")), T(QStringLiteral("ZARAGOZA")),
         T(QStringLiteral("976123456")), T(QStringLiteral("976123457")), T(QStringLiteral("654321987")),
         T(QStringLiteral("info@fincasaragon.es")), T(QStringLiteral("B50123456"))});
    TLote(t, QStringLiteral("INSERT INTO SYS_USUARIO (CODIGO, NOMBRE, CLAVE) VALUES (0, ?N, ?C)"))(
        {T(QStringLiteral("MARTA")), T(QStringLiteral("1234"))});

    const std::vector<TComunidadDemo> comunidades = RegistroDemo();
    InsertaRegistro(t, comunidades);

    TLote texto(t, QStringLiteral("INSERT INTO SYS_TEXTOS (CODIGO, NOMBRE, TEXTO, IDIOMA) VALUES (?A, ?B, ?C, ?D)"));
    texto({I(1), T(QStringLiteral("CONVOCATORIA JUNTA GENERAL")), TFIBValue::Bytes(PlantillaConvocatoria().toLatin1()), I(1)});
    texto({I(2), T(QStringLiteral("ACTA JUNTA GENERAL")), TFIBValue::Bytes(PlantillaActa().toLatin1()), I(2)});

    // A label format of each kind, so that both ways of printing labels
    // work on a first start.
    TLote formato(t, QStringLiteral("INSERT INTO SYS_FORMATOS (CODIGO, NOMBRE, FORMATO, TIPO) VALUES (?A, ?B, ?C, 2)"));
    formato({I(1), T(QStringLiteral("ETIQUETAS A4 3 X 8 (70 X 37 MM)")),
             TFIBValue::Bytes(Recurso(QStringLiteral(":/schema/demo/etiquetas-a4-3x8.frf")))});
    formato({I(2), T(QStringLiteral("ETIQUETAS A4 3 X 8 PARA WORD")),
             TFIBValue::Bytes(Recurso(QStringLiteral(":/schema/demo/etiquetas-a4-3x8.rtf")))});

    const QDate hoy = QDate::currentDate();
    TLote asunto(t, QStringLiteral(
        "INSERT INTO ASUNTOS (CODIGO, FECHAR, FECHAP, ASUNTO, AMPLIADA, COMUNIDAD) VALUES (0, ?A, ?B, ?C, ?D, ?E)"));
    asunto({D(hoy.addDays(-12), QTime(10, 15)), D(hoy.addDays(20)), T(QStringLiteral("FILTRACIONES EN LA CUBIERTA")),
            T(QStringLiteral("El propietario del 4º C avisa de humedades en el techo tras las últimas lluvias. "
                             "Pedir dos presupuestos de impermeabilización antes de la junta.")), I(1)});
    asunto({D(hoy.addDays(-5), QTime(12, 40)), D(hoy.addDays(45)), T(QStringLiteral("CAMBIO DE EMPRESA DE LIMPIEZA")),
            T(QStringLiteral("Varios vecinos proponen cambiar de empresa de limpieza por la subida de tarifas.")), I(2)});

    // One convocation of the first community, created as the program creates
    // one: vote and tally rows first, then the convocation row.
    const QDate fecha = hoy.addDays(20);
    const QString puntos[] = {
        QStringLiteral("Lectura y aprobación, si procede, del acta de la sesión anterior."),
        QStringLiteral("Examen y aprobación, si procede, de las cuentas del ejercicio %1.").arg(hoy.year() - 1),
        QStringLiteral("Presupuesto de gastos e ingresos para el ejercicio %1.").arg(hoy.year()),
        QStringLiteral("Impermeabilización de la cubierta: presupuestos y derrama."),
        QStringLiteral("Renovación de cargos: Presidente y Vicepresidente."),
        QStringLiteral("Ruegos y preguntas.")};
    QString orden;
    for (int i = 0; i < 6; ++i)
        orden += QStringLiteral("%1º.- %2\n").arg(i + 1).arg(puntos[i]);
    TLote(t, QStringLiteral("EXECUTE PROCEDURE VOTACIONES_PROPI(?C, ?V)"))({I(1), I(1)});
    TLote(t, QStringLiteral("EXECUTE PROCEDURE VOTACIONES_PUNTOS_METE(?C, ?V)"))({I(1), I(1)});
    TLote(t, QStringLiteral(
        "INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, DES, COMU, TIPO, FECHA, HORA1, HORA2, LUGAR, "
        "FECHAT, ORDEN, ASISTENTES, COEFICIENTES) VALUES (?A, ?B, ?C, 0, ?D, ?E, ?F, ?G, ?H, ?I, ?J, 0, 0)"))(
        {I(1), I(1), T(QStringLiteral("JUNTA GENERAL ORDINARIA %1").arg(hoy.year())), I(1), D(fecha),
         T(QStringLiteral("18:00")), T(QStringLiteral("18:30")), T(QStringLiteral("SALA COMÚN DEL EDIFICIO")),
         D(hoy), T(orden.trimmed())});
    TLote punto(t, QStringLiteral("INSERT INTO ORDEN (COMUNIDAD, CODIGO, NUMERO, PUNTO, DES) VALUES (1, 1, ?N, ?P, ?D)"));
    for (int i = 0; i < 6; ++i)
        punto({I(i + 1), I(i + 1), T(puntos[i].left(80))});

    // The meeting's day in the planner.
    TLote(t, QStringLiteral("EXECUTE PROCEDURE PLANIFICADOR_CREAR(?F)"))({D(fecha)});
    TLote(t, QStringLiteral("UPDATE PLANIFICADOR SET DES=?D, COMUNIDAD=1 WHERE FECHA=?F AND HORA='18:00'"))(
        {T(QStringLiteral("JUNTA ORDINARIA RESIDENCIAL LOS ALMENDROS")), D(fecha)});
    t.Fin();
}

// What the accounting product has come to know since the program's demo was
// typed, so that an import there shows each of its cases: in the first
// community the shop has been sold (its owner is gone, a new one holds it),
// an owner has no language and one of his properties no type, another owner
// has moved, and notes are kept; a fifth community has no financial year yet.
void InsertaNovedadesContables(TTrabajo& t)
{
    TLote(t, QStringLiteral("UPDATE EMP_PROPIETARIO SET IDIOMA=NULL WHERE COMUNIDAD=1 AND CODIGO=2"))({});
    TLote(t, QStringLiteral("UPDATE EMP_FINCAS SET TIPO_FINCA=NULL WHERE COMUNIDAD=1 AND PROPIETARIO=2 AND CODIGO=1"))({});
    TLote(t, QStringLiteral("UPDATE EMP_DIRECCIONES SET DOMICILIO=?A, COD_POSTAL=?B, POBLACION=?C, PROVINCIA=?D "
                            "WHERE COMUNIDAD=1 AND PROPIETARIO=3 AND CODIGO=1"))(
        {T(QStringLiteral("CALLE DE SERRANO, 41, 3º DCHA")), T(QStringLiteral("28001")), T(QStringLiteral("MADRID")),
         T(QStringLiteral("MADRID"))});
    TLote(t, QStringLiteral("UPDATE EMP_PROPIETARIO SET OBS=?A WHERE COMUNIDAD=1 AND CODIGO=1"))(
        {TFIBValue::Bytes(Rtf(QStringLiteral("{\\rtf1\\ansi\\ansicpg1252 Presidente. Prefiere que le llamen "
                                             "por la tarde; recibe las notificaciones en el buzón.\\par}")).toLatin1())});
    TLote(t, QStringLiteral("UPDATE EMP_FINCAS SET OBSERVACIONES=?A WHERE COMUNIDAD=1 AND PROPIETARIO=1 AND CODIGO=1"))(
        {TFIBValue::Bytes(Rtf(QStringLiteral("{\\rtf1\\ansi\\ansicpg1252 Reforma de la cocina en curso.\\par}")).toLatin1())});

    TLote(t, QStringLiteral(
        "INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE, DOMICILIO, COD_POSTAL, POBLACION, PROVINCIA, TELEFONO) "
        "VALUES (5, ?A, ?B, '50012', 'ZARAGOZA', 'ZARAGOZA', '976334455')"))(
        {T(QStringLiteral("C.P. RESIDENCIAL LAS ACACIAS")), T(QStringLiteral("CALLE DE LAS ACACIAS, 9"))});
    TLote propietario(t, QStringLiteral(
        "INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE, NIF, IDIOMA, FORMA_PAGO, BANCO, OFICINA, DC, "
        "CUENTA_BANCO) VALUES (5, ?A, ?B, ?C, 1, 2, '0000', '0000', '**', '0000000000')"));
    TLote finca(t, QStringLiteral(
        "INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, DOMICILIO, COD_POSTAL, POBLACION, "
        "PROVINCIA, COEFICIENTES, M2_UTILES, TIPO_FINCA, USO_FINCA, FORMA_PAGO, ACTIVO, REFERENCIA) "
        "VALUES (5, ?A, 1, ?B, 'CALLE DE LAS ACACIAS, 9', '50012', 'ZARAGOZA', 'ZARAGOZA', ?C, 90, 1, 1, 2, 1, ?D)"));
    TLote direccion(t, QStringLiteral(
        "INSERT INTO EMP_DIRECCIONES (COMUNIDAD, PROPIETARIO, CODIGO, DOMICILIO, COD_POSTAL, POBLACION, PROVINCIA, "
        "ACTIVO) VALUES (5, ?A, 1, ?B, '50012', 'ZARAGOZA', 'ZARAGOZA', 1)"));
    const struct {
        const char *nombre, *nif, *piso;
        double coeficiente;
    } vecinos[] = {{"ORTEGA LUNA, SARA", "25471836K", "1º A", 33.3333},
                   {"PASCUAL IBÁÑEZ, TOMÁS", "73920184P", "1º B", 33.3333},
                   {"QUINTANA ROS, ELISA", "18273645D", "2º A", 33.3334}};
    int codigo = 0;
    for (const auto& v : vecinos) {
        ++codigo;
        propietario({I(codigo), T(QString::fromUtf8(v.nombre)), T(QString::fromLatin1(v.nif))});
        finca({I(codigo), T(QString::fromUtf8(v.piso)), F(v.coeficiente), I(900 + codigo)});
        direccion({I(codigo), T(QStringLiteral("CALLE DE LAS ACACIAS, 9, ") + QString::fromUtf8(v.piso))});
    }
}

void InsertaDemoTaldemar(TFIBDatabase& db)
{
    TTrabajo t(db);
    InsertaCatalogos(t);
    std::vector<TComunidadDemo> comunidades = RegistroDemo();
    // The first community's shop has changed hands: its new owner takes the
    // next code, the company that sold it is no longer in the accounts.
    TPropietarioDemo& tienda = comunidades.front().propietarios.back();
    tienda.codigo += 1;
    tienda.nombre = QStringLiteral("HERBOLARIO LA ALMENDRA, S.L.");
    tienda.nif = QStringLiteral("B86420135");
    tienda.email = QStringLiteral("pedidos@herbolariolaalmendra.es");
    InsertaRegistro(t, comunidades);
    InsertaNovedadesContables(t);

    static const char* const meses[] = {"APERTURA", "ENERO", "FEBRERO", "MARZO", "ABRIL", "MAYO", "JUNIO",
                                        "JULIO", "AGOSTO", "SEPTIEMBRE", "OCTUBRE", "NOVIEMBRE", "DICIEMBRE"};
    TLote ejercicio(t, QStringLiteral(
        "INSERT INTO EMP_EJERCICIOS (COMUNIDAD, EJERCICIO, MES_INICIO, MES_CIERRE, PRESIDENTE, TEL_PRESIDENTE) "
        "VALUES (?A, ?B, 1, 12, ?C, ?D)"));
    TLote periodo(t, QStringLiteral("INSERT INTO EMP_PERIODOS (COMUNIDAD, EJERCICIO, PERIODO, TITULO) VALUES (?A, ?B, ?C, ?D)"));
    TLote saldo(t, QStringLiteral(
        "INSERT INTO EMP_SALDOS_PROPIETARIOS (COMUNIDAD, EJERCICIO, PERIODO, PROPIETARIO, DEBE, HABER) "
        "VALUES (?A, ?B, ?C, ?D, ?E, ?F)"));
    const QDate hoy = QDate::currentDate();
    const int anio = hoy.year();
    for (const TComunidadDemo& c : comunidades) {
        const TPropietarioDemo& presidente = c.propietarios.front();
        for (int y = anio - 1; y <= anio; ++y) {
            ejercicio({I(c.codigo), I(y), T(presidente.nombre), T(presidente.movil)});
            for (int m = 0; m <= 12; ++m)
                periodo({I(c.codigo), I(y), T(QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'))),
                         T(QString::fromLatin1(meses[m]))});
        }
        // This year's fees up to the current month. Some owners have left
        // the last two months unpaid; some carry a debt from last year.
        for (const TPropietarioDemo& p : c.propietarios) {
            double cuota = 0;
            for (const TFincaDemo& f : p.fincas)
                cuota += f.cuota;
            cuota = Redondea(cuota, 2);
            if (p.codigo % 7 == 3)
                saldo({I(c.codigo), I(anio), T(QStringLiteral("00")), I(p.codigo), F(150.75), F(0)});
            for (int m = 1; m <= hoy.month(); ++m) {
                const bool debe = p.codigo % 5 == 2 && m > hoy.month() - 2;
                saldo({I(c.codigo), I(anio), T(QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'))),
                       I(p.codigo), F(cuota), F(debe ? 0 : cuota)});
            }
        }
    }
    t.Fin();
}

void InsertaDemoHalvenbook(TFIBDatabase& db)
{
    TTrabajo t(db);
    const QDate hoy = QDate::currentDate();
    TLote presupuesto(t, QStringLiteral(
        "INSERT INTO PRESUPUESTO (CODIGO, FECHA, COMUNIDAD, PROPUESTA, PRESUPUESTO, OBS, SITUACION, FLIMITE, "
        "PROCEDE, CODIGOPROCEDE, CODIGO2PROCEDE, LLAMADA) VALUES (?A, ?B, ?C, ?D, ?E, ?F, ?G, ?H, 0, 0, 0, 0)"));
    presupuesto({I(1), D(hoy.addDays(-30), QTime(9, 30)), I(1), T(QStringLiteral("PRESIDENTE")),
                 T(QStringLiteral("Impermeabilización de la cubierta del edificio")),
                 T(QStringLiteral("Pedir al menos dos presupuestos")), I(0), D(hoy.addDays(15))});
    presupuesto({I(2), D(hoy.addDays(-8), QTime(17, 5)), I(3), T(QStringLiteral("JUNTA DE PROPIETARIOS")),
                 T(QStringLiteral("Pintura de la escalera y del portal")), T(QString()), I(1), D(hoy.addDays(40))});
    TLote gestion(t, QStringLiteral(
        "INSERT INTO RGESTIONES (CODIGO, FECHA, FIN, DURACION, ORIGEN, ORIGENNOMBRE, TIPOLLAMADA, DESTINATARIO, "
        "TIPO2, ASUNTO, ATENDIDO, ESTADO, COMUNIDAD, TELEFONO, LLAMADATIPO, LLAMADA) "
        "VALUES (?A, ?B, ?C, ?D, 0, ?E, 0, 1, ?F, ?G, 1, ?H, ?I, ?J, 1, 0)"));
    gestion({I(1), D(hoy.addDays(-3), QTime(10, 2)), D(hoy.addDays(-3), QTime(10, 9)), T(QStringLiteral("00:07:00")),
             T(QStringLiteral("GARCÍA LÓPEZ, ANTONIO")), I(0),
             T(QStringLiteral("Avisa de que la puerta del garaje no cierra bien.")), I(0), I(1),
             T(QStringLiteral("916145230"))});
    gestion({I(2), D(hoy.addDays(-1), QTime(16, 30)), D(hoy.addDays(-1), QTime(16, 45)), T(QStringLiteral("00:15:00")),
             T(QStringLiteral("PRESIDENTE C.P. EDIFICIO MIRAMAR")), I(1),
             T(QStringLiteral("Viene a la oficina a firmar el contrato de mantenimiento del ascensor.")), I(1), I(2),
             T(QStringLiteral("952471836"))});
    gestion({I(3), D(hoy, QTime(9, 10)), D(hoy, QTime(9, 12)), T(QStringLiteral("00:02:00")),
             T(QStringLiteral("FARMACIA MAYOR 17, C.B.")), I(0),
             T(QStringLiteral("Solicita copia del acta de la última junta.")), I(0), I(3), T(QStringLiteral("976203114"))});

    TLote(t, QStringLiteral("EXECUTE PROCEDURE CALENDARIO_CREA(?F, ?U)"))({D(hoy), I(1)});
    TLote cita(t, QStringLiteral("UPDATE CALENDARIO SET TEXTO=?T WHERE FECHA=?F AND USUARIO=1 AND HORA=?H"));
    cita({T(QStringLiteral("Visita técnica del ascensor - Edificio Miramar")), D(hoy), I(2)});
    cita({T(QStringLiteral("Reunión con el presidente de Los Almendros")), D(hoy), I(9)});
    t.Fin();
}

void InsertaSintetico(TFIBDatabase& db, int comunidades, int propietarios, int fincas)
{
    TTrabajo t(db);
    TLote comunidad(t, QStringLiteral(
        "INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE, DOMICILIO, COD_POSTAL, POBLACION, PROVINCIA, EJERCICIO, "
        "MES_INICIO, MES_CIERRE) VALUES (?A, ?B, ?C, '50001', 'ZARAGOZA', 'ZARAGOZA', ?D, 1, 12)"));
    TLote propietario(t, QStringLiteral(
        "INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE, IDIOMA, FORMA_PAGO, BANCO, OFICINA, DC, "
        "CUENTA_BANCO) VALUES (?A, ?B, ?C, 1, 0, '0000', '0000', '**', '0000000000')"));
    TLote finca(t, QStringLiteral(
        "INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, DOMICILIO, COEFICIENTES, TIPO_FINCA, "
        "USO_FINCA, ACTIVO) VALUES (?A, ?B, ?C, ?D, ?E, ?F, 1, 1, 1)"));
    TLote direccion(t, QStringLiteral(
        "INSERT INTO EMP_DIRECCIONES (COMUNIDAD, PROPIETARIO, CODIGO, DOMICILIO, COD_POSTAL, POBLACION, "
        "PROVINCIA, ACTIVO) VALUES (?A, ?B, 1, ?C, '50001', 'ZARAGOZA', 'ZARAGOZA', 1)"));
    const double coeficiente = 100.0 / (static_cast<double>(propietarios) * fincas);
    const int ejercicio = QDate::currentDate().year();
    for (int c = 1; c <= comunidades; ++c) {
        const QString domicilio = QStringLiteral("CALLE DE PRUEBA, %1").arg(c);
        comunidad({I(c), T(QStringLiteral("COMUNIDAD SINTÉTICA %1").arg(c)), T(domicilio), I(ejercicio)});
        for (int p = 1; p <= propietarios; ++p) {
            propietario({I(c), I(p), T(QStringLiteral("PROPIETARIO %1-%2").arg(c).arg(p))});
            for (int f = 1; f <= fincas; ++f)
                finca({I(c), I(p), I(f), T(QStringLiteral("FINCA %1").arg(f)), T(domicilio), F(coeficiente)});
            direccion({I(c), I(p), T(domicilio)});
        }
    }
    t.Fin();
}
