#include "UFIBDBEditfind.h"
#include "FIBQuery.h"
#include "UComponentesBusquedaFiltrada.h"
#include "UFIBDBEditDlg.h"
#include "UFIBEditFind.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QToolButton>
#include <QTimer>

namespace {

// The server's "conversion error from string": the text is no value of the
// code column's type.
constexpr long ErrorConversion = 335544334;
constexpr long ErrorAritmetico = 335544321; // numeric overflow

constexpr QChar RetornoCarro = u'\r';

} // namespace

// --- shared -------------------------------------------------------------------------------

TEditFindComun::TEditFindComun(QLineEdit* editor, bool enlazado) : editor_(editor), enlazado_(enlazado) {}

TFIBTransaction* TEditFindComun::TransaccionBusqueda() const
{
    TFIBDatabase* db = BaseBusqueda();
    return db ? db->DefaultTransaction() : nullptr;
}

bool TEditFindComun::ExisteValor()
{
    const QString texto = editor_->text();
    if (texto.isEmpty())
        return false;
    const QString columna = CampoADevolver.isEmpty() ? CampoNum : CampoADevolver;
    // The code is a literal of the dialect: quotation marks in it are data.
    QStringList sql{enlazado_ ? QStringLiteral("Select * From ") + Tabla_a_buscar + QStringLiteral(" where ")
                              : QStringLiteral("SELECT * FROM ") + Tabla_a_buscar + QStringLiteral(" WHERE ")};
    sql[0] += columna + QLatin1Char('=') + LiteralSQL(texto);
    const QString condicion = CondicionEfectiva();
    if (!condicion.isEmpty())
        sql << QStringLiteral("AND ") + condicion;
    TFIBQuery q;
    q.SetDatabase(BaseBusqueda());
    q.SetTransaction(TransaccionBusqueda());
    q.SetSQL(sql);
    try {
        q.ExecQuery();
    } catch (const EFIBError& e) {
        // A text that is no value of the column (letters, or a number too
        // long for it) is no code of it.
        if (e.HasCode(ErrorConversion) || e.HasCode(ErrorAritmetico))
            return false;
        throw;
    }
    return q.RecordCount() > 0;
}

bool TEditFindComun::AbrirBusqueda()
{
    if (!PuedeElegir())
        return false;
    // The screen may go while the dialog is open (the dialog with it): then
    // nothing of either is touched again.
    const QPointer<QLineEdit> vivo(editor_);
    buscando_ = true;
    struct Fin {
        const QPointer<QLineEdit>& vivo;
        bool& buscando;
        QPointer<TFIBDBEDITDLG> dialogo;
        ~Fin()
        {
            delete dialogo.data();
            if (vivo)
                buscando = false;
        }
    } fin{vivo, buscando_, new TFIBDBEDITDLG(enlazado_ ? editor_->window() : nullptr)};
    TFIBDBEDITDLG& d = *fin.dialogo;
    if (OnBusqueda)
        OnBusqueda(d);
    d.Condicion = CondicionEfectiva();
    d.SetBase_de_datos(BaseBusqueda(), TransaccionBusqueda());
    d.Campos_Desplegar = Campos_Desplegar;
    d.CampoNum = CampoNum;
    d.CampoStr = CampoStr;
    d.CampoADevolver = CampoADevolver;
    d.SetTabla_a_buscar(Tabla_a_buscar);
    PreparaDialogo(d);
    d.move(editor_->mapToGlobal(QPoint(0, editor_->height())));

    // A key without character (the search key) adds nothing to the text.
    const QString letra = caracter_ == QChar(u'\0') ? QString() : QString(caracter_);
    d.FIBEdit->setText(caracter_ == RetornoCarro ? editor_->text()
                       : ReemplazarCaracter      ? letra
                                                 : editor_->text() + letra);
    try {
        d.FIBEdit->EjecutarBusqueda();
    } catch (const ENombreTablaError& e) {
        // The list holds the first statement's rows: say so over the dialog.
        QTimer::singleShot(0, d.FIBEdit, [campo = d.FIBEdit, mensaje = e.Message()] {
            campo->MuestraErrorBusqueda(mensaje);
        });
    }

    const bool elegido = d.exec() == QDialog::Accepted;
    if (!vivo || !fin.dialogo)
        return false;
    if (elegido) {
        if (!CampoADevolver2.isEmpty()) {
            const TField* f2 = d.FIBFind.FindField(CampoADevolver2);
            valorDevuelto2_ = f2 ? f2->AsString() : QString();
        }
        const TField* f = d.FIBFind.FindField(CampoADevolver.isEmpty() ? CampoNum : CampoADevolver);
        AsignaElegido(f ? f->AsString() : QString());
        if (ExisteValor()) {
            if (enlazado_ && OnExiste)
                OnExiste();
            // Leaving the field, the focus is already on its way.
            if (AutoCambiarFoco && !saliendo_)
                SiguienteControl();
        }
    }
    TrasDialogo(d);
    return elegido;
}

