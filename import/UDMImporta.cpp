#include "UDMImporta.h"
#include "ActualizaEsquema.h"
#include "FIBQuery.h"
#include "UDMMain.h"
#include "UPerfil.h"

#include <vector>

namespace {

// How a value goes across.
enum class TConversion {
    Tal,    // as it is: keys, integers kept through their text form and blobs
            // (byte for byte); a missing one stays missing
    Texto,  // a missing text is written as the empty text, as the program writes texts
    Entero, // a missing number becomes 0
    Real
};

struct TColumna {
    const char* nombre;
    TConversion conversion;
};

// A table copied by the key rule: the source rows, then for each the key
// looked up in the destination, and the row edited or inserted.
struct TTabla {
    const char* tabla;
    const char* origen;
    std::vector<const char*> claves;
    std::vector<TColumna> columnas;
};

constexpr TConversion T = TConversion::Texto;
constexpr TConversion I = TConversion::Entero;
constexpr TConversion R = TConversion::Real;
constexpr TConversion V = TConversion::Tal;

const TTabla kCatalogos[] = {
    {"SYS_IDIOMAS", "SELECT * FROM SYS_IDIOMAS", {"CODIGO"}, {{"NOMBRE", T}}},
    {"SYS_BANCOS", "SELECT * FROM SYS_BANCOS", {"ENTIDAD"}, {{"NOMBRE", T}}},
    {"SYS_FORMAS_PAGO", "SELECT * FROM SYS_FORMAS_PAGO", {"CODIGO"}, {{"NOMBRE", T}}},
    {"SYS_TIPOS_FINCA", "SELECT * FROM SYS_TIPOS_FINCA", {"CODIGO"}, {{"NOMBRE", T}}},
    {"SYS_USO_FINCAS", "SELECT * FROM SYS_USO_FINCAS", {"CODIGO"}, {{"NOMBRE", T}}},
};

const TTabla kRegistro[] = {
    {"EMP_PROPIETARIO", "SELECT * FROM EMP_PROPIETARIO WHERE COMUNIDAD=?COMUNIDAD", {"COMUNIDAD", "CODIGO"},
     {{"NOMBRE", T}, {"TELEFONO", T}, {"FAX", T}, {"MOVIL", T}, {"E_MAIL", T}, {"NIF", T}, {"IDIOMA", V},
      {"FORMA_PAGO", V}, {"BANCO", T}, {"OFICINA", T}, {"DC", T}, {"CUENTA_BANCO", T}, {"OBSERVACIONES", T},
      {"TEXTO", V}, {"OBS", V}, {"AVISO1", T}, {"AVISO2", T}}},
    {"EMP_DIRECCIONES", "SELECT * FROM EMP_DIRECCIONES WHERE COMUNIDAD=?COMUNIDAD", {"COMUNIDAD", "PROPIETARIO", "CODIGO"},
     {{"DOMICILIO", T}, {"COD_POSTAL", T}, {"POBLACION", T}, {"PROVINCIA", T}, {"ACTIVO", V}}},
    {"EMP_FINCAS", "SELECT * FROM EMP_FINCAS WHERE COMUNIDAD=?COMUNIDAD", {"COMUNIDAD", "PROPIETARIO", "CODIGO"},
     {{"NOMBRE", T}, {"DOMICILIO", T}, {"COD_POSTAL", T}, {"POBLACION", T}, {"PROVINCIA", T}, {"TELEFONO", T},
      {"COEFICIENTES", R}, {"REF_CATASTRAL", T}, {"M2_PARCELA", R}, {"M2_UTILES", R}, {"TIPO_FINCA", I},
      {"USO_FINCA", I}, {"FORMA_PAGO", I}, {"CLAVE", T}, {"OBSERVACIONES", V}, {"BANCO", T}, {"OFICINA", T},
      {"DC", T}, {"CUENTA_BAN", T}, {"CUOTA_PTS", R}, {"CUOTA_EUR", R}, {"ACTIVO", V}, {"INQUILINO", T},
      {"REFERENCIA", I}}},
};

TFIBValue Valor(const TField& f, TConversion c)
{
    switch (c) {
    case TConversion::Texto:
        return f.IsNull() ? TFIBValue::Text(QString()) : f.Value();
    case TConversion::Entero:
        return TFIBValue::Integer(f.IsNull() ? 0 : f.AsInteger());
    case TConversion::Real:
        return TFIBValue::Float(f.IsNull() ? 0.0 : f.AsFloat());
    case TConversion::Tal:
        break;
    }
    return f.Value();
}

// The source rows of a phase, every one fetched: the progress bar knows its
// maximum before the first row is copied.
void AbreOrigen(TFIBDataSet& origen, TDMImporta& dm, const char* sql, qint32 comunidad)
{
    origen.SetDatabase(&dm.DataBase);
    origen.SetTransaction(&dm.TGenerica);
    origen.SetSelectSQL({QString::fromLatin1(sql)});
    if (TFIBParam* p = origen.ParamByName(QStringLiteral("COMUNIDAD")))
        p->SetAsInteger(comunidad);
    origen.Open();
    origen.FetchAll();
    if (dm.AlEmpezarFase)
        dm.AlEmpezarFase(origen.RecordCount());
}

void Prepara(TFIBQuery& q, TFIBDatabase* db, TFIBTransaction* tr, const QString& sql)
{
    q.SetDatabase(db);
    q.SetTransaction(tr);
    q.SetSQL(sql);
    q.Prepare();
}

// One table by the key rule. The look-up, the update and the insert are
// prepared once for the phase: preparing costs many times a row. When
// `copiadas` is given, it receives the owner and code of every row copied.
void Copia(TDMImporta& dm, const TTabla& t, qint32 comunidad, std::set<std::pair<qint64, qint64>>* copiadas = nullptr)
{
    TFIBDataSet origen;
    AbreOrigen(origen, dm, t.origen, comunidad);

    const QString tabla = QString::fromLatin1(t.tabla);
    QStringList condicion, asignaciones, nombres, parametros;
    for (const char* c : t.claves) {
        const QString n = QString::fromLatin1(c);
        condicion << n + QStringLiteral("=?") + n;
        nombres << n;
        parametros << QLatin1Char('?') + n;
    }
    for (const TColumna& c : t.columnas) {
        const QString n = QString::fromLatin1(c.nombre);
        asignaciones << n + QStringLiteral("=?") + n;
        nombres << n;
        parametros << QLatin1Char('?') + n;
    }
    const QString donde = QStringLiteral(" WHERE ") + condicion.join(QStringLiteral(" AND "));
    TFIBDatabase* destino = &DMMain->DataBase;
    TFIBQuery busca, modifica, inserta;
    Prepara(busca, destino, &dm.FIBTransaction, QStringLiteral("SELECT 1 FROM ") + tabla + donde);
    Prepara(modifica, destino, &dm.FIBTransaction,
            QStringLiteral("UPDATE ") + tabla + QStringLiteral(" SET ") + asignaciones.join(QLatin1Char(',')) + donde);
    Prepara(inserta, destino, &dm.FIBTransaction,
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(tabla, nombres.join(QLatin1Char(',')), parametros.join(QLatin1Char(','))));

    // Each source column with the parameters it fills, found once.
    struct TEnlace {
        TField* campo;
        TConversion conversion;
        TFIBParam* busca;
        TFIBParam* modifica;
        TFIBParam* inserta;
    };
    std::vector<TEnlace> enlaces;
    for (const char* c : t.claves) {
        const QString n = QString::fromLatin1(c);
        enlaces.push_back({origen.FieldByName(n), TConversion::Tal, busca.ParamByName(n), modifica.ParamByName(n),
                           inserta.ParamByName(n)});
    }
    for (const TColumna& c : t.columnas) {
        const QString n = QString::fromLatin1(c.nombre);
        enlaces.push_back({origen.FieldByName(n), c.conversion, nullptr, modifica.ParamByName(n), inserta.ParamByName(n)});
    }

    TField* propietario = copiadas ? origen.FieldByName(QStringLiteral("PROPIETARIO")) : nullptr;
    TField* codigo = copiadas ? origen.FieldByName(QStringLiteral("CODIGO")) : nullptr;
    for (origen.First(); !origen.Eof(); origen.Next()) {
        if (copiadas)
            copiadas->emplace(propietario->AsInteger(), codigo->AsInteger());
        for (const TEnlace& e : enlaces) {
            const TFIBValue v = Valor(*e.campo, e.conversion);
            if (e.busca)
                e.busca->SetValue(v);
            e.modifica->SetValue(v);
            e.inserta->SetValue(v);
        }
        busca.ExecQuery();
        const bool existe = !busca.Eof();
        busca.Close();
        (existe ? modifica : inserta).ExecQuery();
        if (dm.AlCopiarFila)
            dm.AlCopiarFila();
    }
}

} // namespace

