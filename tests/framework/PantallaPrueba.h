#pragma once
// A maintenance screen in miniature, laid out as the screens are: a toolbar
// with the navigator and two more buttons (one of them a "TbConsulta" one), a
// search field, and a page control with a record page (its input panel holds
// a code and a name field) and a table page; an edit controller and a key
// menu with the main data module's key map. The bank catalogue is its dataset.
#include "ControlesSchema.h"
#include "FIBTableDataSet.h"
#include "TestDatabase.h"
#include "UControlEdit.h"
#include "UNavigator.h"
#include "UTeclas.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

struct PantallaPrueba {
    QString path = FreshControlesDb();
    qdtest::Connection c{path};
    TFIBTableSet bancos;
    TDataSource ds{&bancos};
    TTeclas teclas;
    QWidget form;
    QToolBar* barra = new QToolBar(&form);
    THYMNavigator* nav = new THYMNavigator;
    QAction* tbGuarda = nullptr;
    QToolButton* tbConsulta = new QToolButton;
    QLineEdit* eBusca = new QLineEdit(&form);
    QTabWidget* pcMain = new QTabWidget(&form);
    QWidget* tsFicha = new QWidget;
    QWidget* tsTabla = new QWidget;
    QWidget* pEdit = new QWidget(tsFicha);
    QLineEdit* eCodigo = new QLineEdit(pEdit);
    QLineEdit* eNombre = new QLineEdit(pEdit);
    QLineEdit* eTabla = new QLineEdit(tsTabla);
    TControlEdit* ceMain = new TControlEdit(&form);
    TPopUpTeclas* ceUpTeclas = new TPopUpTeclas(&form);

    PantallaPrueba()
    {
        bancos.Name = QStringLiteral("QTabla");
        bancos.SetDatabase(&c.db);
        bancos.SetTransaction(&c.tr);
        bancos.Opciones.Include(TOpcionesTableSet::OrdenarPorPk);
        bancos.SetTableName(QStringLiteral("SYS_BANCOS"));
        teclas.ValoresModuloPrincipal();

        form.setObjectName(QStringLiteral("TFBanco"));
        auto* todo = new QVBoxLayout(&form);
        barra->setObjectName(QStringLiteral("ToolBar1"));
        barra->addWidget(nav);
        barra->addSeparator();
        tbGuarda = barra->addAction(QStringLiteral("Guardar"));
        tbGuarda->setObjectName(QStringLiteral("TbGuarda"));
        tbConsulta->setObjectName(QStringLiteral("TbConsultaDatos"));
        barra->addWidget(tbConsulta);
        todo->addWidget(barra);
        todo->addWidget(eBusca);
        todo->addWidget(pcMain);
        pcMain->addTab(tsFicha, QStringLiteral("&Ficha"));
        pcMain->addTab(tsTabla, QStringLiteral("&Tabla"));
        auto* campos = new QVBoxLayout(pEdit);
        campos->addWidget(eCodigo);
        campos->addWidget(eNombre);
        (new QVBoxLayout(tsFicha))->addWidget(pEdit);
        (new QVBoxLayout(tsTabla))->addWidget(eTabla);

        ceUpTeclas->CreaItemsNavegacion(QStringLiteral("CEMain"));
        ceMain->SetDataSource(&ds);
        ceMain->SetFichaEdicion(tsFicha);
        ceMain->SetFichaExclusiva(tsFicha);
        ceMain->SetPanelEdicion(pEdit);
        ceMain->SetPopUpMenu(ceUpTeclas);
        ceMain->SetTeclas(&teclas);
        nav->SetControlEdit(ceMain);
        nav->SetEditaControl(eNombre);
        nav->SetInsertaControl(eCodigo);
        bancos.Open();
    }

    // Shows the screen as the active window, so that focus and keys behave
    // as for a user.
    bool Muestra()
    {
        form.resize(500, 300);
        form.show();
        QApplication::setActiveWindow(&form);
        return QTest::qWaitForWindowActive(&form);
    }

    QString Codigo() const { return bancos.FieldByName(QStringLiteral("ENTIDAD"))->AsString(); }

    int Filas()
    {
        TFIBQuery q;
        q.SetDatabase(&c.db);
        q.SetTransaction(&c.tr);
        q.SetSQL(QStringLiteral("SELECT COUNT(*) FROM SYS_BANCOS"));
        q.ExecQuery();
        return static_cast<int>(q.Fields(0)->AsInteger());
    }
};