bool TEditFindComun::Tecla(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Confirma(false);
        e->accept();
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return false;
    default: break;
    }
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false; // shortcuts
    const QString t = e->text();
    if (t.isEmpty())
        return false; // not a character: arrows, function keys
    const QChar c = t[0];
    // Codes are typed directly.
    if (c.isDigit() || c == u',' || c == u'-' || c == u'.')
        return false;
    if (c != QChar(u'\0') && !c.isPrint())
        return false;
    if (!PuedeElegir())
        return false;
    caracter_ = c.toUpper();
    const QPointer<QLineEdit> vivo(editor_);
    if (AbrirBusqueda() || !vivo)
        return true; // the character is spent
    // Cancelled: the data-bound field takes the character as typed.
    return !enlazado_;
}

void TEditFindComun::Confirma(bool saliendo)
{
    const QPointer<QLineEdit> vivo(editor_);
    saliendo_ = saliendo;
    struct Fin {
        const QPointer<QLineEdit>& vivo;
        bool& saliendo;
        ~Fin()
        {
            if (vivo)
                saliendo = false;
        }
    } fin{vivo, saliendo_};

    if (ExisteValor()) {
        if (OnExiste)
            OnExiste();
        if (AutoCambiarFoco && !saliendo)
            SiguienteControl();
        return;
    }
    caracter_ = RetornoCarro;
    if (enlazado_) {
        if (OnNoExiste)
            OnNoExiste();
        else
            AbrirBusqueda();
        return;
    }
    // Nothing chosen: the field keeps the focus.
    if (!AbrirBusqueda() && vivo) {
        editor_->setFocus(Qt::OtherFocusReason);
        if (OnNoExiste)
            OnNoExiste();
    }
}

bool TEditFindComun::Sale(QFocusEvent* e) const
{
    if (buscando_ || e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason)
        return false;
    const QWidget* destino = QApplication::focusWidget();
    return editor_->isVisible() && destino && destino != editor_ && destino->window() == editor_->window();
}

// --- data-bound ---------------------------------------------------------------------------------

TFIBDBEditfind::TFIBDBEditfind(QWidget* parent) : TDBEdit(parent), TEditFindComun(this, true) {}

TFIBDatabase* TFIBDBEditfind::BaseBusqueda() const
{
    // A record of one database may refer to a table kept in another (a
    // sibling product's task names the program's communities).
    if (Base_de_datos)
        return Base_de_datos;
    TFIBDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    return ds ? ds->Database() : nullptr;
}

TFIBTransaction* TFIBDBEditfind::TransaccionBusqueda() const
{
    if (TFIBTransaction* tr = TEditFindComun::TransaccionBusqueda())
        return tr;
    TFIBDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    return ds ? ds->Transaction() : nullptr;
}

