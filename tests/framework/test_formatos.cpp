// The program's number and date formats: masks, parsing with the program's
// separators, and independence from the user's locale.
#include "UFormatos.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct CasoNumero {
    double valor;
    const char* mascara;
    const char* esperado;
};

class FormatoNumeroTest : public testing::TestWithParam<CasoNumero> {};

TEST_P(FormatoNumeroTest, WritesTheValueThroughTheMask)
{
    const CasoNumero& c = GetParam();
    EXPECT_EQ(FormatoNumero(c.valor, QString::fromUtf8(c.mascara)).toStdString(), c.esperado)
        << c.valor << " with " << c.mascara;
}

INSTANTIATE_TEST_SUITE_P(
    MasksOfTheProgram, FormatoNumeroTest,
    testing::Values(
        // money
        CasoNumero{1234.5, MascaraMoneda, "1.234,50"},
        CasoNumero{0, MascaraMoneda, "0,00"},
        CasoNumero{0.5, MascaraMoneda, "0,50"},
        CasoNumero{999.999, MascaraMoneda, "1.000,00"},
        CasoNumero{-1234567.891, MascaraMoneda, "-1.234.567,89"},
        CasoNumero{123456789012.34, MascaraMoneda, "123.456.789.012,34"},
        // more digits than placeholders: all are written, still grouped
        CasoNumero{1e13, MascaraMoneda, "10.000.000.000.000,00"},
        CasoNumero{0.1 + 0.2, MascaraMoneda, "0,30"},
        // half away from zero, on the value as written
        CasoNumero{0.005, MascaraMoneda, "0,01"},
        CasoNumero{2.675, MascaraMoneda, "2,68"},
        CasoNumero{-2.675, MascaraMoneda, "-2,68"},
        CasoNumero{1.004999, MascaraMoneda, "1,00"},
        // a negative that rounds to zero has no sign
        CasoNumero{-0.001, MascaraMoneda, "0,00"},
        // coefficients: five decimals, literal per-cent sign, no scaling
        CasoNumero{4.25, MascaraCoeficiente, "4,25000%"},
        CasoNumero{0, MascaraCoeficiente, "0,00000%"},
        CasoNumero{100, MascaraCoeficiente, "100,00000%"},
        CasoNumero{0.123456, MascaraCoeficiente, "0,12346%"},
        CasoNumero{12.3456749, MascaraCoeficienteEdicion, "12,34567"},
        CasoNumero{1234.5, MascaraCoeficienteEdicion, "1234,50000"},
        // the rest of the mask language
        CasoNumero{7, "000", "007"},
        CasoNumero{1234.5, "#", "1235"},
        CasoNumero{0, "#", ""},
        CasoNumero{1.5, "0.##", "1,5"},
        CasoNumero{1, "0.##", "1"},
        CasoNumero{1.239, "0.0#", "1,24"},
        CasoNumero{1.2, "0.0#", "1,2"},
        CasoNumero{1234567, "#,##0", "1.234.567"},
        CasoNumero{12.5, "\"Total: \"#0.00' €'", "Total: 12,50 €"},
        CasoNumero{3, "#0' uds.'", "3 uds."},
        CasoNumero{0.75, ".00", ",75"},
        CasoNumero{12.75, ".0", "12,8"},
        CasoNumero{1.5, "", "1,5"}));

TEST(FormatoNumero, NonFiniteValuesGiveAWordNotGarbage)
{
    EXPECT_EQ(FormatoNumero(std::nan(""), MascaraMoneda), QStringLiteral("NAN"));
    EXPECT_EQ(FormatoNumero(std::numeric_limits<double>::infinity(), MascaraMoneda), QStringLiteral("INF"));
    EXPECT_EQ(FormatoNumero(-std::numeric_limits<double>::infinity(), MascaraMoneda), QStringLiteral("-INF"));
    // the largest double still formats in full
    EXPECT_EQ(FormatoNumero(std::numeric_limits<double>::max(), "0").size(), 309);
}

TEST(NumeroATexto, GeneralFormWithDecimalComma)
{
    EXPECT_EQ(NumeroATexto(4.25), QStringLiteral("4,25"));
    EXPECT_EQ(NumeroATexto(-1234567.5), QStringLiteral("-1234567,5"));
    EXPECT_EQ(NumeroATexto(0.1 + 0.2), QStringLiteral("0,3"));
    EXPECT_EQ(NumeroATexto(3), QStringLiteral("3"));
}

