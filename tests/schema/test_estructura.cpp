// The program's database as the rest of the program reads it: tables with
// their columns, types, lengths and keys; views with the columns read from
// them; the reserved rows; and the screens' statements that hide them.
#include "SchemaTest.h"

#include <QDate>
#include <QRegularExpression>

using namespace qdschema;

namespace {

struct TTablaEsperada {
    const char* tabla;
    const char* clave;    // key columns in order; empty: no key
    const char* columnas; // NAME:TYPE, TYPE I integer, F double, D date-time, Tn text(n), B binary blob, M text blob
};

const TTablaEsperada kTablas[] = {
    {"SYS_COMUNIDAD", "CODIGO",
     "CODIGO:I NOMBRE:T40 DOMICILIO:T60 COD_POSTAL:T10 POBLACION:T30 PROVINCIA:T30 TELEFONO:T15 EJERCICIO:I "
     "MES_INICIO:I MES_CIERRE:I REFERENCIAS:I PRESIDENTE:T40 TEL_PRESIDENTE:T15"},
    {"EMP_PROPIETARIO", "COMUNIDAD CODIGO",
     "COMUNIDAD:I CODIGO:I NOMBRE:T40 TELEFONO:T15 FAX:T15 MOVIL:T15 E_MAIL:T100 NIF:T9 IDIOMA:I FORMA_PAGO:I "
     "BANCO:T4 OFICINA:T4 DC:T2 CUENTA_BANCO:T10 OBSERVACIONES:T200 TEXTO:I OBS:B AVISO1:T80 AVISO2:T80"},
    {"EMP_FINCAS", "COMUNIDAD PROPIETARIO CODIGO",
     "COMUNIDAD:I PROPIETARIO:I CODIGO:I NOMBRE:T20 DOMICILIO:T70 COD_POSTAL:T10 POBLACION:T30 PROVINCIA:T30 "
     "TELEFONO:T15 COEFICIENTES:F REF_CATASTRAL:T10 M2_PARCELA:F M2_UTILES:F TIPO_FINCA:I USO_FINCA:I "
     "FORMA_PAGO:I CLAVE:T3 OBSERVACIONES:B BANCO:T4 OFICINA:T4 DC:T2 CUENTA_BAN:T10 CUOTA_PTS:F CUOTA_EUR:F "
     "ACTIVO:I INQUILINO:T40 REFERENCIA:I"},
    {"EMP_DIRECCIONES", "COMUNIDAD PROPIETARIO CODIGO",
     "COMUNIDAD:I PROPIETARIO:I CODIGO:I DOMICILIO:T70 COD_POSTAL:T10 POBLACION:T30 PROVINCIA:T30 ACTIVO:I"},
    {"SYS_BANCOS", "ENTIDAD", "ENTIDAD:T4 NOMBRE:T40"},
    {"SYS_FORMAS_PAGO", "CODIGO", "CODIGO:I NOMBRE:T20"},
    {"SYS_TIPOS_FINCA", "CODIGO", "CODIGO:I NOMBRE:T20"},
    {"SYS_USO_FINCAS", "CODIGO", "CODIGO:I NOMBRE:T20"},
    {"SYS_IDIOMAS", "CODIGO", "CODIGO:I NOMBRE:T20"},
    {"ADMINISTRADOR", "CODIGO",
     "CODIGO:I EMPRESA:T60 PERSONA:T35 DOMICILIO:T35 POBLACION:T30 PROVINCIA:T20 TELEFONO:T15 FAX:T15 "
     "MOVIL:T15 E_MAIL:T30 CIF:T15 CAMINO:T60"},
    {"SYS_PARAMETROS", "CODIGO",
     "CODIGO:I HOST:T40 USUARIO:T40 CLAVE:T20 DIRECTORIO:T40 PUERTO:I PAGINA:T40 DEVOLUCION:T8 ANTICIPO:T8 "
     "COBRADO:T1 CARTAC:I CARTAD:I CARTADE:I CUENTANTICIPO:T3 GENERARAVISOS:I SOPORTE:I IMAGENES:T60 "
     "ANTICIPOS:I ASIENTODOMI:I SALIR:I ASIENTOSAUTO:T5 AVISOGASTOS:I"},
    {"SYS_USUARIO", "CODIGO", "CODIGO:I NOMBRE:T15 CLAVE:T8"},
    {"SYS_REGISTRO", "", "CODIGO:I FECHA_ENTRADA:D FECHA_SALIDA:D"},
    {"SYS_VERSION", "CODIGO", "CODIGO:I VERSION:T40 FECHA:D"},
    {"CONVOCATORIAS", "CODIGO COMUNIDAD",
     "COMUNIDAD:I CODIGO:I DES:T35 COMU:I TIPO:I FECHA:D HORA1:T5 HORA2:T5 LUGAR:T35 FECHAT:D ORDEN:M TEXTO:B "
     "OBS:B ASISTENTES:I COEFICIENTES:F ACTA:B NOTAS:B ESCRITO:D"},
    {"ORDEN", "NUMERO CODIGO COMUNIDAD", "NUMERO:I CODIGO:I COMUNIDAD:I PUNTO:I DES:T80"},
    {"VOTACIONES", "PROPIETARIO CONVOCATORIA COMUNIDAD",
     "COMUNIDAD:I CONVOCATORIA:I PROPIETARIO:I NOMBRE:T40 P1:T1 P2:T1 P3:T1 P4:T1 P5:T1 P6:T1 P7:T1 P8:T1 "
     "P9:T1 P10:T1 COEFICIENTES:F ASISTENCIA:I SALDO:F"},
    {"VOTACIONES_PUNTOS", "PUNTO CONVOCATORIA COMUNIDAD",
     "PUNTO:I CONVOCATORIA:I COMUNIDAD:I VSI:I VNO:I VABS:I CSI:F CNO:F CABS:F"},
    {"DETALLE", "NUMERO CODIGO COMUNIDAD",
     "NUMERO:I CODIGO:I COMUNIDAD:I DES:T60 TERMINADO:I NUMGESTION:I TIPOGESTION:I"},
    {"ASUNTOS", "CODIGO", "CODIGO:I FECHAR:D FECHAP:D ASUNTO:T40 AMPLIADA:T500 COMUNIDAD:I"},
    {"PLANIFICADOR", "HORA FECHA", "HORA:T5 FECHA:D DES:T80 COMUNIDAD:I"},
    {"CALENDARIO", "HORA FECHA USUARIO", "HORA:I FECHA:D USUARIO:I HORA2:I TEXTO:T80 LLAMADA:I"},
    {"SYS_TEXTOS", "CODIGO", "CODIGO:I NOMBRE:T40 TEXTO:B IDIOMA:I"},
    {"SYS_FORMATOS", "CODIGO", "CODIGO:I NOMBRE:T40 FORMATO:B TIPO:I"},
    {"SYS_LISTADOS", "CODIGO", "CODIGO:I NOMBRE:T40 FICHERO:B SQL:T200"},
    {"SYS_LISTADOS_CONDICIONES", "NUMERO CODIGO",
     "NUMERO:I CODIGO:I OPERADOR:T5 CAMPO:T19 TIPOCAMPO:T1 CONTENIDO:T40 TABLA:T30"},
    {"EMP_SALDOS_APER_FINCAS", "", "COMUNIDAD:I EJERCICIO:I PROPIETARIO:I FINCA:I PERIODO:T2"},
    // Views: the columns the program reads from them.
    {"VER_PROPIETARIO_DIRE", "",
     "COMUNIDAD:I CODIGO:I NOMBRE:T40 DOMICILIO:T70 CODIGO_POSTAL:T10 POBLACION:T30 PROVINCIA:T30 TEXTO:I "
     "ACTIVO:I E_MAIL:T100 IDIOMA:I"},
    {"VER_JUNTAS", "",
     "COMUNIDAD:I CONVOCATORIA:I ASISTENCIA:I CODIGO_P:I PROPIETARIO:T40 REPRESENTADO:T40 COEFICIENTE_P:F "
     "FINCA:T20 COEFICIENTE:F"},
    {"VER_CITAS", "", "FECHA:D USUARIO:I TEXTO:T80"},
};

// The type of a column as the letters above, from the database's metadata.
QString TipoColumna(int tipo, int subtipo, const QVariant& longitud)
{
    switch (tipo) {
    case 8: return QStringLiteral("I");
    case 27: return QStringLiteral("F");
    case 35: return QStringLiteral("D");
    case 37: return QStringLiteral("T") + QString::number(longitud.toInt());
    case 261: return subtipo == 1 ? QStringLiteral("M") : QStringLiteral("B");
    default: return QStringLiteral("?%1").arg(tipo);
    }
}

} // namespace

