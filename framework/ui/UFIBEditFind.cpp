#include "UFIBEditFind.h"
#include "FIBTableDataSet.h"
#include "UComponentesBusquedaFiltrada.h"

#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <algorithm>

QString LiteralApostrofes(const QString& texto)
{
    QString doblado = texto;
    doblado.remove(QChar(u'\0')); // it would end the statement's text
    doblado.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doblado + QLatin1Char('\'');
}

TFIBEditFind::TFIBEditFind(QWidget* parent) : QLineEdit(parent)
{
    timer_.setSingleShot(true);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &TFIBEditFind::BuscaMostrandoError);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (Estado == TEstado::Busqueda && TipoBusqueda == TTipoBusqueda::Letra_a_Letra)
            timer_.start(); // restarts: the search waits for a second without keystrokes
    });
}

void TFIBEditFind::SetDataset(TFIBTableSet* ds)
{
    dataset_ = ds;
    reserva_.clear();
    conReserva_ = false;
    if (ds && !ds->Active())
        ds->Open();
}

void TFIBEditFind::EjecutarBusqueda()
{
    if (!dataset_)
        throw ETablaError(QStringLiteral("No tiene ningún valor el Dataset"));
    if (Tabla.isEmpty() || CampoNum.isEmpty() || CampoStr.isEmpty())
        throw ENombreTablaError(QStringLiteral("No tiene asignado algún valor para la búsqueda"));
    timer_.stop(); // a search pending from typing would only repeat this one

    TFIBTableSet& d = *dataset_;
    const QString x = text();
    auto esTexto = [&d](const QString& campo) {
        const TField* f = d.Active() ? d.FindField(campo) : nullptr;
        return !f || f->DataType() == TFieldType::ftString;
    };
    const bool codigoTexto = esTexto(CampoNum);
    const bool nombreTexto = esTexto(CampoStr);
    // Accented letters and other characters beyond plain ASCII never match
    // a number: such a text is not looked for in a numeric column.
    const bool plano = std::all_of(x.cbegin(), x.cend(), [](QChar c) { return c.unicode() < 129; });

    QStringList columnas{CampoNum, CampoStr};
    if (!CampoADevolver.isEmpty())
        columnas << CampoADevolver;
    for (const QString& c : Campos_Desplegar) {
        const QString campo = c.trimmed();
        if (!campo.isEmpty() && campo.compare(CampoNum, Qt::CaseInsensitive) != 0 &&
            campo.compare(CampoStr, Qt::CaseInsensitive) != 0)
            columnas << campo;
    }
    const QString seleccion = QStringLiteral("Select ") + columnas.join(QLatin1Char(',')) + QStringLiteral(" From ") + Tabla;
    auto consulta = [&](const QString& donde, const QString& orden) {
        QStringList sql{seleccion + QStringLiteral(" where ") + donde};
        if (!Condicion.isEmpty())
            sql << QStringLiteral(" AND ") + Condicion;
        sql << QStringLiteral(" Order by ") + orden;
        d.SetSelectSQL(sql);
        d.Open();
    };

    d.DisableControls();
    struct Reanuda {
        TFIBTableSet& d;
        ~Reanuda() { d.EnableControls(); }
    } reanuda{d};
    d.Close();
    if (!conReserva_) {
        reserva_ = d.SelectSQL();
        conReserva_ = true;
    }
    try {
        if (codigoTexto || plano)
            consulta(CampoNum + QStringLiteral(" LIKE ") + LiteralApostrofes(x + QLatin1Char('%')), CampoNum);
        if ((!d.Active() || d.IsEmpty()) && (nombreTexto || plano)) {
            d.Close();
            // A name column is searched by its words, case and accents
            // ignored; a number shown as the name, from its beginning.
            consulta(nombreTexto ? CondicionNombre(CampoStr, LiteralApostrofes(x))
                                 : QStringLiteral("Upper(") + CampoStr + QStringLiteral(") LIKE ") +
                                       LiteralApostrofes(x.toUpper() + QLatin1Char('%')),
                     CampoStr);
        }
        if (!d.Active()) {
            d.SetSelectSQL(reserva_);
            d.Open();
        }
    } catch (const std::exception&) {
        d.Close();
        d.SetSelectSQL(reserva_);
        d.Open();
        throw ENombreTablaError(QStringLiteral("Ha ocurrido un error en la consulta"));
    }
}

void TFIBEditFind::BuscaMostrandoError()
{
    try {
        EjecutarBusqueda();
    } catch (const ENombreTablaError& e) {
        MuestraErrorBusqueda(e.Message());
    }
}

void TFIBEditFind::MuestraErrorBusqueda(const QString& mensaje)
{
    QMessageBox::critical(window(), QGuiApplication::applicationDisplayName(), mensaje);
}

void TFIBEditFind::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Down:
        timer_.stop();
        BuscaMostrandoError();
        if (Lista)
            Lista->setFocus(Qt::OtherFocusReason);
        if (dataset_ && dataset_->Active())
            dataset_->Next();
        e->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // In a dialog, Enter belongs to the default button (the line edit
        // passes it on).
        if (!qobject_cast<QDialog*>(window())) {
            BuscaMostrandoError();
            e->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(e);
}

void TeclaBusqueda(QWidget* campo, int tecla)
{
    if (tecla != Qt::Key_F2 || !campo)
        return;
    // A lookup field opens its dialog on any character that cannot be part
    // of a code; the NUL character adds nothing to the search text.
    QKeyEvent pulsacion(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(u'\0')));
    QCoreApplication::sendEvent(campo, &pulsacion);
}
