// Labels for a mailing. The RTF label sheet that LibreOffice Writer saved
// (24 labels a page, the demo database's) merged with 1 000, 5 000 and
// 20 000 owners: the time should grow with the owners only (the time per
// owner stays flat), against copying the sheet's body once per page without
// filling anything. Then, from a database of 5 000 owners, the label
// screen's two ways out as the buttons run them: the merged sheet written to
// "tmp2.rtf", and the report engine's 3 x 8 labels laid out. Best of several
// runs; asserts nothing.
#include "Medidas.h"
#include "SesionBench.h"
#include "CreaBaseDatos.h"
#include "FIBQuery.h"
#include "UDMEtiqueta.h"
#include "UDMMain.h"
#include "UEtiquetasRtf.h"
#include "UPerfil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

using namespace qdbench;

QByteArray Recurso(const char* nombre)
{
    QFile f{QString::fromLatin1(nombre)};
    if (!f.open(QIODevice::ReadOnly)) {
        std::printf("(no %s)\n", nombre);
        std::exit(1);
    }
    return f.readAll();
}

QList<TDireccionEtiqueta> Direcciones(int n)
{
    QList<TDireccionEtiqueta> l;
    l.reserve(n);
    for (int k = 1; k <= n; ++k)
        l.append({QStringLiteral("MARÍA DEL PILAR MUÑOZ ÁLVAREZ %1").arg(k),
                  QStringLiteral("AVDA. DE LA CONSTITUCIÓN, %1, 3º B").arg(k), QString::number(28000 + k % 1000),
                  QStringLiteral("MÓSTOLES"), QStringLiteral("MADRID")});
    return l;
}

// The merge of n owners into the sheet.
double Fusion(const QByteArray& hoja, int n, qsizetype* bytes)
{
    const QList<TDireccionEtiqueta> filas = Direcciones(n);
    return Mejor(3, [&] {
        qsizetype i = 0;
        *bytes = FusionaEtiquetas(hoja, [&](TDireccionEtiqueta& f) {
                     if (i >= filas.size())
                         return false;
                     f = filas[i++];
                     return true;
                 }).size();
    });
}

// The same number of pages, the body copied without filling a field.
double Copia(const QByteArray& hoja, int paginas)
{
    const QByteArray cuerpo = hoja.mid(hoja.indexOf("{\\info"));
    return Mejor(3, [&] {
        QByteArray salida;
        salida.reserve(hoja.size() + (paginas - 1) * cuerpo.size());
        salida += hoja;
        for (int p = 1; p < paginas; ++p)
            salida += cuerpo;
        if (salida.isEmpty())
            std::printf("(empty)\n");
    });
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray hoja = Recurso(":/schema/demo/etiquetas-a4-3x8.rtf");
    const QByteArray motor = Recurso(":/schema/demo/etiquetas-a4-3x8.frf");

    double porPropietario[3] = {};
    const int cuantos[3] = {1000, 5000, 20000};
    for (int k = 0; k < 3; ++k) {
        const int n = cuantos[k];
        const int paginas = (n + 23) / 24;
        qsizetype bytes = 0;
        const double ms = Fusion(hoja, n, &bytes);
        const double copia = Copia(hoja, paginas);
        porPropietario[k] = ms * 1000.0 / n;
        std::printf("merge %d owners into the LibreOffice sheet (%d pages, %lld bytes): %.1f ms%s\n", n, paginas,
                    static_cast<long long>(bytes), ms, n == 5000 ? " (goal <= 1000)" : "");
        std::printf("merge %d owners, per owner: %.2f us\n", n, porPropietario[k]);
        std::printf("merge %d owners / copy of %d pages without fields: %.1f\n", n, paginas, ms / copia);
    }
    std::printf("merge, time per owner 5000 / 1000: %.2f\n", porPropietario[1] / porPropietario[0]);
    std::printf("merge, time per owner 20000 / 1000: %.2f\n", porPropietario[2] / porPropietario[0]);

    // The two buttons on a database of 5 000 owners.
    QTemporaryDir dir;
    qputenv("QUORUMDESK_HOME", dir.path().toUtf8());
    qputenv("QUORUMDESK_CONFIG_DIR", (dir.path() + QStringLiteral("/cfg")).toUtf8());
    const QString base = dir.path() + QStringLiteral("/etiquetas.fdb");
    TOpcionesBD o;
    o.ForcedWrites = false;
    o.Contenido = TContenidoBD::Sintetica;
    o.Comunidades = 1;
    o.Propietarios = 5000;
    o.Fincas = 1;
    CreaBaseDatos(base, o);
    TDMMain dm;
    if (!AbreSesion(dm, base))
        return 1;
    Entorno.Comunidad = 1;
    dm.QGen.SetSQL(QStringLiteral("INSERT INTO SYS_FORMATOS (CODIGO, NOMBRE, FORMATO, TIPO) VALUES (?C, ?N, ?F, 2)"));
    const std::pair<int, QByteArray> formatos[] = {{1, motor}, {2, hoja}};
    for (const auto& [codigo, documento] : formatos) {
        dm.QGen.ParamByName(QStringLiteral("C"))->SetAsInteger(codigo);
        dm.QGen.ParamByName(QStringLiteral("N"))->SetAsString(QStringLiteral("ETIQUETAS"));
        dm.QGen.ParamByName(QStringLiteral("F"))->SetAsBytes(documento);
        dm.QGen.ExecQuery();
    }
    dm.TGenerica.CommitRetaining();
    {
        TDMEtiqueta m;
        TPeticionEtiquetas p;
        p.Desde = QStringLiteral("1");
        p.Hasta = QStringLiteral("5000");
        p.Formato = QStringLiteral("2");
        const double word = Mejor(3, [&] { m.EtiquetasWord(p); });
        std::printf("Word button, 5000 owners read and merged into tmp2.rtf: %.1f ms (goal <= 1000)\n", word);
        p.Formato = QStringLiteral("1");
        std::size_t paginas = 0;
        const double informe = Mejor(3, [&] { paginas = m.EtiquetasInforme(p).pages.size(); });
        std::printf("Aceptar button, 5000 owners read and laid out by the engine (%zu pages): %.1f ms (goal <= 1000)\n",
                    paginas, informe);
    }
    DMMain = nullptr;
    return 0;
}
