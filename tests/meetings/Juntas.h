#pragma once
// A community with a few owners and their properties in a fresh program
// database, and the convocations' data module on it.
#include "ProgramaAbierto.h"
#include "UDMConvoca.h"

#include <QTextBlock>
#include <QTextDocument>
#include <initializer_list>
#include <memory>

#include "RtfReader.h"

namespace qdtest {

struct TFincaPrueba {
    const char* nombre;
    double coeficiente;
};

class Juntas : public ProgramaAbierto {
protected:
    void SetUp() override
    {
        ProgramaAbierto::SetUp();
        Comunidad();
    }
    // Community 1, current, in the program database.
    void Comunidad()
    {
        Sql("INSERT INTO SYS_COMUNIDAD (CODIGO, NOMBRE, DOMICILIO, COD_POSTAL, POBLACION, PRESIDENTE) "
            "VALUES (1, 'RESIDENCIAL LOS ALMENDROS', 'CALLE MAYOR, 1', '50001', 'ZARAGOZA', 'LUIS PRESIDENTE')");
        Entorno.Comunidad = 1;
        Entorno.NombreComunidad = QStringLiteral("RESIDENCIAL LOS ALMENDROS");
    }
    void TearDown() override
    {
        conv.reset();
        ProgramaAbierto::TearDown();
    }
    // An owner of community 1 with his properties (active).
    void Propietario(int codigo, const QString& nombre, std::initializer_list<TFincaPrueba> fincas = {})
    {
        dm->QGen.SetSQL("INSERT INTO EMP_PROPIETARIO (COMUNIDAD, CODIGO, NOMBRE) VALUES (1, ?C, ?N)");
        dm->QGen.ParamByName("C")->SetAsInteger(codigo);
        dm->QGen.ParamByName("N")->SetAsString(nombre);
        dm->QGen.ExecQuery();
        int n = 0;
        for (const TFincaPrueba& f : fincas) {
            dm->QGen.SetSQL("INSERT INTO EMP_FINCAS (COMUNIDAD, PROPIETARIO, CODIGO, NOMBRE, COEFICIENTES) "
                             "VALUES (1, ?P, ?C, ?N, ?K)");
            dm->QGen.ParamByName("P")->SetAsInteger(codigo);
            dm->QGen.ParamByName("C")->SetAsInteger(++n);
            dm->QGen.ParamByName("N")->SetAsString(QString::fromUtf8(f.nombre));
            dm->QGen.ParamByName("K")->SetAsFloat(f.coeficiente);
            dm->QGen.ExecQuery();
        }
        dm->TGenerica.CommitRetaining();
    }
    TDMConvoca& Modulo()
    {
        if (!conv)
            conv = std::make_unique<TDMConvoca>();
        return *conv;
    }
    // A new convocation of the current community, saved.
    qint64 NuevaConvocatoria(const QString& lugar = QStringLiteral("SALA COMUN"))
    {
        TDMConvoca& m = Modulo();
        m.QTabla.Insert();
        m.QTabla.FieldByName("LUGAR")->SetAsString(lugar);
        m.QTabla.Post();
        return m.QTabla.FieldByName("CODIGO")->AsInteger();
    }
    std::unique_ptr<TDMConvoca> conv;
};

// The paragraphs of an RTF document as the reader sees them.
inline QStringList Parrafos(const QByteArray& rtf)
{
    QTextDocument doc;
    Rtf::read(rtf, doc);
    QStringList l;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        l << b.text();
    return l;
}

} // namespace qdtest
