// The convocations' workspace on a meeting of 2 000 owners, embedded:
// opening the screen, switching to the vote page, switching one owner's
// attendance with Enter, and moving across the ten vote columns, which must
// read the tally of each point and never the vote rows again. Prints the
// medians of several rounds and their ratios to the database's own share of
// the work, measured in the same run.
#include "Medidas.h"
#include "SesionBench.h"
#include "CreaBaseDatos.h"
#include "FIBQuery.h"
#include "UDMMain.h"
#include "UFConvoca.h"
#include "UPerfil.h"
#include "UVotaciones.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace qdbench;

// What the database does to switch one attendance: the procedure and the
// commit, then the row read again.
double AsistenciaEnBruto(TFIBDatabase& db, TFIBTransaction& tr)
{
    QElapsedTimer t;
    t.start();
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(QStringLiteral("EXECUTE PROCEDURE VOTACIONES_ASISTENCIA(1, 1, 2)"));
    q.ExecQuery();
    q.Close();
    tr.CommitRetaining();
    q.SetSQL(QStringLiteral("SELECT * FROM VOTACIONES WHERE COMUNIDAD=1 AND CONVOCATORIA=1 AND PROPIETARIO=2"));
    q.ExecQuery();
    q.Close();
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
    const int rondas = 7;
    try {
        const QString base = BaseSintetica(dir, propietarios);
        TDMMain sesion;
        if (!AbreSesion(sesion, base))
            return 1;
        Entorno.Comunidad = 1;
        {
            TDMConvoca conv;
            conv.QTabla.Insert();
            conv.QTabla.FieldByName(QStringLiteral("LUGAR"))->SetAsString(QStringLiteral("SALA COMUN"));
            conv.QTabla.Post();
        }

        std::vector<double> abre, pagina, asiste, columnas, bruto;
        int lecturas = 0;
        qsizetype filas = 0;
        TFIBTransaction tr;
        tr.SetDefaultDatabase(&sesion.DataBase);
        tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
        tr.StartTransaction();
        for (int i = 0; i < rondas; ++i) {
            bruto.push_back(AsistenciaEnBruto(sesion.DataBase, tr));
            QElapsedTimer t;
            t.start();
            auto* w = new TFConvoca;
            w->show();
            QApplication::processEvents();
            abre.push_back(Ms(t));

            TDMConvoca& dm = *w->DM();
            int aperturas = 0;
            auto despues = dm.QVotacion.AfterOpen;
            dm.QVotacion.AfterOpen = [&](TFIBDataSet& ds) {
                ++aperturas;
                despues(ds);
            };
            t.start();
            w->PCMain->setCurrentWidget(w->TSVotaciones);
            QApplication::processEvents();
            pagina.push_back(Ms(t));

            TRejillaVotaciones* g = w->TSVotaciones->DBGVotos;
            g->setCurrentIndex(g->Modelo()->index(0, 2)); // "As." of the first owner
            t.start();
            QTest::keyClick(g, Qt::Key_Return);
            QApplication::processEvents();
            asiste.push_back(Ms(t));

            g->setCurrentIndex(g->Modelo()->index(g->currentIndex().row(), 2));
            aperturas = 0;
            t.start();
            for (int c = 0; c < 10; ++c) {
                QTest::keyClick(g, Qt::Key_Right);
                QApplication::processEvents();
            }
            columnas.push_back(Ms(t));
            lecturas += aperturas;
            filas = dm.QVotacion.RecordCount();
            delete w;
        }
        tr.Commit();

        const double a = Mediana(abre), p = Mediana(pagina), s = Mediana(asiste), c = Mediana(columnas);
        const double b = Mediana(bruto);
        std::printf("vote rows fetched on opening (of %d owners): %lld rows\n", propietarios, static_cast<long long>(filas));
        std::printf("opening the screen: %.1f ms (goal <= 100)\n", a);
        std::printf("switching to the vote page: %.1f ms (goal <= 100)\n", p);
        std::printf("switching one attendance with Enter: %.1f ms (goal <= 100)\n", s);
        std::printf("switching one attendance, the database's share alone (procedure, commit, row): %.1f ms\n", b);
        std::printf("switching one attendance, ratio to the database's share: %.2f\n", s / b);
        std::printf("moving across the ten vote columns: %.1f ms\n", c);
        std::printf("vote rows read again while moving across the ten columns: %d times (goal <= 0)\n", lecturas);
        DMMain = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
