// Text, date, bank-account, file, version and system helpers of the common
// utilities.
#include "Platform.h"
#include "Ficheros.h"
#include "Modales.h"
#include "UDialogos.h"
#include "USistema.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QString U(const char* texto) { return QString::fromUtf8(texto); }

TEST(TextHelpers, RellenaCeros)
{
    EXPECT_EQ(RellenaCeros(4, U("1")), U("0001"));
    EXPECT_EQ(RellenaCeros(4, U("12345")), U("12345"));
    EXPECT_EQ(RellenaCeros(4, U("1234")), U("1234"));
    EXPECT_EQ(RellenaCeros(15, U("1")), U("00000000001")); // at most ten zeros
    EXPECT_EQ(RellenaCeros(10, U("")), U("0000000000"));
    EXPECT_EQ(RellenaCeros(0, U("7")), U("7"));
}

TEST(TextHelpers, Espacios)
{
    EXPECT_EQ(Espacios(3), U("   "));
    EXPECT_EQ(Espacios(0), U(""));
    EXPECT_EQ(Espacios(-2), U(""));
}

TEST(TextHelpers, AlineaIzquierdaAndDerecha)
{
    const struct {
        bool izquierda;
        const char* texto;
        int ancho;
        const char* relleno;
        const char* esperado;
    } casos[] = {
        {true, "  IGUAL  ", 20, " ", "IGUAL               "},
        {true, "Ñandú", 8, ".", "Ñandú..."},
        {true, "PROPIETARIO LARGO", 5, " ", "PROPIETARIO LARGO"}, // not cut
        {true, "\tX\r\n", 3, "-", "X--"},
        {true, "ab", 4, "xy", "abxyxy"}, // the fill is repeated, whatever its length
        {true, "abc", 3, " ", "abc"},
        {false, " 12,50 ", 10, " ", "     12,50"},
        {false, "7", 3, "0", "007"},
        {false, "1234", 2, " ", "1234"},
        {false, "", 2, "*", "**"},
    };
    for (const auto& c : casos) {
        const QString r = c.izquierda ? AlineaIzquierda(U(c.texto), c.ancho, U(c.relleno))
                                      : AlineaDerecha(U(c.texto), c.ancho, U(c.relleno));
        EXPECT_EQ(r, U(c.esperado)) << c.texto;
    }
    EXPECT_EQ(AlineaIzquierda(U("  IGUAL "), 20, U(" ")).size(), 20);
}

