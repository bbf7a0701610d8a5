// A user listing over 10 000 owners with two conditions and one order, run
// as "Creación de listados" runs it: to the preview (the listing laid out,
// then the preview window shown with its first page) and to PDF. The same
// statement read alone, row by row, is the baseline of the run. Prints the
// best of a few runs of each. Asserts nothing.
#include "Medidas.h"
#include "SesionBench.h"
#include "CreaBaseDatos.h"
#include "FIBQuery.h"
#include "ReportDocument.h"
#include "ReportPreview.h"
#include "UDMMain.h"
#include "UFListados.h"
#include "UPerfil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {

using namespace qdbench;

constexpr int kPropietarios = 10000;

const char kFormato[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<report version="1" name="Propietarios">
  <band kind="PageHeader" height="12">
    <text x="0" y="0" w="120" h="6" text='[QComunidad."NOMBRE"]'><font size="12" bold="1"/></text>
    <text x="130" y="0" w="60" h="5" text="[Date]" halign="right"/>
    <line x="0" y="10" w="190" pen="0.3"/>
  </band>
  <band kind="MasterData" name="Datos" dataset="frDBCampos" height="5">
    <text x="0" y="0" w="15" h="5" text='[frDBCampos."CODIGO"]' halign="right"/>
    <text x="18" y="0" w="80" h="5" text='[frDBCampos."NOMBRE"]'/>
    <text x="100" y="0" w="30" h="5" text='[frDBCampos."NIF"]'/>
    <text x="132" y="0" w="30" h="5" text='[frDBCampos."TELEFONO"]'/>
  </band>
  <band kind="PageFooter" height="6">
    <text x="130" y="0" w="60" h="5" text="Página [Page] de [Pages]" halign="right"/>
  </band>
</report>
)";

// The preview window as the program shows it, until its first page is on
// the screen (the window builds every page's picture before it paints).
void MuestraVistaPrevia(const qdr::Document& doc)
{
    QPrinter printer(QPrinter::HighResolution);
    const qdr::Page& p = doc.pages.front();
    printer.setPageLayout(QPageLayout(QPageSize(QSizeF(p.width, p.height), QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    QPrintPreviewDialog dialog(&printer);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&doc](QPrinter* pr) { qdr::printTo(*pr, doc); });
    dialog.resize(900, 700);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        std::printf("(the preview was not shown)\n");
    QApplication::processEvents();
}

// The preview prints every page through a printer whose page layout the
// engine sets again for each page, and Qt notes every such call; the figures
// are the output here.
void SoloAvisosPropios(QtMsgType tipo, const QMessageLogContext&, const QString& texto)
{
    if (texto.startsWith(QLatin1String("QPrinter::setPageLayout")) || texto.contains(QLatin1String("propagateSizeHints")) ||
        tipo == QtDebugMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(texto));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(SoloAvisosPropios);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("QUORUMDESK_HOME", dir.path().toUtf8());
    qputenv("QUORUMDESK_CONFIG_DIR", (dir.path() + QStringLiteral("/cfg")).toUtf8());
    const QString base = dir.path() + QStringLiteral("/listados.fdb");
    TOpcionesBD o;
    o.ForcedWrites = false;
    o.Contenido = TContenidoBD::Sintetica;
    o.Comunidades = 1;
    o.Propietarios = kPropietarios;
    o.Fincas = 1;
    CreaBaseDatos(base, o);
    TDMMain dm;
    if (!AbreSesion(dm, base))
        return 1;
    Entorno.CaminoPrograma = dir.path();
    dm.QGen.SetSQL(QStringLiteral("SELECT MIN(CODIGO) FROM SYS_COMUNIDAD WHERE CODIGO > 0"));
    dm.QGen.ExecQuery();
    Entorno.Comunidad = static_cast<qint32>(dm.QGen.Fields(0)->AsInteger());
    dm.QGen.Close();

    // The listing: two conditions (the community, codes from 1) and the order by name.
    dm.QGen.SetSQL(QStringLiteral("INSERT INTO SYS_LISTADOS (CODIGO, NOMBRE, SQL, FICHERO) VALUES "
                                  "(1, 'PROPIETARIOS', 'SELECT CODIGO, NOMBRE, NIF, TELEFONO, COMUNIDAD FROM EMP_PROPIETARIO', ?F)"));
    dm.QGen.ParamByName(QStringLiteral("F"))->SetAsBytes(QByteArray(kFormato));
    dm.QGen.ExecQuery();
    const QString condiciones[] = {QStringLiteral("1, 'IGUAL', 'COMUNIDAD', 'N', '%1'").arg(Entorno.Comunidad),
                                   QStringLiteral("2, 'DESDE', 'CODIGO', 'N', '1'"),
                                   QStringLiteral("3, 'ORDEN', 'NOMBRE', 'C', ''")};
    for (const QString& c : condiciones) {
        dm.QGen.SetSQL(QStringLiteral("INSERT INTO SYS_LISTADOS_CONDICIONES (CODIGO, NUMERO, OPERADOR, CAMPO, TIPOCAMPO, "
                                      "CONTENIDO) VALUES (1, %1)").arg(c));
        dm.QGen.ExecQuery();
    }
    dm.TGenerica.CommitRetaining();

    TDMFListados m;
    m.QTabla.Locate(QStringLiteral("CODIGO"), {1});
    int filas = 0;
    int paginas = 0;
    // Baseline: the statement the run builds, every row read, nothing laid out.
    const double sentenciaMs = Mejor(3, [&] {
        TFIBQuery q;
        q.SetDatabase(&dm.DataBase);
        q.SetTransaction(&m.FIBTransaction);
        q.SetSQL(QStringLiteral("SELECT CODIGO, NOMBRE, NIF, TELEFONO, COMUNIDAD FROM EMP_PROPIETARIO\n"
                                "WHERE COMUNIDAD=%1 AND CODIGO>=1\nORDER BY NOMBRE").arg(Entorno.Comunidad));
        filas = 0;
        for (q.ExecQuery(); !q.Eof(); q.Next())
            ++filas;
    });
    std::optional<qdr::Document> doc;
    const double maquetaMs = Mejor(3, [&] { doc = m.EjecutaListado({}); });
    paginas = doc ? static_cast<int>(doc->pages.size()) : 0;
    const double vistaMs = Mejor(3, [&] {
        const std::optional<qdr::Document> d = m.EjecutaListado({});
        MuestraVistaPrevia(*d);
    });
    const double pdfMs = Mejor(3, [&] { m.EjecutaListado(QStringLiteral("PDF")); });
    const qint64 pdfBytes = QFile(dir.path() + QStringLiteral("/tmp.pdf")).size();

    std::printf("listing over %d owners, two conditions and one order: %d rows, %d pages\n", kPropietarios, filas, paginas);
    std::printf("statement alone, every row read: %.1f ms\n", sentenciaMs);
    std::printf("listing laid out: %.1f ms\n", maquetaMs);
    std::printf("listing to the preview's first page: %.1f ms (goal <= 1000)\n", vistaMs);
    std::printf("listing to PDF: %.1f ms (goal <= 5000)\n", pdfMs);
    std::printf("PDF file: %lld bytes\n", static_cast<long long>(pdfBytes));
    std::printf("preview / statement alone: %.2f\n", vistaMs / sentenciaMs);
    std::printf("PDF / statement alone: %.2f\n", pdfMs / sentenciaMs);
    DMMain = nullptr;
    return 0;
}