class Estructura : public TBaseTest {};

TEST_F(Estructura, EveryTableAndViewHasItsColumnsWithTheirTypesAndLengths)
{
    for (const TTablaEsperada& t : kTablas) {
        const QString tabla = QString::fromLatin1(t.tabla);
        QHash<QString, QString> reales;
        for (const QVariantList& f : Filas(QStringLiteral(
                 "SELECT TRIM(RF.RDB$FIELD_NAME), F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$CHARACTER_LENGTH "
                 "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
                 "WHERE RF.RDB$RELATION_NAME = ?TABLA"),
                 {{QStringLiteral("TABLA"), T(tabla)}}))
            reales.insert(f[0].toString(), TipoColumna(f[1].toInt(), f[2].toInt(), f[3]));
        ASSERT_FALSE(reales.isEmpty()) << "missing " << t.tabla;
        for (const QString& c : QString::fromLatin1(t.columnas).split(QLatin1Char(' '))) {
            const QString nombre = c.section(QLatin1Char(':'), 0, 0);
            EXPECT_EQ(reales.value(nombre, QStringLiteral("missing")), c.section(QLatin1Char(':'), 1))
                << t.tabla << "." << nombre.toStdString();
        }
    }
}

TEST_F(Estructura, PrimaryKeysFollowTheOrderTheProgramNamesThem)
{
    for (const TTablaEsperada& t : kTablas) {
        if (QString::fromLatin1(t.tabla).startsWith(QLatin1String("VER_")))
            continue;
        QStringList clave;
        for (const QVariantList& f : Filas(QStringLiteral(
                 "SELECT TRIM(S.RDB$FIELD_NAME) FROM RDB$RELATION_CONSTRAINTS RC "
                 "JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME "
                 "WHERE RC.RDB$RELATION_NAME = ?TABLA AND RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
                 "ORDER BY S.RDB$FIELD_POSITION"),
                 {{QStringLiteral("TABLA"), T(QString::fromLatin1(t.tabla))}}))
            clave << f[0].toString();
        if (QString::fromLatin1(t.tabla) == QLatin1String("EMP_SALDOS_APER_FINCAS"))
            EXPECT_EQ(clave.mid(0, 4).join(QLatin1Char(' ')), QStringLiteral("COMUNIDAD EJERCICIO PROPIETARIO FINCA"));
        else
            EXPECT_EQ(clave.join(QLatin1Char(' ')), QString::fromLatin1(t.clave)) << t.tabla;
    }
}