TEST(TextHelpers, ReemplazaCortaDropsTheRestAfterALongPattern)
{
    const struct {
        const char* texto;
        const char* patron;
        const char* reemplazo;
        const char* esperado;
    } casos[] = {
        {"2.0.5", ".", "", "205"},
        {"/datos/FORMATO00012.FRF", ".FRF", ".TXT", "/datos/FORMATO00012.TXT"},
        {"A.FRF.FRF y más", ".FRF", ".TXT", "A.TXT"},
        {"Primera línea\r\nSegunda\r\nTercera", "\r\n", "", "Primera línea"},
        {"sin cambios", "\r\n", "", "sin cambios"},
        {"a,b,c", ",", ";", "a;b;c"},
        {"abc", "", "x", "abc"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(ReemplazaCorta(U(c.texto), U(c.patron), U(c.reemplazo)), U(c.esperado)) << c.texto;
}

TEST(TextHelpers, ReemplazaPrimeroKeepsTheRest)
{
    const struct {
        const char* texto;
        const char* patron;
        const char* reemplazo;
        const char* esperado;
    } casos[] = {
        {"WHERE F>=DATE AND G<=DATE", "DATE", "\"03/05/2012\"", "WHERE F>=\"03/05/2012\" AND G<=DATE"},
        {"2.0.5", ".", "", "205"},
        {"nada que cambiar", "DATE", "x", "nada que cambiar"},
        {"DATE", "DATE", "", ""},
    };
    for (const auto& c : casos)
        EXPECT_EQ(ReemplazaPrimero(U(c.texto), U(c.patron), U(c.reemplazo)), U(c.esperado)) << c.texto;
}

TEST(TextHelpers, TextoAEntero)
{
    EXPECT_EQ(TextoAEntero(U("")), 0);
    EXPECT_EQ(TextoAEntero(U("0")), 0);
    EXPECT_EQ(TextoAEntero(U("   ")), 0);
    EXPECT_EQ(TextoAEntero(U(" 49 ")), 49);
    EXPECT_EQ(TextoAEntero(U("-12")), -12);
    EXPECT_EQ(TextoAEntero(U("0049")), 49);
    EXPECT_EQ(TextoAEntero(U("2147483647")), 2147483647);
    for (const char* malo : {"abc", "12a", "1 2", "4,5", "1.000", "2147483648", "0x1F", "--1"}) {
        try {
            TextoAEntero(U(malo));
            ADD_FAILURE() << "accepted " << malo;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' no es un número entero válido").arg(U(malo)));
        }
    }
}

TEST(TextHelpers, SaltosDeLinea)
{
    EXPECT_EQ(SaltosDeLinea(U("USUARIO CONECTADO\rDESDE:\r01/02/2012")), U("USUARIO CONECTADO\nDESDE:\n01/02/2012"));
    EXPECT_EQ(SaltosDeLinea(U("a\r\nb\nc")), U("a\nb\nc"));
}

TEST(DateHelpers, NombreMes)
{
    const char* nombres[] = {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio",
                             "Agosto", "Septiembre", "Octubre", "Noviembre", "Diciembre"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(NombreMes(m), U(nombres[m - 1]));
    EXPECT_EQ(NombreMes(0), U(""));
    EXPECT_EQ(NombreMes(13), U(""));
    EXPECT_EQ(NombreMes(-1), U(""));
}

TEST(DateHelpers, MesSiguienteAndMesAnteriorKeepTheDayNumber)
{
    const struct {
        QDate desde;
        QDate siguiente;
        QDate anterior;
    } casos[] = {
        {QDate(2011, 12, 15), QDate(2012, 1, 15), QDate(2011, 11, 15)},
        {QDate(2012, 1, 15), QDate(2012, 2, 15), QDate(2011, 12, 15)},
        {QDate(2012, 3, 5), QDate(2012, 4, 5), QDate(2012, 2, 5)},
        {QDate(2012, 1, 1), QDate(2012, 2, 1), QDate(2011, 12, 1)},
        {QDate(2011, 12, 28), QDate(2012, 1, 28), QDate(2011, 11, 28)},
        {QDate(2024, 3, 29), QDate(2024, 4, 29), QDate(2024, 2, 29)},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(MesSiguiente(c.desde), c.siguiente) << c.desde.toString().toStdString();
        EXPECT_EQ(MesAnterior(c.desde), c.anterior) << c.desde.toString().toStdString();
    }
}

TEST(DateHelpers, ADayTheTargetMonthLacksIsAConversionError)
{
    const struct {
        QDate desde;
        bool siguiente;
        const char* texto;
    } casos[] = {
        {QDate(2012, 1, 31), true, "31/02/2012"},
        {QDate(2011, 3, 29), false, "29/02/2011"},
        {QDate(2012, 5, 31), true, "31/06/2012"},
        {QDate(2012, 12, 31), false, "31/11/2012"},
    };
    for (const auto& c : casos) {
        try {
            c.siguiente ? MesSiguiente(c.desde) : MesAnterior(c.desde);
            ADD_FAILURE() << c.texto;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' no es una fecha válida").arg(U(c.texto)));
        }
    }
    EXPECT_THROW(MesSiguiente(QDate()), EConvertError);
}

TEST(DateHelpers, FechaSQLSwapsDayAndMonth)
{
    EXPECT_EQ(FechaSQL(U("05/03/2012")), U("03/05/2012"));
    EXPECT_EQ(FechaSQL(U("5/3/2012")), U("03/05/2012"));
    EXPECT_EQ(FechaSQL(U("31/12/1999")), U("12/31/1999"));
    const QString hoy = QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy"));
    EXPECT_EQ(FechaSQL(U("DATE")), hoy);
    for (const char* malo : {"31/02/2012", "mañana", "", "2012/03/05", "date"}) {
        try {
            FechaSQL(U(malo));
            ADD_FAILURE() << "accepted " << malo;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' no es una fecha válida").arg(U(malo)));
        }
    }
}

// Spanish account codes (CCC) of the published Spanish IBAN examples; the
// IBAN's own mod-97 check confirms each code was copied right. Check digits
// worked by hand:
//   2100 0418: 8·6+1·3+4·7+0·9+0·10+0·5+1·8+2·4 = 95, 95 mod 11 = 7 → 4
//   0200051332: 2·6+3·3+3·7+1·9+5·10+0+0+0+2·2+0 = 105, mod 11 = 6 → 5
//   2100 0813: 3·6+1·3+8·7+0+0+0+1·8+2·4 = 93, mod 11 = 5 → 6
//   0123456789: 9·6+8·3+7·7+6·9+5·10+4·5+3·8+2·4+1·2+0 = 285, mod 11 = 10 → 1
//   1234567891: 1·6+9·3+8·7+7·9+6·10+5·5+4·8+3·4+2·2+1·1 = 286, mod 11 = 0 → 0
//   2310 0001: 1·6+0+0+0+0+1·5+3·8+2·4 = 43, mod 11 = 10 → 1
//   0000012345: 5·6+4·3+3·7+2·9+1·10 = 91, mod 11 = 3 → 8
struct Cuenta {
    const char* iban;
    const char* entidad;
    const char* oficina;
    const char* dc;
    const char* cuenta;
};
const Cuenta Publicadas[] = {
    {"ES9121000418450200051332", "2100", "0418", "45", "0200051332"},
    {"ES7921000813610123456789", "2100", "0813", "61", "0123456789"},
    {"ES6621000418401234567891", "2100", "0418", "40", "1234567891"},
    {"ES8023100001180000012345", "2310", "0001", "18", "0000012345"},
};

int Mod97(const QString& iban)
{
    const QString reordenado = iban.mid(4) + iban.left(4);
    int resto = 0;
    for (const QChar c : reordenado) {
        const int v = c.isDigit() ? c.digitValue() : c.unicode() - 'A' + 10;
        resto = (v >= 10 ? resto * 100 + v : resto * 10 + v) % 97;
    }
    return resto;
}

TEST(DigitosControlCuenta, PublishedAccountCodes)
{
    for (const Cuenta& c : Publicadas) {
        ASSERT_EQ(Mod97(U(c.iban)), 1) << c.iban;
        ASSERT_EQ(U(c.iban).mid(4), U(c.entidad) + c.oficina + c.dc + c.cuenta);
        EXPECT_EQ(DigitosControlCuenta(U(c.entidad), U(c.oficina), U(""), U(c.cuenta)), U(c.dc)) << c.iban;
        EXPECT_EQ(DigitosControlCuenta(U(c.entidad), U(c.oficina), U(c.dc), U(c.cuenta)), U(c.dc)) << c.iban;
        const QString otro = QString::number((U(c.dc).toInt() + 1) % 100).rightJustified(2, u'0');
        EXPECT_EQ(DigitosControlCuenta(U(c.entidad), U(c.oficina), otro, U(c.cuenta)), U("**")) << c.iban;
    }
}

TEST(DigitosControlCuenta, RulesOfTheAlgorithm)
{
    // 2·6 = 12, 12 mod 11 = 1: the digit is "1", not 11 − 1
    EXPECT_EQ(DigitosControlCuenta(U("0000"), U("0000"), U(""), U("0000000002")), U("01"));
    // blank entity or account: two blanks, whatever else is given
    EXPECT_EQ(DigitosControlCuenta(U("2100"), U("0418"), U(""), U("   ")), U("  "));
    EXPECT_EQ(DigitosControlCuenta(U(" "), U("0418"), U("45"), U("0200051332")), U("  "));
    // blank check digits: computed; blanks around given parts do not count
    EXPECT_EQ(DigitosControlCuenta(U(" 2100 "), U("0418"), U("  "), U("0200051332 ")), U("45"));
    // "**" stored by an earlier check is not a right pair of digits
    EXPECT_EQ(DigitosControlCuenta(U("2100"), U("0418"), U("**"), U("0200051332")), U("**"));
    // short parts count as padded with zeros on the left, as they are stored
    EXPECT_EQ(DigitosControlCuenta(U("49"), U(""), U(""), U("12345")),
              DigitosControlCuenta(U("0049"), U("0000"), U(""), U("0000012345")));
}

TEST(DigitosControlCuenta, NonDigitsOrOverlongPartsAreConversionErrors)
{
    const struct {
        const char* entidad;
        const char* oficina;
        const char* cuenta;
    } casos[] = {
        {"21A0", "0418", "0200051332"},
        {"2100", "04-8", "0200051332"},
        {"2100", "0418", "02000513X2"},
        {"2100", "0418", "02000 51332"},
        {"21000", "0418", "0200051332"},
        {"2100", "0418", "02000513321"},
    };
    for (const auto& c : casos)
        EXPECT_THROW(DigitosControlCuenta(U(c.entidad), U(c.oficina), U(""), U(c.cuenta)), EConvertError)
            << c.entidad << " " << c.oficina << " " << c.cuenta;
}

TEST(FechaFichero, StampChangesWhenTheFileIsSaved)
{
    QTemporaryDir dir;
    const QString ruta = dir.filePath(U("tmp.rtf"));
    qdtest::EscribeFichero(ruta, "{\\rtf1 uno}");
    const QDateTime antes = QDateTime(QDate(2012, 3, 5), QTime(10, 0));
    {
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(antes, QFileDevice::FileModificationTime));
    }
    const qint64 sello = FechaFichero(ruta);
    EXPECT_EQ(sello, antes.toMSecsSinceEpoch());
    EXPECT_EQ(FechaFichero(ruta), sello);
    qdtest::EscribeFichero(ruta, "{\\rtf1 dos}");
    EXPECT_GT(FechaFichero(ruta), sello);
}

TEST(FechaFichero, UnreadableFileShowsAPlainMessageAndGivesMinusOne)
{
    QTemporaryDir dir;
    QString texto, titulo;
    bool conIcono = true;
    qdtest::AlAbrirse([&](QWidget* w) {
        auto* caja = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(caja, nullptr);
        texto = caja->text();
        titulo = caja->windowTitle();
        conIcono = caja->icon() != QMessageBox::NoIcon;
        caja->accept();
    });
    EXPECT_EQ(FechaFichero(dir.filePath(U("no-existe.frf"))), -1);
    EXPECT_EQ(texto, U("No se puede abrir el fichero"));
    EXPECT_EQ(titulo, QApplication::applicationName());
    EXPECT_FALSE(conIcono);
}

TEST(BorraFicheros, DeletesOnlyOrdinaryMatchingFiles)
{
    QTemporaryDir dir;
    for (const char* nombre : {"a.out", "B.OUT", "c.out.txt", "d.txt", ".oculto.out"})
        qdtest::EscribeFichero(dir.filePath(U(nombre)), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir(U("carpeta.out")));
    ASSERT_EQ(::mkfifo(dir.filePath(U("tuberia.out")).toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir.filePath(U("no-hay")), dir.filePath(U("roto.out"))));

    BorraFicheros(dir.path(), U("*.out"));

    QStringList quedan = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot);
    quedan.sort();
    EXPECT_EQ(quedan, (QStringList{U(".oculto.out"), U("c.out.txt"), U("carpeta.out"), U("d.txt"),
                                   U("roto.out"), U("tuberia.out")}));
    // a folder that does not exist is nothing to delete
    BorraFicheros(dir.filePath(U("no-existe")), U("*.out"));
}

TEST(VersionFichero, TheProgramFileCarriesTheBuildVersion)
{
    const auto v = VersionFichero(QCoreApplication::applicationFilePath());
    ASSERT_TRUE(v.has_value());
    const QStringList partes = QStringLiteral(QD_VERSION).split(u'.');
    EXPECT_EQ(QString::number(v->mayor), partes.value(0));
    EXPECT_EQ(QString::number(v->menor), partes.value(1));
    EXPECT_EQ(QString::number(v->revision), partes.value(2, U("0")));
    EXPECT_FALSE(VersionFichero(U("/bin/sh")).has_value());
    EXPECT_FALSE(VersionFichero(U("/no/existe")).has_value());
}

TEST(VersionFichero, VersionText)
{
    EXPECT_EQ(TextoVersion({2, 0, 5, 0}), U("Versión 2.05"));
    EXPECT_EQ(TextoVersion({3, 1, 12, 7}), U("Versión 3.112"));
    // the version check compares the text from character 8 on, without dots
    EXPECT_EQ(ReemplazaCorta(TextoVersion({2, 0, 5, 0}).mid(7).trimmed(), U("."), U("")), U("205"));
}

TEST(NombreSistemaOperativo, PrettyNameOfOsRelease)
{
    EXPECT_EQ(plataforma::NombreDeOsRelease("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
              U("Debian GNU/Linux 12 (bookworm)"));
    EXPECT_EQ(plataforma::NombreDeOsRelease("PRETTY_NAME='Mi \"Sistema\"'\n"), U("Mi \"Sistema\""));
    EXPECT_EQ(plataforma::NombreDeOsRelease("PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$x\"\n"), U("Say \"hi\" \\ $x"));
    EXPECT_EQ(plataforma::NombreDeOsRelease("PRETTY_NAME=Arch\n"), U("Arch"));
    EXPECT_EQ(plataforma::NombreDeOsRelease("# PRETTY_NAME=\"no\"\nID=x\n"), U("Linux"));
    EXPECT_EQ(plataforma::NombreDeOsRelease("PRETTY_NAME=\"\"\n"), U("Linux"));
    EXPECT_EQ(plataforma::NombreDeOsRelease(""), U("Linux"));

    QFile f(U("/etc/os-release"));
    if (f.open(QIODevice::ReadOnly)) {
        EXPECT_EQ(NombreSistemaOperativo(), plataforma::NombreDeOsRelease(f.readAll()));
    }
    EXPECT_FALSE(NombreSistemaOperativo().isEmpty());
}

} // namespace
