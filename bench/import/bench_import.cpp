// Importing one community of 20 000 owners with 40 000 properties and 20 000
// addresses from an embedded accounting database: through the import window,
// its progress bar painted as it goes, against a plain C API loop that does a
// keyed look-up and an insert of the same rows into the same kind of database
// in this process. Best of a few rounds, each into a fresh copy of an empty
// program database. Prints figures; asserts nothing.
#include "CreaBaseDatos.h"
#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"
#include "UDMMain.h"
#include "UFImporta.h"
#include "UPerfil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ibase.h>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr int kPropietarios = 20000;
constexpr int kFincas = 2;
constexpr int kFilas = kPropietarios * (1 + kFincas + 1);
constexpr int kRondas = 3;

void Check(const ISC_STATUS* st)
{
    if (st[0] == 1 && st[1]) {
        isc_print_status(st);
        std::exit(1);
    }
}

// A described statement's descriptor area.
struct TArea {
    std::vector<char> memoria;
    XSQLDA* da = nullptr;
    explicit TArea(int n)
    {
        memoria.assign(XSQLDA_LENGTH(n), 0);
        da = reinterpret_cast<XSQLDA*>(memoria.data());
        da->version = SQLDA_VERSION1;
        da->sqln = static_cast<short>(n);
    }
};

struct TSentencia {
    isc_stmt_handle h = 0;
    TSentencia(TFIBDatabase& db)
    {
        ISC_STATUS_ARRAY st;
        isc_dsql_allocate_statement(st, db.HandlePtr(), &h);
        Check(st);
    }
    ~TSentencia()
    {
        ISC_STATUS_ARRAY st;
        isc_dsql_free_statement(st, &h, DSQL_drop);
    }
    void Prepara(TFIBTransaction& tr, const QByteArray& sql, XSQLDA* salida)
    {
        ISC_STATUS_ARRAY st;
        isc_dsql_prepare(st, tr.HandlePtr(), &h, 0, sql.constData(), 1, salida);
        Check(st);
    }
};