TDMImporta::TDMImporta()
{
    // The program only reads the accounting database: a read-only
    // transaction says so to the server and can never write there.
    TGenerica.LoadDefinition(&DataBase, {.TRParams = {QStringLiteral("read_committed"), QStringLiteral("rec_version"),
                                                      QStringLiteral("nowait"), QStringLiteral("read")}});
    FIBTransaction.LoadDefinition(&DMMain->DataBase);
}

QString TDMImporta::CaminoTaldemar()
{
    return TIniFile(FicheroPerfil(QStringLiteral("taldemar.ini")))
        .ReadString(QStringLiteral("Datos"), QStringLiteral("BaseDeDatos"), QString());
}

void TDMImporta::Conecta(const QString& camino)
{
    DataBase.SetDBName(camino);
    DataBase.SetDBParams(ParametrosConexion(QStringLiteral("taldemar.ini"), QStringLiteral("Datos"), ClaveIncorporada()));
    try {
        DataBase.Open();
        TGenerica.StartTransaction();
    } catch (...) {
        if (DataBase.Connected())
            DataBase.Close();
        throw;
    }
}

void TDMImporta::Desconecta()
{
    DataBase.Close();
}

template <typename F>
void TDMImporta::EnTransaccion(F&& copia)
{
    FIBTransaction.StartTransaction();
    try {
        copia();
        // The source first: once the destination is committed, nothing may
        // fail and be taken for a rollback.
        TGenerica.Commit();
        FIBTransaction.Commit();
    } catch (...) {
        try {
            if (FIBTransaction.Active())
                FIBTransaction.Rollback();
        } catch (const EFIBError&) {
            // The first error is the one to tell; a transaction the server
            // could not roll back now is rolled back when the attachment ends.
        }
        throw;
    }
}

