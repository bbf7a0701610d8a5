// A meeting of a 2 000-owner community, embedded: creating the convocation
// through the data module (numbering, vote and tally rows, commit and
// recount) and merging its minutes with everybody attending. Prints the
// medians of several rounds and their ratios to the database's own share of
// the work, measured in the same run; and the time from a vote, an attendance
// or an objection changed to the point's result on the vote tab's panel.
#include "Medidas.h"
#include "SesionBench.h"
#include "CreaBaseDatos.h"
#include "UFAcuerdos.h"
#include "UDMConvoca.h"
#include "UDMMain.h"
#include "UPerfil.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace qdbench;

// The minutes template: every merge field, the lists among them.
const char kActa[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fmodern Courier New;}}\\pard\\f0\\fs18 "
    "ACTA DE LA JUNTA GENERAL DE [Comunidad]\\par En [ComunidadPoblacion], [ComunidadDomicilio], a las [Hora1] "
    "(segunda convocatoria [Hora2]) del [Fecha1], en [Lugar], se reunen:\\par [Asistentes]\\par Preside [Presidente]; "
    "secretario [Administrador] ([AdministradorCif]), [AdministradorDomicilio], [AdministradorPoblacion].\\par "
    "Orden del dia:\\par [Puntos]\\par Deudores:\\par [Deudores]\\par En [ComunidadPoblacion], a [Fecha].\\par }";

// What the database does for a new convocation whatever the client: the two
// procedures, the row and one commit (retaining, as the data module's).
double CreaEnBruto(TFIBDatabase& db, TFIBTransaction& tr, int codigo)
{
    QElapsedTimer t;
    t.start();
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    for (const char* sql : {"EXECUTE PROCEDURE votaciones_propi(?COMUNIDAD,?CONVOCATORIA)",
                            "EXECUTE PROCEDURE votaciones_puntos_mete(?COMUNIDAD,?CONVOCATORIA)",
                            "INSERT INTO CONVOCATORIAS (COMUNIDAD, CODIGO, ORDEN) VALUES (?COMUNIDAD, ?CONVOCATORIA, '1')"}) {
        q.SetSQL(QString::fromLatin1(sql));
        q.ParamByName(QStringLiteral("COMUNIDAD"))->SetAsInteger(1);
        q.ParamByName(QStringLiteral("CONVOCATORIA"))->SetAsInteger(codigo);
        q.ExecQuery();
    }
    tr.CommitRetaining();
    return Ms(t);
}

