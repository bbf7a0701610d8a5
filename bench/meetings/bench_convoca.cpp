// The convocations' workspace on a meeting of 2 000 owners, embedded:
// opening the screen, switching to the vote page, switching one owner's
// attendance with Enter, and moving across the ten vote columns, which must
// read the tally of each point and never the vote rows again; typing a whole
// column of votes (letter, Enter, Down) from the convocation's first vote;
// and the vote grid's refresh showing another attachment's vote. Prints the
// medians of several rounds (every vote of the column, for the typing) and
// their ratios to the database's own share of the work, measured in the same
// run.
#include "Medidas.h"
#include "SesionBench.h"
#include "CreaBaseDatos.h"
#include "FIBQuery.h"
#include "UDMMain.h"
#include "UFConvoca.h"
#include "UNavigator.h"
#include "UPerfil.h"
#include "UVotaciones.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

using namespace qdbench;

// Runs one statement in the transaction and commits it, keeping the context.
void Ejecuta(TFIBDatabase& db, TFIBTransaction& tr, const QString& sql)
{
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(sql);
    q.ExecQuery();
    q.Close();
    tr.CommitRetaining();
}

// What the database does to switch one attendance: the update and the
// commit, then the row read again.
double AsistenciaEnBruto(TFIBDatabase& db, TFIBTransaction& tr)
{
    QElapsedTimer t;
    t.start();
    Ejecuta(db, tr,
            QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA=1-ASISTENCIA WHERE COMUNIDAD=1 AND CONVOCATORIA=1 AND "
                           "PROPIETARIO=2"));
    TFIBQuery q;
    q.SetDatabase(&db);
    q.SetTransaction(&tr);
    q.SetSQL(QStringLiteral("SELECT * FROM VOTACIONES WHERE COMUNIDAD=1 AND CONVOCATORIA=1 AND PROPIETARIO=2"));
    q.ExecQuery();
    q.Close();
    return Ms(t);
}

double Percentil(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
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

        // A column of votes typed from the convocation's first vote: everybody
        // attends while the stored count is still 0, so the first vote saved
        // also counts them.
        Ejecuta(sesion.DataBase, tr, QStringLiteral("UPDATE VOTACIONES SET ASISTENCIA=1 WHERE COMUNIDAD=1 AND CONVOCATORIA=1"));
        Ejecuta(sesion.DataBase, tr, QStringLiteral("UPDATE CONVOCATORIAS SET ASISTENTES=0 WHERE COMUNIDAD=1 AND CODIGO=1"));
        std::vector<double> votos, refrescos;
        int fueraDeColumna = 0;
        {
            auto* w = new TFConvoca;
            w->show();
            w->PCMain->setCurrentWidget(w->TSVotaciones);
            QApplication::processEvents();
            TRejillaVotaciones* g = w->TSVotaciones->DBGVotos;
            const int p1 = 3; // "P1"
            g->setFocus();
            g->setCurrentIndex(g->Modelo()->index(0, p1));
            for (int i = 0; i < propietarios; ++i) {
                QElapsedTimer t;
                t.start();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_S);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
                QApplication::processEvents();
                votos.push_back(Ms(t));
                fueraDeColumna += g->currentIndex().column() == p1 ? 0 : 1;
            }
            w->TSVotaciones->NavVotos->EjecutarBoton(TNavigateBtn::nbPost); // the last row stays in edit

            // Another seat's vote on the current owner, seen after the grid's refresh.
            TDMConvoca& dm = *w->DM();
            TFIBDatabase otro;
            otro.SetDBName(base);
            otro.SetDBParams(sesion.DataBase.DBParams());
            otro.Open();
            TFIBTransaction trOtro;
            trOtro.SetDefaultDatabase(&otro);
            trOtro.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
            trOtro.StartTransaction();
            for (int i = 0; i < rondas; ++i) {
                const qint64 propietario = dm.QVotacion.FieldByName(QStringLiteral("PROPIETARIO"))->AsInteger();
                const QString voto = i % 2 == 0 ? QStringLiteral("N") : QStringLiteral("A");
                Ejecuta(otro, trOtro,
                        QStringLiteral("UPDATE VOTACIONES SET P2='%1' WHERE COMUNIDAD=1 AND CONVOCATORIA=1 AND PROPIETARIO=%2")
                            .arg(voto)
                            .arg(propietario));
                QElapsedTimer t;
                t.start();
                w->TSVotaciones->NavVotos->EjecutarBoton(TNavigateBtn::nbRefresh);
                QApplication::processEvents();
                refrescos.push_back(Ms(t));
                if (dm.QVotacion.FieldByName(QStringLiteral("P2"))->AsString() != voto)
                    throw std::runtime_error("the other seat's vote is not shown after the refresh");
            }
            trOtro.Commit();
            otro.Close();
            delete w;
        }
        TFIBQuery cuenta;
        cuenta.SetDatabase(&sesion.DataBase);
        cuenta.SetTransaction(&tr);
        cuenta.SetSQL(QStringLiteral("SELECT COUNT(*) FROM VOTACIONES WHERE COMUNIDAD=1 AND CONVOCATORIA=1 AND P1='S'"));
        cuenta.ExecQuery();
        const qint64 guardados = cuenta.Fields(0)->AsInteger();
        cuenta.Close();
        tr.Commit();

        const double a = Mediana(abre), p = Mediana(pagina), s = Mediana(asiste), c = Mediana(columnas);
        const double b = Mediana(bruto);
        std::printf("vote rows fetched on opening (of %d owners): %lld rows\n", propietarios, static_cast<long long>(filas));
        std::printf("opening the screen: %.1f ms (goal <= 100)\n", a);
        std::printf("switching to the vote page: %.1f ms (goal <= 100)\n", p);
        std::printf("switching one attendance with Enter: %.1f ms (goal <= 100)\n", s);
        std::printf("switching one attendance, the database's share alone (update, commit, row): %.1f ms\n", b);
        std::printf("switching one attendance, ratio to the database's share: %.2f\n", s / b);
        std::printf("moving across the ten vote columns: %.1f ms\n", c);
        std::printf("vote rows read again while moving across the ten columns: %d times (goal <= 0)\n", lecturas);
        std::printf("typing a column of votes, votes stored: %lld of %d (goal >= %d)\n", static_cast<long long>(guardados),
                    propietarios, propietarios);
        std::printf("typing a column of votes, next cells off the column: %d (goal <= 0)\n", fueraDeColumna);
        std::printf("typing a column of votes, the first vote (stored, next cell ready): %.1f ms (goal <= 30)\n", votos.front());
        std::printf("typing a column of votes, median vote: %.1f ms (goal <= 30)\n", Mediana(votos));
        std::printf("typing a column of votes, 99th percentile: %.1f ms (goal <= 30)\n", Percentil(votos, 0.99));
        std::printf("typing a column of votes, slowest vote: %.1f ms (goal <= 30)\n", Percentil(votos, 1.0));
        std::printf("another seat's vote seen after the vote grid's refresh: %.1f ms (goal <= 100)\n", Mediana(refrescos));
        DMMain = nullptr;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