TEST(TextoANumero, ReadsTheProgramsSeparators)
{
    const struct {
        const char* texto;
        double valor;
    } casos[] = {
        {"4,25", 4.25},     {"  -3,5 ", -3.5},     {"+7", 7},           {",5", 0.5},
        {"5,", 5},          {"1.234,50", 1234.5},  {"1.234.567", 1234567}, {"0", 0},
        {"1,5e3", 1500},    {"-2E-2", -0.02},      {"123456789012,34", 123456789012.34},
    };
    for (const auto& c : casos)
        EXPECT_DOUBLE_EQ(TextoANumero(QString::fromUtf8(c.texto)), c.valor) << c.texto;
}

TEST(TextoANumero, RejectsOtherTextsWithAClearMessage)
{
    // "4.5" is not a number with the program's separators; a "." stands only
    // between groups of three digits.
    for (const char* texto : {"", "  ", "abc", "4.5", "1.23,4", "12.3456", "1,2,3", "3 4", "-",
                              ",", "1e", "0x10", "1e999", "٣"}) {
        try {
            TextoANumero(QString::fromUtf8(texto));
            ADD_FAILURE() << "accepted " << texto;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' no es un número válido").arg(QString::fromUtf8(texto)));
        }
    }
}

TEST(TextoANumero, ReadsBackWhatFormatoNumeroWrites)
{
    for (double v : {0.0, 1234.5, -98765.43, 4.25, 1e9})
        EXPECT_DOUBLE_EQ(TextoANumero(FormatoNumero(v, MascaraMoneda)), v);
}