void TDMImporta::ImportaComunidades()
{
    EnTransaccion([this] {
        CopiaComunidades();
        for (const TTabla& t : kCatalogos)
            Copia(*this, t, 0);
    });
}

void TDMImporta::ImportaPropietarios(qint32 comunidad)
{
    FincasInactivadas.clear();
    DireccionesInactivadas.clear();
    QStringList fincas, direcciones;
    EnTransaccion([&] {
        std::set<std::pair<qint64, qint64>> enDirecciones, enFincas;
        Copia(*this, kRegistro[0], comunidad);
        Copia(*this, kRegistro[1], comunidad, &enDirecciones);
        Copia(*this, kRegistro[2], comunidad, &enFincas);
        direcciones = InactivaAusentes(QStringLiteral("EMP_DIRECCIONES"), QStringLiteral("DOMICILIO"), comunidad, enDirecciones);
        fincas = InactivaAusentes(QStringLiteral("EMP_FINCAS"), QStringLiteral("NOMBRE"), comunidad, enFincas);
    });
    // Told only once they are committed.
    FincasInactivadas = fincas;
    DireccionesInactivadas = direcciones;
    // A register filled in bulk: the name searches go on reading through the
    // owners' word indexes. Only a guide to the engine's plans: the import is
    // complete whether or not it can be recomputed (another user's table on
    // a server).
    try {
        ActualizaEstadisticas(DMMain->DataBase, QStringLiteral("EMP_PROPIETARIO"));
    } catch (const EFIBError&) {
    }
}

QStringList TDMImporta::InactivaAusentes(const QString& tabla, const QString& descripcion, qint32 comunidad,
                                         const std::set<std::pair<qint64, qint64>>& enOrigen)
{
    QStringList inactivadas;
    if (enOrigen.empty())
        return inactivadas;
    TFIBDatabase* destino = &DMMain->DataBase;
    TFIBQuery activas, inactiva;
    Prepara(activas, destino, &FIBTransaction,
            QStringLiteral("SELECT R.PROPIETARIO, R.CODIGO, R.%1, P.NOMBRE FROM %2 R LEFT JOIN EMP_PROPIETARIO P "
                           "ON P.COMUNIDAD = R.COMUNIDAD AND P.CODIGO = R.PROPIETARIO "
                           "WHERE R.COMUNIDAD = ?COMUNIDAD AND R.ACTIVO = 1 ORDER BY R.PROPIETARIO, R.CODIGO")
                .arg(descripcion, tabla));
    Prepara(inactiva, destino, &FIBTransaction,
            QStringLiteral("UPDATE %1 SET ACTIVO = 0 WHERE COMUNIDAD = ?COMUNIDAD AND PROPIETARIO = ?PROPIETARIO "
                           "AND CODIGO = ?CODIGO")
                .arg(tabla));
    // Read whole first: the rows are changed as they are told.
    struct TAusente {
        qint64 propietario, codigo;
        QString texto;
    };
    std::vector<TAusente> ausentes;
    activas.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    for (activas.ExecQuery(); !activas.Eof(); activas.Next()) {
        const qint64 propietario = activas.Fields(0)->AsInteger();
        const qint64 codigo = activas.Fields(1)->AsInteger();
        if (enOrigen.count({propietario, codigo}))
            continue;
        ausentes.push_back({propietario, codigo,
                            QStringLiteral("%1 (propietario %2, %3)")
                                .arg(activas.Fields(2)->AsString().trimmed(), QString::number(propietario),
                                     activas.Fields(3)->AsString().trimmed())});
    }
    activas.Close();
    inactiva.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    for (const TAusente& a : ausentes) {
        inactiva.ParamByName(QStringLiteral("PROPIETARIO"))->SetAsInteger(a.propietario);
        inactiva.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(a.codigo);
        inactiva.ExecQuery();
        inactivadas << a.texto;
    }
    return inactivadas;
}

