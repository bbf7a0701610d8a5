// Creating databases and the meeting procedures at size: prints seconds and
// milliseconds, and ratios to a baseline measured in the same run.
#include "Medidas.h"
#include "CreaBaseDatos.h"

#include "FIBDatabase.h"
#include "FIBQuery.h"
#include "FIBTransaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace qdbench;

double Segundos(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e9; }

struct TConexion {
    TFIBDatabase db;
    TFIBTransaction tr;
    explicit TConexion(const QString& path)
    {
        db.SetDBName(path);
        db.SetDBParams({QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=kelpstone")});
        db.Open();
        tr.SetDefaultDatabase(&db);
        tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
        tr.StartTransaction();
    }
    void Ejecuta(const QString& sql, int comunidad, int convocatoria)
    {
        TFIBQuery q;
        q.SetDatabase(&db);
        q.SetTransaction(&tr);
        q.SetSQL(sql);
        q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
        if (TFIBParam* p = q.ParamByName(QStringLiteral("CONVOCATORIA")))
            p->SetAsInteger(convocatoria);
        q.ExecQuery();
        while (!q.Eof())
            q.Next();
    }
};

// What the database spares the program: the vote rows built by the client,
// one prepared insert per owner after reading owners and coefficients.
void VotosDesdeElCliente(TConexion& c, int comunidad, int convocatoria)
{
    TFIBQuery lee;
    lee.SetDatabase(&c.db);
    lee.SetTransaction(&c.tr);
    lee.SetSQL(QStringLiteral(
        "SELECT P.CODIGO, P.NOMBRE, (SELECT COALESCE(SUM(F.COEFICIENTES), 0) FROM EMP_FINCAS F WHERE F.COMUNIDAD=P.COMUNIDAD "
        "AND F.PROPIETARIO=P.CODIGO AND F.ACTIVO=1) FROM EMP_PROPIETARIO P WHERE P.COMUNIDAD=?COMUNIDAD AND P.CODIGO<>0"));
    lee.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(comunidad);
    TFIBQuery inserta;
    inserta.SetDatabase(&c.db);
    inserta.SetTransaction(&c.tr);
    inserta.SetSQL(QStringLiteral(
        "INSERT INTO VOTACIONES (COMUNIDAD, CONVOCATORIA, PROPIETARIO, NOMBRE, COEFICIENTES, ASISTENCIA, SALDO) "
        "VALUES (?C, ?V, ?P, ?N, ?K, 0, 0)"));
    lee.ExecQuery();
    while (!lee.Eof()) {
        inserta.ParamByName(QStringLiteral("C"))->SetAsInteger(comunidad);
        inserta.ParamByName(QStringLiteral("V"))->SetAsInteger(convocatoria);
        inserta.ParamByName(QStringLiteral("P"))->SetAsInteger(lee.Fields(0)->AsInteger());
        inserta.ParamByName(QStringLiteral("N"))->SetAsString(lee.Fields(1)->AsString());
        inserta.ParamByName(QStringLiteral("K"))->SetAsFloat(lee.Fields(2)->AsFloat());
        inserta.ExecQuery();
        lee.Next();
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    try {
        QElapsedTimer t;
        // The engine loads its plugins on the first attachment: not measured.
        CreaBaseDatos(dir.filePath(QStringLiteral("calentamiento.fdb")));

        // 1. The program's first start: the default database with demo data,
        // forced writes on; baseline: the same database without demo rows.
        t.start();
        CreaBaseDatos(dir.filePath(QStringLiteral("vacia.fdb")));
        const double vacia = Segundos(t);
        TOpcionesBD demo;
        demo.Contenido = TContenidoBD::Demo;
        t.start();
        CreaBaseDatos(dir.filePath(QStringLiteral("demo.fdb")), demo);
        const double conDemo = Segundos(t);
        std::printf("default database with demo data: %.3f s (structure only %.3f s, ratio %.2f)\n", conDemo, vacia,
                    conDemo / vacia);

        // 2. Synthetic 10 x 2000 x 2.
        TOpcionesBD sint;
        sint.Contenido = TContenidoBD::Sintetica;
        sint.Comunidades = 10;
        sint.Propietarios = 2000;
        sint.Fincas = 2;
        const QString sintetica = dir.filePath(QStringLiteral("sintetica.fdb"));
        t.start();
        CreaBaseDatos(sintetica, sint);
        const double s = Segundos(t);
        const double filas = 10.0 * 2000 * (1 + 2 + 1); // owners, properties, addresses
        std::printf("synthetic 10 communities x 2000 owners x 2 properties: %.3f s (%.0f rows, %.0f rows/s; "
                    "ratio to structure only %.1f)\n", s, filas, filas / (s - vacia), s / vacia);

        // 3. A convocation of a 2000-owner community: vote rows and tallies by
        // the procedures; baseline: the vote rows built by the client.
        TConexion c(sintetica);
        const int repeticiones = 5;
        std::vector<double> crea, confirma, cliente, calcula, recorrido;
        for (int i = 0; i < repeticiones; ++i) {
            const int conv = i + 1;
            t.start();
            c.Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_propi(?COMUNIDAD,?CONVOCATORIA)"), 1, conv);
            c.Ejecuta(QStringLiteral("EXECUTE PROCEDURE votaciones_puntos_mete(?COMUNIDAD,?CONVOCATORIA)"), 1, conv);
            crea.push_back(Segundos(t) * 1000);
            t.start();
            c.tr.CommitRetaining();
            confirma.push_back(Segundos(t) * 1000);

            t.start();
            VotosDesdeElCliente(c, 2, conv);
            cliente.push_back(Segundos(t) * 1000);
            c.tr.CommitRetaining();

            // Everybody attends, votes spread over yes, no and abstention.
            c.Ejecuta(QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA=1, P1=IIF(MOD(PROPIETARIO,3)=0,'S',IIF(MOD(PROPIETARIO,3)=1,'N','A')), "
                                     "P2='S', P5='N', P10='A' WHERE COMUNIDAD=?COMUNIDAD AND CONVOCATORIA=?CONVOCATORIA"), 1, conv);
            c.tr.CommitRetaining();
            t.start();
            c.Ejecuta(QStringLiteral("EXECUTE procedure CONVOCATORIA_ASISTENCIA (?COMUNIDAD,?CONVOCATORIA)"), 1, conv);
            c.Ejecuta(QStringLiteral("EXECUTE procedure votaciones_calcula (?COMUNIDAD,?CONVOCATORIA)"), 1, conv);
            calcula.push_back(Segundos(t) * 1000);
            c.tr.CommitRetaining();

            t.start();
            c.Ejecuta(QStringLiteral("SELECT COUNT(*), SUM(COEFICIENTES) FROM VOTACIONES WHERE COMUNIDAD=?COMUNIDAD "
                                     "AND CONVOCATORIA=?CONVOCATORIA AND ASISTENCIA=1"), 1, conv);
            recorrido.push_back(Segundos(t) * 1000);
        }
        std::printf("new convocation, 2000 owners (votaciones_propi + votaciones_puntos_mete): median %.1f ms "
                    "(client-side inserts %.1f ms, ratio %.2f); then the commit, forced writes: %.1f ms\n",
                    Mediana(crea), Mediana(cliente), Mediana(crea) / Mediana(cliente), Mediana(confirma));
        std::printf("attendance totals + tallies, 2000 vote rows (convocatoria_asistencia + votaciones_calcula): "
                    "median %.1f ms (one aggregate pass %.2f ms, ratio %.1f)\n", Mediana(calcula), Mediana(recorrido),
                    Mediana(calcula) / Mediana(recorrido));
    } catch (const EFIBError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