// The raw loop over one table: its rows fetched whole first (as the import
// does, for its progress bar), then for each a look-up by key and an insert,
// the statements prepared once, the values passed in the fetched buffers.
void CopiaCApi(TFIBDatabase& origen, TFIBTransaction& trOrigen, TFIBDatabase& destino, TFIBTransaction& trDestino,
               const char* tabla, const QStringList& claves, const QStringList& columnas)
{
    const QStringList todas = claves + columnas;
    const int n = static_cast<int>(todas.size());
    TSentencia select(origen);
    TArea salida(n);
    select.Prepara(trOrigen, QStringLiteral("SELECT %1 FROM %2 WHERE COMUNIDAD=1").arg(todas.join(','), QLatin1String(tabla)).toUtf8(),
                   salida.da);
    // One row: every value at its offset, then the null indicators.
    std::vector<int> desplazamiento(static_cast<std::size_t>(n));
    int tamano = 0;
    for (int i = 0; i < n; ++i) {
        const XSQLVAR& v = salida.da->sqlvar[i];
        desplazamiento[static_cast<std::size_t>(i)] = tamano;
        tamano += ((v.sqltype & ~1) == SQL_VARYING ? v.sqllen + 2 : v.sqllen);
        tamano = (tamano + 7) & ~7;
    }
    const int indicadores = tamano;
    tamano += n * static_cast<int>(sizeof(short));
    tamano = (tamano + 7) & ~7;
    std::vector<char> fila(static_cast<std::size_t>(tamano));
    auto apunta = [&](XSQLDA* da, char* base, int cuantas) {
        for (int i = 0; i < cuantas; ++i) {
            da->sqlvar[i].sqldata = base + desplazamiento[static_cast<std::size_t>(i)];
            da->sqlvar[i].sqlind = reinterpret_cast<short*>(base + indicadores) + i;
        }
    };
    apunta(salida.da, fila.data(), n);

    ISC_STATUS_ARRAY st;
    isc_dsql_execute(st, trOrigen.HandlePtr(), &select.h, 1, nullptr);
    Check(st);
    std::vector<char> filas;
    int cuantas = 0;
    while (isc_dsql_fetch(st, &select.h, 1, salida.da) == 0) {
        for (int i = 0; i < n; ++i) {
            const XSQLVAR& v = salida.da->sqlvar[i];
            if ((v.sqltype & ~1) == SQL_BLOB && *v.sqlind >= 0) {
                std::fprintf(stderr, "the synthetic rows carry no notes\n");
                std::exit(1);
            }
        }
        filas.insert(filas.end(), fila.begin(), fila.end());
        ++cuantas;
    }

    const int k = static_cast<int>(claves.size());
    QStringList condicion, marcas;
    for (const QString& c : claves)
        condicion << c + QStringLiteral("=?");
    for (int i = 0; i < n; ++i)
        marcas << QStringLiteral("?");
    TSentencia busca(destino), inserta(destino);
    TArea encontrado(1), enBusca(k), enInserta(n);
    std::vector<char> uno(16);
    short unoNulo = 0;
    busca.Prepara(trDestino, QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(QLatin1String(tabla), condicion.join(" AND ")).toUtf8(),
                  encontrado.da);
    encontrado.da->sqlvar[0].sqldata = uno.data();
    encontrado.da->sqlvar[0].sqlind = &unoNulo;
    inserta.Prepara(trDestino, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(QLatin1String(tabla), todas.join(','), marcas.join(','))
                                   .toUtf8(),
                    nullptr);
    for (auto [s, area, m] : {std::tuple{&busca, &enBusca, k}, std::tuple{&inserta, &enInserta, n}}) {
        isc_dsql_describe_bind(st, &s->h, 1, area->da);
        Check(st);
        for (int i = 0; i < m; ++i) {
            XSQLVAR& v = area->da->sqlvar[i];
            const XSQLVAR& o = salida.da->sqlvar[i];
            // The same columns in two databases of the same structure.
            if ((v.sqltype & ~1) != (o.sqltype & ~1) || v.sqllen != o.sqllen) {
                std::fprintf(stderr, "%s: column %d differs between the databases\n", tabla, i);
                std::exit(1);
            }
            v.sqltype = static_cast<short>(o.sqltype | 1);
        }
    }
    for (int r = 0; r < cuantas; ++r) {
        char* base = filas.data() + static_cast<std::ptrdiff_t>(r) * tamano;
        apunta(enBusca.da, base, k);
        apunta(enInserta.da, base, n);
        isc_dsql_execute(st, trDestino.HandlePtr(), &busca.h, 1, enBusca.da);
        Check(st);
        const bool existe = isc_dsql_fetch(st, &busca.h, 1, encontrado.da) == 0;
        isc_dsql_free_statement(st, &busca.h, DSQL_close);
        if (!existe) {
            isc_dsql_execute(st, trDestino.HandlePtr(), &inserta.h, 1, enInserta.da);
            Check(st);
        }
    }
}

QStringList Lista(std::initializer_list<const char*> nombres)
{
    QStringList l;
    for (const char* n : nombres)
        l << QString::fromLatin1(n);
    return l;
}