// The defaults the schema notes state: text columns the empty text, number
// columns 0 but the active marks of properties and addresses, which are 1;
// dates, blobs and key columns none.
TEST_F(Estructura, ColumnsDefaultToWhatTheProgramWouldWrite)
{
    const QList<QVariantList> columnas = Filas(QStringLiteral(
        "SELECT TRIM(RF.RDB$RELATION_NAME), TRIM(RF.RDB$FIELD_NAME), F.RDB$FIELD_TYPE, "
        "CAST(COALESCE(RF.RDB$DEFAULT_SOURCE, F.RDB$DEFAULT_SOURCE) AS VARCHAR(100)), "
        "(SELECT COUNT(*) FROM RDB$RELATION_CONSTRAINTS RC JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME "
        " WHERE RC.RDB$RELATION_NAME = RF.RDB$RELATION_NAME AND RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
        " AND S.RDB$FIELD_NAME = RF.RDB$FIELD_NAME) "
        "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
        "JOIN RDB$RELATIONS R ON R.RDB$RELATION_NAME = RF.RDB$RELATION_NAME "
        "WHERE COALESCE(R.RDB$SYSTEM_FLAG, 0) = 0 AND R.RDB$VIEW_BLR IS NULL"));
    ASSERT_GT(columnas.size(), 100);
    const QHash<QString, QString> distintos{
        {QStringLiteral("EMP_FINCAS.ACTIVO"), QStringLiteral("DEFAULT 1")},
        {QStringLiteral("EMP_DIRECCIONES.ACTIVO"), QStringLiteral("DEFAULT 1")},
        {QStringLiteral("SYS_REGISTRO.CODIGO"), QString()}, // no key, always written
        {QStringLiteral("SYS_REGISTRO.CONEXION"), QString()}, // null: a login of an earlier version
    };
    for (const QVariantList& c : columnas) {
        const QString columna = c[0].toString() + QLatin1Char('.') + c[1].toString();
        const int tipo = c[2].toInt();
        QString esperado;
        if (distintos.contains(columna))
            esperado = distintos.value(columna);
        else if (c[4].toInt() > 0 || tipo == 35 || tipo == 261)
            esperado = QString();
        else
            esperado = tipo == 37 ? QStringLiteral("DEFAULT ''") : QStringLiteral("DEFAULT 0");
        EXPECT_EQ(c[3].toString().trimmed().toStdString(), esperado.toStdString()) << columna.toStdString();
    }
}