TEST(FormatoFechaHora, MasksOfTheProgram)
{
    const QDateTime t(QDate(2012, 3, 5), QTime(9, 7, 3, 45));
    const struct {
        const char* mascara;
        const char* esperado;
    } casos[] = {
        {MascaraFechaCorta, "05/03/2012"},
        {MascaraHoraCorta, "09:07"},
        {MascaraHoraLarga, "09:07:03"},
        {"dd/mm/yyyy HH:mm:ss", "05/03/2012 09:07:03"},
        {MascaraFechaLarga, "Hoy es lunes 5 de marzo de 2012"},
        {"dd \"de\" mmmm \"de\" yyyy", "05 de marzo de 2012"},
        {"d/m/yy", "5/3/12"},
        {"ddd mmm", "lun mar"},
        {"h:n:s.zzz", "9:7:3.045"},
        {"hh 'h' nn", "09 h 07"},
        // an m right after an hour is minutes, elsewhere the month
        {"mm hh:mm", "03 09:07"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(FormatoFechaHora(t, QString::fromUtf8(c.mascara)).toStdString(), c.esperado) << c.mascara;
}

TEST(FormatoFechaHora, ShortcutsAndEmptyValues)
{
    EXPECT_EQ(FormatoFecha(QDate(1999, 12, 31)), QStringLiteral("31/12/1999"));
    EXPECT_EQ(FormatoFecha(QDateTime(QDate(2024, 2, 29), QTime(23, 59))), QStringLiteral("29/02/2024"));
    EXPECT_EQ(FormatoFechaLarga(QDate(2011, 12, 18)), QStringLiteral("Hoy es domingo 18 de diciembre de 2011"));
    EXPECT_EQ(FormatoFechaLarga(QDate(2012, 8, 1)), QStringLiteral("Hoy es miércoles 1 de agosto de 2012"));
    EXPECT_EQ(FormatoHora(QTime(0, 5)), QStringLiteral("00:05"));
    EXPECT_EQ(FormatoHoraSegundos(QTime(23, 59, 58)), QStringLiteral("23:59:58"));
    EXPECT_EQ(FormatoFecha(QDate()), QString());
    EXPECT_EQ(FormatoHora(QTime()), QString());
}

TEST(TextoAFecha, ReadsDayMonthYear)
{
    EXPECT_EQ(TextoAFecha(QStringLiteral("05/03/2012")), QDate(2012, 3, 5));
    EXPECT_EQ(TextoAFecha(QStringLiteral(" 5/3/2012 ")), QDate(2012, 3, 5));
    EXPECT_EQ(TextoAFecha(QStringLiteral("29/02/2024")), QDate(2024, 2, 29));
    // two-digit years fall within 50 years of today
    const int siglo = QDate::currentDate().year() / 100 * 100;
    const int anio = QDate::currentDate().year() % 100;
    EXPECT_EQ(TextoAFecha(QStringLiteral("01/01/%1").arg(anio, 2, 10, QLatin1Char('0'))).year(), siglo + anio);
}

TEST(TextoAFecha, RejectsImpossibleAndMalformedDates)
{
    for (const char* texto : {"31/02/2012", "29/02/2011", "00/01/2012", "15/13/2012", "32/01/2012",
                              "2012-03-05", "05.03.2012", "05/03", "", "hoy", "05/03/20123",
                              "01/01/0000"}) {
        try {
            TextoAFecha(QString::fromUtf8(texto));
            ADD_FAILURE() << "accepted " << texto;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'%1' no es una fecha válida").arg(QString::fromUtf8(texto)));
        }
    }
}

TEST(TextoAFecha, TakesDatesAsPeopleTypeThemWithinTheYears1900To2100)
{
    const int siglo = QDate::currentDate().year() / 100 * 100;
    const struct {
        const char* texto;
        QDate fecha; // invalid: refused
        bool anio;   // refused for its year
    } casos[] = {
        {"15/01/2027", {2027, 1, 15}, false}, {"15012027", {2027, 1, 15}, false},
        {"15-1-27", {siglo + 27, 1, 15}, false}, {"150127", {siglo + 27, 1, 15}, false},
        {"1-12-1900", {1900, 12, 1}, false}, {"31/12/2100", {2100, 12, 31}, false},
        {"15/01/0120", {}, true}, {"01011899", {}, true}, {"1/1/2101", {}, true},
        {"15-01/2027", {}, false}, {"1501", {}, false}, {"1512027", {}, false}, {"30022027", {}, false},
    };
    for (const auto& c : casos) {
        const QString texto = QString::fromLatin1(c.texto);
        if (c.fecha.isValid()) {
            EXPECT_EQ(TextoAFecha(texto), c.fecha) << c.texto;
            EXPECT_EQ(TextoAFechaHora(texto + " 10:30"), QDateTime(c.fecha, QTime(10, 30))) << c.texto;
            continue;
        }
        try {
            TextoAFecha(texto);
            ADD_FAILURE() << "accepted " << c.texto;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.anio ? "'" + texto + "': el año de la fecha ha de estar entre 1900 y 2100"
                                          : "'" + texto + "' no es una fecha válida");
        }
        EXPECT_THROW(TextoAFechaHora(texto), EConvertError) << c.texto;
    }
}

TEST(TextoAHora, ReadsHoursAndMinutesWithOptionalSeconds)
{
    EXPECT_EQ(TextoAHora(QStringLiteral("09:30")), QTime(9, 30));
    EXPECT_EQ(TextoAHora(QStringLiteral("9:05:07")), QTime(9, 5, 7));
    for (const char* texto : {"24:00", "12:60", "12", "12:00:61", "a:b"})
        EXPECT_THROW(TextoAHora(QString::fromUtf8(texto)), EConvertError) << texto;
}

TEST(TextoAFechaHora, DateWithOptionalTime)
{
    EXPECT_EQ(TextoAFechaHora(QStringLiteral("05/03/2012")), QDateTime(QDate(2012, 3, 5), QTime(0, 0)));
    EXPECT_EQ(TextoAFechaHora(QStringLiteral("05/03/2012 18:45:10")),
              QDateTime(QDate(2012, 3, 5), QTime(18, 45, 10)));
    EXPECT_THROW(TextoAFechaHora(QStringLiteral("31/04/2012 10:00")), EConvertError);
    EXPECT_THROW(TextoAFechaHora(QStringLiteral("05/03/2012 25:00")), EConvertError);
    // what the program writes, it reads back
    const QDateTime t(QDate(2030, 11, 2), QTime(7, 8, 9));
    EXPECT_EQ(TextoAFechaHora(FormatoFechaHora(t, "dd/mm/yyyy hh:nn:ss")), t);
}

TEST(EstableceFormatosProceso, QtsOwnConversionsUseTheProgramsSeparators)
{
    const QLocale antes;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EstableceFormatosProceso();
    EXPECT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    EXPECT_EQ(QLocale().toString(1234567.5, 'f', 2), QStringLiteral("1234567,50"));
    EXPECT_EQ(QLocale().toDouble(QStringLiteral("4,25")), 4.25);
    EXPECT_EQ(QLocale().monthName(3), QStringLiteral("marzo"));
    QLocale::setDefault(antes);
}

} // namespace