void TDMImporta::CopiaComunidades()
{
    TFIBDataSet origen;
    AbreOrigen(origen, *this, "SELECT * FROM SYS_COMUNIDAD", 0);
    TFIBQuery ejercicio, meses, presidente, imp;
    Prepara(ejercicio, &DataBase, &TGenerica,
            QStringLiteral("SELECT MAX(EJERCICIO) EJERCICIO FROM EMP_EJERCICIOS WHERE COMUNIDAD=?CODIGO"));
    Prepara(meses, &DataBase, &TGenerica,
            QStringLiteral("SELECT MES_INICIO,MES_CIERRE FROM EMP_EJERCICIOS WHERE COMUNIDAD=?CODIGO AND EJERCICIO=?EJERCICIO"));
    Prepara(presidente, &DataBase, &TGenerica,
            QStringLiteral("SELECT PRESIDENTE,TEL_PRESIDENTE FROM EMP_EJERCICIOS WHERE COMUNIDAD=?COMUNIDAD AND EJERCICIO=?EJERCICIO"));
    Prepara(imp, &DMMain->DataBase, &FIBTransaction,
            QStringLiteral("execute procedure sys_comunidad_imp(?codigo,?nombre, ?domicilio,?cod_postal,?poblacion, "
                           "?provincia,?telefono,?ejercicio,?mes1,?mes2,?presidente,?tel_presidente)"));
    // The first column of the statement's row: 0 or the empty text when there
    // is no row or the value is missing.
    auto numero = [](TFIBQuery& q, int i) { return q.Eof() || q.Fields(i)->IsNull() ? 0 : q.Fields(i)->AsInteger(); };
    auto texto = [](TFIBQuery& q, int i) { return q.Eof() ? QString() : q.Fields(i)->AsString(); };

    TField* codigo = origen.FieldByName(QStringLiteral("CODIGO"));
    const char* const textos[] = {"NOMBRE", "DOMICILIO", "COD_POSTAL", "POBLACION", "PROVINCIA", "TELEFONO"};
    std::vector<std::pair<TField*, TFIBParam*>> copiados;
    for (const char* c : textos)
        copiados.emplace_back(origen.FieldByName(QString::fromLatin1(c)), imp.ParamByName(QString::fromLatin1(c)));

    for (origen.First(); !origen.Eof(); origen.Next()) {
        const qint64 cod = codigo->AsInteger();
        ejercicio.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(cod);
        ejercicio.ExecQuery();
        const qint64 anio = numero(ejercicio, 0);
        ejercicio.Close();
        meses.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(cod);
        meses.ParamByName(QStringLiteral("EJERCICIO"))->SetAsInteger(anio);
        meses.ExecQuery();
        imp.ParamByName(QStringLiteral("mes1"))->SetAsInteger(numero(meses, 0));
        imp.ParamByName(QStringLiteral("mes2"))->SetAsInteger(numero(meses, 1));
        meses.Close();
        presidente.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(cod);
        presidente.ParamByName(QStringLiteral("EJERCICIO"))->SetAsInteger(anio);
        presidente.ExecQuery();
        imp.ParamByName(QStringLiteral("presidente"))->SetAsString(texto(presidente, 0));
        imp.ParamByName(QStringLiteral("tel_presidente"))->SetAsString(texto(presidente, 1));
        presidente.Close();

        imp.ParamByName(QStringLiteral("codigo"))->SetAsInteger(cod);
        for (const auto& [campo, parametro] : copiados)
            parametro->SetValue(Valor(*campo, TConversion::Texto));
        imp.ParamByName(QStringLiteral("ejercicio"))->SetAsInteger(anio);
        imp.ExecQuery();
        // Each community is kept as soon as it is written.
        FIBTransaction.CommitRetaining();
        if (AlCopiarFila)
            AlCopiarFila();
    }
}