TEST_F(Estructura, DatabaseIsDialectOneWithUtf8AndDatesCarryTime)
{
    EXPECT_EQ(con->db.SQLDialect(), 1);
    EXPECT_EQ(Valor(QStringLiteral("SELECT TRIM(RDB$CHARACTER_SET_NAME) FROM RDB$DATABASE")).toString(),
              QStringLiteral("UTF8"));
    // Double-quoted literals and date-time values, as the program writes them.
    Ejecuta(QStringLiteral("INSERT INTO SYS_REGISTRO (CODIGO,FECHA_ENTRADA) VALUES (1,\"NOW\")"));
    Ejecuta(QStringLiteral("INSERT INTO ASUNTOS (CODIGO, FECHAR) VALUES (0, \"12/31/2025 17:45:00\")"));
    EXPECT_EQ(Valor(QStringLiteral("SELECT FECHAR FROM ASUNTOS")).toDateTime().time(), QTime(17, 45));
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM SYS_REGISTRO WHERE CODIGO=1")).toInt(), 1);
}

TEST_F(Estructura, TrimFunctionsWorkWithoutTheServersUdfLibrary)
{
    EXPECT_EQ(Valor(QStringLiteral("SELECT '[' || ltrim(rtrim('  a b  ')) || ']' FROM RDB$DATABASE")).toString(),
              QStringLiteral("[a b]"));
    EXPECT_EQ(Valor(QStringLiteral("SELECT '[' || rtrim(ltrim(\"  x\")) || ']' FROM RDB$DATABASE")).toString(),
              QStringLiteral("[x]"));
    EXPECT_FALSE(Valor(QStringLiteral("SELECT ltrim(CAST(NULL AS VARCHAR(10))) FROM RDB$DATABASE")).isValid());
    // A 500-character text, the longest column they are given.
    const QString largo = QString(500, QLatin1Char('x'));
    EXPECT_EQ(Valor(QStringLiteral("SELECT rtrim(?T) FROM RDB$DATABASE"), {{QStringLiteral("T"), T(largo + QStringLiteral("   "))}})
                  .toString(), largo);
}

class FilasReservadas : public TBaseTest {};

TEST_F(FilasReservadas, ANewDatabaseHoldsTheRowsTheProgramNeeds)
{
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM SYS_BANCOS WHERE ENTIDAD = \"0000\"")).toInt(), 1);
    for (const char* tabla : {"SYS_FORMAS_PAGO", "SYS_TIPOS_FINCA", "SYS_USO_FINCAS"})
        EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CODIGO = 0").arg(QLatin1String(tabla))).toInt(), 1)
            << tabla;
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM SYS_IDIOMAS WHERE CODIGO = 1")).toInt(), 1);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM ADMINISTRADOR")).toInt(), 1);
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM SYS_PARAMETROS")).toInt(), 1);

    const QList<QVariantList> version = Filas(QStringLiteral("SELECT VERSION, FECHA FROM SYS_VERSION WHERE CODIGO=1"));
    ASSERT_EQ(version.size(), 1);
    EXPECT_EQ(version[0][0].toString().trimmed(), VersionBaseDatos());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d\\d+$")).match(version[0][0].toString()).hasMatch());
    EXPECT_EQ(version[0][1].toDateTime().date(), QDate::currentDate());

    // The automatic login: user 1, "ADMINISTRADOR", the built-in password.
    const QList<QVariantList> usuario = Filas(QStringLiteral("SELECT CODIGO,NOMBRE,CLAVE FROM SYS_USUARIO WHERE CODIGO=1"));
    ASSERT_EQ(usuario.size(), 1);
    EXPECT_EQ(usuario[0][1].toString(), QStringLiteral("ADMINISTRADOR"));
    EXPECT_EQ(usuario[0][2].toString().trimmed(), QString::fromLatin1(ClaveAccesoAutomatico));
    EXPECT_EQ(QString::fromLatin1(ClaveAccesoAutomatico).size(), 1);
}