bool TFIBDBEditfind::PuedeElegir() const
{
    TFIBDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    return !ReadOnly() && Field() && !Field()->ReadOnly && ds && ds->Active() && ds->CanModify();
}

void TFIBDBEditfind::AsignaElegido(const QString& valor)
{
    TFIBDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!ds || !Field())
        return;
    if (ds->State() == TDataSetState::dsBrowse)
        ds->Edit();
    AsignaTexto(Field(), valor);
}

void TFIBDBEditfind::PreparaDialogo(TFIBDBEDITDLG& dialogo)
{
    dialogo.SbNuevo->setVisible(VerBotonNuevo);
    dialogo.SbSaldos->setVisible(VerBotonSaldos);
    dialogo.SbExtracto->setVisible(VerBotonExtracto);
}

void TFIBDBEditfind::TrasDialogo(TFIBDBEDITDLG& dialogo)
{
    Tag = dialogo.Tag;
    // Closed with SbNuevo: the screen may create the record from this value.
    if (Tag == 1 && !CampoADevolver2.isEmpty() && dialogo.FIBFind.Active() && !dialogo.FIBFind.IsEmpty()) {
        const TField* f2 = dialogo.FIBFind.FindField(CampoADevolver2);
        if (f2)
            TEditFindComun::AsignaDevuelto2(f2->AsString());
    }
}

void TFIBDBEditfind::keyPressEvent(QKeyEvent* e)
{
    if (!Tecla(e))
        TDBEdit::keyPressEvent(e);
}

void TFIBDBEditfind::focusOutEvent(QFocusEvent* e)
{
    // A code that does not exist (none included) while the record is being
    // edited is confirmed as with Enter before the field is left.
    TFIBDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    if (Sale(e) && ds && (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert) &&
        !ExisteValor())
        Confirma(true);
    TDBEdit::focusOutEvent(e);
}

// --- unbound ------------------------------------------------------------------------------------

TFIBHYGEditFind::TFIBHYGEditFind(QWidget* parent) : QLineEdit(parent), TEditFindComun(this, false)
{
    SalirSiVacio = true;
}

void TFIBHYGEditFind::keyPressEvent(QKeyEvent* e)
{
    if (!Tecla(e))
        QLineEdit::keyPressEvent(e);
}

void TFIBHYGEditFind::focusOutEvent(QFocusEvent* e)
{
    const bool sale = Sale(e);
    QLineEdit::focusOutEvent(e);
    if (sale && !(SalirSiVacio && text().isEmpty()) && !ExisteValor())
        Confirma(true);
}

// --- filters -------------------------------------------------------------------------------------

QString CondicionFiltros(TEnumSet<TROpcionBusqueda> filtros, const TEntornoFind2000& entorno, const QString& condicion)
{
    using O = TROpcionBusqueda;
    QStringList terminos;
    auto numero = [&](O o, const char* columna, int valor) {
        if (filtros.Contains(o))
            terminos << QLatin1String(columna) + QLatin1Char('=') + QString::number(valor);
    };
    auto texto = [&](O o, const char* columna, const QString& valor) {
        if (filtros.Contains(o))
            terminos << QLatin1String(columna) + QLatin1Char('=') + LiteralSQL(valor);
    };
    numero(O::obEmpresa, "EMPRESA", entorno.Empresa);
    numero(O::obEjercicio, "EJERCICIO", entorno.Ejercicio);
    numero(O::obCanal, "CANAL", entorno.Canal);
    texto(O::obSerie, "SERIE", entorno.Serie);
    numero(O::obTercero, "TERCERO", entorno.Tercero);
    texto(O::obAlmacen, "ALMACEN", entorno.Almacen);
    numero(O::obCliente, "CLIENTE", entorno.Cliente);
    texto(O::obPais, "PAIS", entorno.Pais);
    texto(O::obTarifa, "TARIFA", entorno.Tarifa);
    if (!condicion.isEmpty())
        terminos << condicion;
    return terminos.join(QStringLiteral(" AND "));
}