// The rows the attendance list is made of, read and walked.
double LeeAsistencia(TFIBDatabase& db, int codigo)
{
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
    QElapsedTimer t;
    t.start();
    tr.StartTransaction();
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(QStringLiteral("SELECT PROPIETARIO, REPRESENTADO, COEFICIENTE_P, FINCA, COEFICIENTE FROM VER_JUNTAS "
                            "WHERE COMUNIDAD=1 AND CONVOCATORIA=?C AND ASISTENCIA=1 ORDER BY PROPIETARIO,FINCA"));
    q.ParamByName(QStringLiteral("C"))->SetAsInteger(codigo);
    q.ExecQuery();
    while (!q.Eof())
        q.Next();
    tr.Commit();
    return Ms(t);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const int propietarios = 2000;
    const int rondas = 5;
    try {
        const QString base = BaseSintetica(dir, propietarios);
        TDMMain sesion;
        if (!AbreSesion(sesion, base))
            return 1;
        Entorno.Comunidad = 1;

        std::vector<double> crea, asiste, combina, bruto, lectura, voto, votoYResultado, asistenciaYResultado,
            oposicionYResultado;
        std::vector<int> resultado;
        qsizetype bytes = 0;
        {
            // The baseline's rounds alternate with the module's, so that both
            // meet the same garbage of earlier rounds; its codes are negative,
            // out of the module's numbering.
            TFIBTransaction tr;
            tr.SetDefaultDatabase(&sesion.DataBase);
            tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
            tr.StartTransaction();
            TDMConvoca conv;
            const QString tmp1 = dir.filePath(QStringLiteral("tmp1.rtf"));
            for (int i = 0; i < rondas; ++i) {
                bruto.push_back(CreaEnBruto(sesion.DataBase, tr, -1 - i));
                QElapsedTimer t;
                t.start();
                conv.QTabla.Insert();
                conv.QTabla.FieldByName(QStringLiteral("LUGAR"))->SetAsString(QStringLiteral("SALA COMUN"));
                conv.QTabla.FieldByName(QStringLiteral("ORDEN"))
                    ->SetAsString(QStringLiteral("1º.- Cuentas.\n2º.- Presupuesto.\n3º.- Ruegos y preguntas."));
                conv.QTabla.Post();
                crea.push_back(Ms(t));
                t.start();
                conv.SetAttendanceAll(1);
                asiste.push_back(Ms(t));
                QFile f(tmp1);
                if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(kActa) < 0)
                    throw EUtilesError(QStringLiteral("no se puede escribir ") + tmp1);
                f.close();
                t.start();
                conv.MergeDocument(QStringLiteral("ACTA"));
                combina.push_back(Ms(t));
                bytes = conv.QTabla.FieldByName(QStringLiteral("ACTA"))->AsBytes().size();
                conv.QTabla.Cancel();
                lectura.push_back(LeeAsistencia(sesion.DataBase, static_cast<int>(conv.QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger())));
            }
            tr.Commit();

            // During the meeting, on the law's panel of the vote tab: a vote
            // typed and saved, an owner leaving, an absent owner objecting;
            // each time until the point's result on the panel is up to date.
            // Every round counts, the first one included.
            conv.QTabla.First();
            TFAcuerdos panel(sesion.DataBase, conv.FIBTransaction);
            panel.MuestraConvocatoria(1, static_cast<int>(conv.QTabla.FieldByName(QStringLiteral("CODIGO"))->AsInteger()));
            panel.MuestraPunto(1);
            emit panel.CbLlamada->activated(static_cast<int>(TLlamada::Segunda));
            emit panel.CbMayoria->activated(static_cast<int>(TMayoria::TresQuintos));
            conv.QVotacion.First();
            for (int i = 0; i < 20 && !conv.QVotacion.Eof(); ++i, conv.QVotacion.Next()) {
                QElapsedTimer t;
                t.start();
                conv.QVotacion.Edit();
                conv.QVotacion.FieldByName(QStringLiteral("P1"))->SetAsString(i % 2 ? QStringLiteral("S") : QStringLiteral("N"));
                conv.QVotacion.Post();
                voto.push_back(Ms(t));
                panel.VotosCambiados();
                votoYResultado.push_back(Ms(t));
                resultado.push_back(panel.Acuerdos().Resultado(1).Si);
                t.start();
                conv.ToggleAttendance();
                panel.VotosCambiados();
                asistenciaYResultado.push_back(Ms(t));
                panel.MuestraPropietario(static_cast<int>(conv.QVotacion.FieldByName(QStringLiteral("PROPIETARIO"))->AsInteger()));
                t.start();
                panel.ChOpone->click();
                oposicionYResultado.push_back(Ms(t));
                if (!panel.ChOpone->isChecked())
                    throw EUtilesError(QStringLiteral("la oposición no se ha registrado"));
            }
        }

        const double c = Mediana(crea), a = Mediana(asiste), m = Mediana(combina);
        const double b = Mediana(bruto), l = Mediana(lectura);
        std::printf("new convocation of %d owners (vote and tally rows, commit, recount): %.1f ms\n", propietarios, c);
        std::printf("new convocation, the database's share alone (procedures, row, commit): %.1f ms\n", b);
        std::printf("new convocation, ratio to the database's share: %.2f\n", c / b);
        std::printf("everybody attends (update, totals, tallies, vote rows read again): %.1f ms\n", a);
        std::printf("minutes merged with %d attendants and %d properties: %.1f ms\n", propietarios, 2 * propietarios, m);
        std::printf("minutes, the attendance rows read alone: %.1f ms\n", l);
        std::printf("minutes, ratio to reading the attendance rows: %.2f\n", m / l);
        std::printf("merged minutes: %lld bytes\n", static_cast<long long>(bytes));
        std::printf("new convocation and merged minutes together: %.1f ms (goal <= 1000)\n", c + m);
        std::printf("new convocation, everybody attends and merged minutes together: %.1f ms (goal <= 1000)\n", c + a + m);
        const double v = Mediana(voto), vr = Mediana(votoYResultado);
        std::printf("vote typed and saved: %.1f ms\n", v);
        std::printf("vote typed, saved and the point's result under its majority updated: %.1f ms\n", vr);
        std::printf("point's result, ratio to the vote saved alone: %.2f\n", vr / v);
        const struct {
            const char* que;
            const std::vector<double>& tiempos;
        } cambios[] = {{"a vote", votoYResultado}, {"an attendance", asistenciaYResultado}, {"an objection", oposicionYResultado}};
        for (const auto& c : cambios) {
            std::printf("point's result of %d owners after %s changes, first run: %.1f ms (goal <= 50)\n", propietarios, c.que,
                        c.tiempos.front());
            std::printf("point's result of %d owners after %s changes, slowest of %zu: %.1f ms (goal <= 50)\n", propietarios,
                        c.que, c.tiempos.size(), *std::max_element(c.tiempos.begin(), c.tiempos.end()));
        }
        DMMain = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