TEST_F(FilasReservadas, SuppliedListingsExistAboveTheUsersCodes)
{
    const QList<QVariantList> listados =
        Filas(QStringLiteral("SELECT CODIGO,NOMBRE,FICHERO FROM SYS_LISTADOS WHERE CODIGO>=9000 ORDER BY CODIGO"));
    ASSERT_EQ(listados.size(), 3);
    EXPECT_EQ(listados[0][0].toInt(), 9000);
    EXPECT_EQ(listados[0][1].toString(), QStringLiteral("Listado juntas"));
    EXPECT_EQ(listados[1][0].toInt(), 9001);
    EXPECT_EQ(listados[1][1].toString(), QStringLiteral("Imprimir votaciones"));
    EXPECT_EQ(listados[2][0].toInt(), 9009);
    // A new listing of the user still starts at 1.
    EXPECT_FALSE(Valor(QStringLiteral("SELECT MAX(CODIGO) NUM FROM SYS_LISTADOS WHERE CODIGO < 9000")).isValid());
}

// The catalogue screens and lookups never offer the reserved rows, though
// an owner or property may point to them.
TEST_F(FilasReservadas, ScreensStatementsHideTheReservedRows)
{
    Ejecuta(QStringLiteral("INSERT INTO SYS_BANCOS (ENTIDAD, NOMBRE) VALUES ('0049', 'BANCO')"));
    Ejecuta(QStringLiteral("INSERT INTO SYS_FORMAS_PAGO (CODIGO, NOMBRE) VALUES (1, 'RECIBO')"));
    const struct {
        const char* sql;
        const char* parametro; // a lookup's parameter, given the reserved code
        const char* reservado;
        int filas;
    } listas[] = {
        {"SELECT * FROM SYS_BANCOS\nWHERE ENTIDAD <> \"0000\"", nullptr, "0000", 1},
        {"SELECT * FROM SYS_FORMAS_PAGO\nWHERE CODIGO <> 0\nORDER BY CODIGO", nullptr, "0", 1},
        {"select * from sys_formas_pago where codigo=?forma_pago  AND CODIGO <> 0", "forma_pago", "0", 0},
        {"SELECT * FROM SYS_TIPOS_FINCA WHERE CODIGO=?TIPO_FINCA AND CODIGO <> 0", "TIPO_FINCA", "0", 0},
        {"select * from sys_uso_fincas where codigo =?uso_finca  AND CODIGO <> 0", "uso_finca", "0", 0},
    };
    for (const auto& l : listas) {
        TParametros p;
        if (l.parametro)
            p.push_back({QString::fromLatin1(l.parametro), I(0)});
        const QList<QVariantList> filas = Filas(QString::fromLatin1(l.sql), p);
        EXPECT_EQ(filas.size(), l.filas) << l.sql;
        for (const QVariantList& f : filas)
            EXPECT_NE(f[0].toString(), QString::fromLatin1(l.reservado)) << l.sql;
    }
    // The owner's bank lookup still finds the reserved bank an owner points to.
    EXPECT_EQ(Filas(QStringLiteral("select * from sys_bancos where entidad = ?banco"),
                    {{QStringLiteral("banco"), T(QStringLiteral("0000"))}}).size(), 1);
}

TEST_F(FilasReservadas, EveryCommunityGetsOwnerZeroWhichNoOwnerListOrCountShows)
{
    Comunidad(1);
    Comunidad(2, QStringLiteral("OTRA"));
    EXPECT_EQ(Valor(QStringLiteral("SELECT COUNT(*) FROM EMP_PROPIETARIO WHERE CODIGO = 0")).toInt(), 2);
    // Numbering of the first owner: the highest code in use (owner 0) plus one.
    EXPECT_EQ(Valor(QStringLiteral("execute procedure emp_propietario_codigo( ?comunidad )"),
                    {{QStringLiteral("comunidad"), I(1)}}).toInt() + 1, 1);

    Propietario(1, 1, QStringLiteral("ANA"));
    Propietario(1, 2, QStringLiteral("LUIS"));
    Direccion(1, 0, 1, 1); // even with an active address, owner 0 is never counted
    Direccion(1, 1, 1, 1);
    Direccion(1, 2, 1, 1);
    Direccion(1, 2, 2, 1); // an owner is counted once per active address
    Direccion(1, 2, 3, 0);
    EXPECT_EQ(Valor(QStringLiteral("select count(*) hay from ver_propietario_dire where comunidad=?comunidad and activo=1 and codigo<>0"),
                    {{QStringLiteral("comunidad"), I(1)}}).toInt(), 3);
    const QList<QVariantList> lista = Filas(QStringLiteral("SELECT * FROM EMP_PROPIETARIO WHERE COMUNIDAD = ?COMUNIDAD AND CODIGO <> 0 ORDER BY CODIGO"),
                                            {{QStringLiteral("COMUNIDAD"), I(1)}});
    ASSERT_EQ(lista.size(), 2);
    EXPECT_EQ(lista[0][1].toInt(), 1);
}
