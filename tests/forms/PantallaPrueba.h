#pragma once
// A maintenance screen on the base form over the bank catalogue of the
// controls' test database: the session opened on that database, a data module
// whose main list is the banks, a code and a name field, and one extra tool
// bar button of the "TbConsulta" kind.
#include "ControlesSchema.h"
#include "FIBTableDataSet.h"
#include "TestDatabase.h"
#include "UDBControles.h"
#include "UDMBase.h"
#include "UDMMain.h"
#include "UFBase.h"
#include "URecursos.h"

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

class TDMBancosPrueba : public TDMBase {
public:
    TDMBancosPrueba()
    {
        const TSentenciasGeneradas g =
            SentenciasGeneradas(QStringLiteral("SYS_BANCOS"), {QStringLiteral("ENTIDAD"), QStringLiteral("NOMBRE")},
                                {QStringLiteral("ENTIDAD")});
        DefinePrincipal(QTabla, {.Name = QStringLiteral("QTabla"),
                                 .TableName = QStringLiteral("SYS_BANCOS"),
                                 .SelectSQL = {QStringLiteral("SELECT * FROM SYS_BANCOS"), QStringLiteral("ORDER BY ENTIDAD")},
                                 .InsertSQL = g.Insert,
                                 .UpdateSQL = g.Update,
                                 .DeleteSQL = g.Delete,
                                 .RefreshSQL = g.Refresh});
        DeclaraBusqueda({QStringLiteral("ENTIDAD"), QStringLiteral("NOMBRE"), QStringLiteral("00000")});
        Abre();
    }
    TFIBTableSet QTabla;
};

class TFBancosPrueba : public TFBase {
public:
    TFBancosPrueba() : TFBase(900)
    {
        setObjectName(QStringLiteral("TFBanco"));
        Conecta(dm);
        eCodigo = CampoTexto(QStringLiteral("Código"), QStringLiteral("ENTIDAD"), 4);
        eNombre = CampoTexto(QStringLiteral("Nombre"), QStringLiteral("NOMBRE"), 40);
        HYMNavigator1->SetEditaControl(eNombre);
        HYMNavigator1->SetInsertaControl(eCodigo);
        tbConsulta = new QToolButton;
        tbConsulta->setObjectName(QStringLiteral("TbConsultaDatos"));
        ToolBar1->addWidget(tbConsulta);
    }
    TDMBancosPrueba dm;
    TDBEdit* eCodigo;
    TDBEdit* eNombre;
    QToolButton* tbConsulta;
};

// The session on a fresh copy of the controls' database, the placement files
// in a folder of their own.
struct SesionPrueba {
    QTemporaryDir programa;
    QString path = FreshControlesDb();
    TDMMain sesion;
    SesionPrueba()
    {
        Entorno = TREntorno{};
        Entorno.Usuario = 1;
        Entorno.CaminoPrograma = programa.path();
        sesion.DataBase.SetDBName(path);
        sesion.DataBase.Open();
        sesion.TGenerica.StartTransaction();
        DMMain = &sesion;
    }
    ~SesionPrueba() { DMMain = nullptr; }
};

struct PantallaPrueba {
    SesionPrueba s;
    // A second connection, as another program would have it.
    qdtest::Connection c{s.path};
    QPointer<TFBancosPrueba> form = new TFBancosPrueba;
    TFIBTableSet& bancos = form->dm.QTabla;
    TDataSource& ds = *form->dm.DataSource();
    THYMNavigator* nav = form->HYMNavigator1;
    QToolButton* tbGuarda = form->TbGuarda;
    QToolButton* tbConsulta = form->tbConsulta;
    QLineEdit* eBusca = form->EBusca;
    QTabWidget* pcMain = form->PCMain;
    QWidget* tsFicha = form->TSFicha;
    QWidget* tsTabla = form->TSTabla;
    QWidget* pEdit = form->PEdit;
    TDBEdit* eCodigo = form->eCodigo;
    TDBEdit* eNombre = form->eNombre;
    THYTDBGrid* grid = form->HYTDBGrid1;
    TControlEdit* ceMain = form->CEMain;
    TPopUpTeclas* ceUpTeclas = form->CEUpTeclas;

    ~PantallaPrueba() { delete form.data(); }

    // Shows the screen as the active window, so that focus and keys behave
    // as for a user.
    bool Muestra()
    {
        form->resize(500, 300);
        form->show();
        QApplication::setActiveWindow(form);
        return QTest::qWaitForWindowActive(form);
    }

    QString Codigo() const { return bancos.FieldByName(QStringLiteral("ENTIDAD"))->AsString(); }

    int Filas()
    {
        TFIBQuery q;
        q.SetDatabase(&c.db);
        q.SetTransaction(&c.tr);
        q.SetSQL(QStringLiteral("SELECT COUNT(*) FROM SYS_BANCOS"));
        q.ExecQuery();
        const int n = static_cast<int>(q.Fields(0)->AsInteger());
        q.Close();
        c.tr.Commit();
        c.tr.StartTransaction();
        return n;
    }
};