double CApi(const QString& contable, const QString& programa)
{
    TFIBDatabase origen, destino;
    for (auto [db, camino] : {std::pair{&origen, contable}, std::pair{&destino, programa}}) {
        db->SetDBName(camino);
        db->SetDBParams({QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=kelpstone")});
        db->Open();
    }
    TFIBTransaction trOrigen, trDestino;
    trOrigen.SetDefaultDatabase(&origen);
    trDestino.SetDefaultDatabase(&destino);
    const QStringList parametros{QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")};
    trOrigen.SetTRParams(parametros);
    trDestino.SetTRParams(parametros);
    QElapsedTimer t;
    t.start();
    trOrigen.StartTransaction();
    trDestino.StartTransaction();
    CopiaCApi(origen, trOrigen, destino, trDestino, "EMP_PROPIETARIO", Lista({"COMUNIDAD", "CODIGO"}),
              Lista({"NOMBRE", "TELEFONO", "FAX", "MOVIL", "E_MAIL", "NIF", "IDIOMA", "FORMA_PAGO", "BANCO", "OFICINA",
                     "DC", "CUENTA_BANCO", "OBSERVACIONES", "TEXTO", "OBS", "AVISO1", "AVISO2"}));
    CopiaCApi(origen, trOrigen, destino, trDestino, "EMP_DIRECCIONES", Lista({"COMUNIDAD", "PROPIETARIO", "CODIGO"}),
              Lista({"DOMICILIO", "COD_POSTAL", "POBLACION", "PROVINCIA", "ACTIVO"}));
    CopiaCApi(origen, trOrigen, destino, trDestino, "EMP_FINCAS", Lista({"COMUNIDAD", "PROPIETARIO", "CODIGO"}),
              Lista({"NOMBRE", "DOMICILIO", "COD_POSTAL", "POBLACION", "PROVINCIA", "TELEFONO", "COEFICIENTES",
                     "REF_CATASTRAL", "M2_PARCELA", "M2_UTILES", "TIPO_FINCA", "USO_FINCA", "FORMA_PAGO", "CLAVE",
                     "OBSERVACIONES", "BANCO", "OFICINA", "DC", "CUENTA_BAN", "CUOTA_PTS", "CUOTA_EUR", "ACTIVO",
                     "INQUILINO", "REFERENCIA"}));
    trOrigen.Commit();
    trDestino.Commit();
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

int Cuenta(TFIBDatabase& db, const char* sql)
{
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.StartTransaction();
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(QString::fromLatin1(sql));
    q.ExecQuery();
    const int n = static_cast<int>(q.Fields(0)->AsInteger());
    q.Close();
    tr.Commit();
    return n;
}

// The program's database opened by the main data module, as start-up does.
std::unique_ptr<TDMMain> AbrePrograma(const QString& programa)
{
    TIniFile(FicheroPerfil(QStringLiteral("quorumdesk.ini"))).WriteString(QStringLiteral("datos"), QStringLiteral("BaseDeDatos"), programa);
    Entorno = TREntorno{};
    auto dm = std::make_unique<TDMMain>();
    DMMain = dm.get();
    const bool abierta = dm->DataModuleCreate(
        {.Aviso = [](const QString& texto, bool) { std::fprintf(stderr, "%s\n", qPrintable(texto)); },
         .PideCamino = [](const QString&) -> std::optional<QString> { return std::nullopt; },
             .PrimerArranque = {},
             .PideClave = {}});
    if (!abierta)
        std::exit(1);
    return dm;
}

// The owners' import of community 1 through the window, twice: every row
// new, then every row already there.
std::pair<double, double> Importacion(const QString& programa)
{
    const std::unique_ptr<TDMMain> dm = AbrePrograma(programa);
    Entorno.Comunidad = 1;
    double veces[2];
    for (double& segundos : veces) {
        TFImporta importa(TModoImporta::Propietarios, false);
        importa.show();
        if (!importa.Conecta())
            std::exit(1);
        QElapsedTimer t;
        t.start();
        if (!importa.Ejecuta())
            std::exit(1);
        segundos = static_cast<double>(t.nsecsElapsed()) / 1e9;
    }
    const int filas = Cuenta(dm->DataBase, "SELECT (SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE COMUNIDAD=1) + "
                                           "(SELECT COUNT(*) FROM EMP_DIRECCIONES WHERE COMUNIDAD=1) + "
                                           "(SELECT COUNT(*) FROM EMP_FINCAS WHERE COMUNIDAD=1) FROM RDB$DATABASE");
    if (filas != kFilas) {
        std::fprintf(stderr, "the import wrote %d rows of %d\n", filas, kFilas);
        std::exit(1);
    }
    DMMain = nullptr;
    return {veces[0], veces[1]};
}

// The start-up step on the demo databases as the run command makes them
// (forced writes on): the first start, then the best of the starts after it.
std::pair<double, double> Arranque(const QString& programa, const QString& contable)
{
    TIniFile(FicheroPerfil(QStringLiteral("taldemar.ini"))).WriteString(QStringLiteral("Datos"), QStringLiteral("BaseDeDatos"), contable);
    const std::unique_ptr<TDMMain> dm = AbrePrograma(programa);
    double primero = 0, despues = 1e9;
    for (int i = 0; i <= kRondas; ++i) {
        QElapsedTimer t;
        t.start();
        ImportaComunidadesArranque();
        const double segundos = static_cast<double>(t.nsecsElapsed()) / 1e9;
        if (Entorno.EnlaceContable != 1)
            std::exit(1);
        if (i == 0)
            primero = segundos;
        else
            despues = std::min(despues, segundos);
    }
    DMMain = nullptr;
    return {primero, despues};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir carpeta;
    qputenv("QUORUMDESK_HOME", carpeta.path().toUtf8());
    qputenv("QUORUMDESK_CONFIG_DIR", (carpeta.path() + "/cfg").toUtf8());

    const QString contable = carpeta.filePath("taldemar.fdb");
    const QString plantilla = carpeta.filePath("plantilla.fdb");
    try {
        TOpcionesBD o;
        o.ForcedWrites = false;
        o.Contenido = TContenidoBD::Sintetica;
        o.Comunidades = 1;
        o.Propietarios = kPropietarios;
        o.Fincas = kFincas;
        CreaBaseTaldemar(contable, o);
        CreaBaseDatos(plantilla, TOpcionesBD{});
        TOpcionesBD demo;
        demo.Contenido = TContenidoBD::Demo;
        CreaBaseDatos(carpeta.filePath("demo.fdb"), demo);
        CreaBaseTaldemar(carpeta.filePath("demo-taldemar.fdb"), demo);
    } catch (const EFIBError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    TIniFile(FicheroPerfil(QStringLiteral("taldemar.ini"))).WriteString(QStringLiteral("Datos"), QStringLiteral("BaseDeDatos"), contable);

    double importa = 1e9, actualiza = 1e9, crudo = 1e9;
    for (int r = 0; r < kRondas; ++r) {
        const QString paraCApi = carpeta.filePath(QStringLiteral("capi-%1.fdb").arg(r));
        const QString paraImportar = carpeta.filePath(QStringLiteral("programa-%1.fdb").arg(r));
        QFile::copy(plantilla, paraCApi);
        QFile::copy(plantilla, paraImportar);
        crudo = std::min(crudo, CApi(contable, paraCApi));
        const auto [nuevas, existentes] = Importacion(paraImportar);
        importa = std::min(importa, nuevas);
        actualiza = std::min(actualiza, existentes);
        QFile::remove(paraCApi);
        QFile::remove(paraImportar);
    }
    const double filasImporta = kFilas / importa;
    const double filasCrudo = kFilas / crudo;
    std::printf("import of %d owners, %d addresses, %d properties (window painted): %.0f rows/s (goal >= 14000)\n",
                kPropietarios, kPropietarios, kPropietarios * kFincas, filasImporta);
    std::printf("raw C API look-up and insert of the same rows: %.0f rows/s\n", filasCrudo);
    std::printf("import / raw C API: %.2f (goal >= 0.5)\n", filasImporta / filasCrudo);
    std::printf("import again, every row already there: %.0f rows/s\n", kFilas / actualiza);
    const auto [primero, despues] = Arranque(carpeta.filePath("demo.fdb"), carpeta.filePath("demo-taldemar.fdb"));
    std::printf("start-up import on the demo databases, first start: %.0f ms\n", primero * 1000);
    std::printf("start-up import on the demo databases, later starts: %.0f ms\n", despues * 1000);
    return 0;
}
