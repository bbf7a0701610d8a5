#pragma once
// The lookup fields: a code field that checks the code typed against the
// referenced table and, when the user starts typing a name, confirms a code
// that does not exist or presses the search key, opens the search dialog
// (TFIBDBEDITDLG) on the table; choosing a row writes its code into the field.
//
// A screen declares a lookup by setting, before the field is used:
//
//   eIdioma->SetDataSource(&DsTabla);       // data-bound field only
//   eIdioma->SetDataField("IDIOMA");
//   eIdioma->Tabla_a_buscar = "SYS_IDIOMAS";
//   eIdioma->CampoNum = "CODIGO";           // the code column
//   eIdioma->CampoStr = "NOMBRE";           // the name column, searched by name
//   eIdioma->CondicionBusqueda = "codigo <> 0"; // optional, for check and dialog
//
// The unbound fields also take Base_de_datos; the data-bound ones use the
// database of their dataset unless Base_de_datos is set. The search runs in the database's default
// transaction, or the bound dataset's when the database has none.
#include "UDBControles.h"
#include "FIBTableDataSet.h"

#include <QLineEdit>
#include <QStringList>
#include <functional>

class TFIBDatabase;
class TFIBTransaction;
class TFIBDBEDITDLG;

// What the lookup fields share: their settings, the check of a code, the
// search dialog and the typing rules.
class TEditFindComun {
public:
    virtual ~TEditFindComun() = default;
    TEditFindComun(const TEditFindComun&) = delete;
    TEditFindComun& operator=(const TEditFindComun&) = delete;

    // After a valid code is confirmed, the focus moves to the next control.
    bool AutoCambiarFoco = false;
    // The database of an unbound field; a data-bound field uses its
    // dataset's unless this is set.
    TFIBDatabase* Base_de_datos = nullptr;
    bool BuscarNums = false; // accepted; has no effect
    QString Tabla_a_buscar;
    QStringList Campos_Desplegar; // extra columns of the dialog's list
    QString CampoNum;             // code column
    QString CampoStr;             // name column
    QString CampoADevolver;       // returned and checked instead of CampoNum when set
    QString CampoADevolver2;      // its value becomes ValorDevuelto2 when a row is chosen
    // Extra condition of the check and of the dialog, such as 'entidad <> "0000"'.
    QString CondicionBusqueda;
    // A letter that opens the dialog is the whole search text (true) or is
    // added to the field's text (false).
    bool ReemplazarCaracter = true;
    // Unbound field: leaving it empty does not open the dialog. The
    // data-bound field accepts it without effect.
    bool SalirSiVacio = false;

    // Just before the dialog opens (the screen may hand it its viewers).
    std::function<void(TFIBDBEDITDLG& dialogo)> OnBusqueda;
    std::function<void()> OnExiste;   // a confirmed code exists
    std::function<void()> OnNoExiste; // a confirmed code does not exist

    // The CampoADevolver2 value of the last row chosen.
    QString ValorDevuelto2() const { return valorDevuelto2_; }

    // Whether the field's text is an existing code (meeting the condition).
    // An empty text, or one that is no value of the code column's type, is
    // none.
    bool ExisteValor();
    // Runs the search dialog; true when a row was chosen (its code is then
    // in the field). A read-only field opens none.
    bool AbrirBusqueda();

protected:
    TEditFindComun(QLineEdit* editor, bool enlazado);

    // The condition of check and dialog.
    virtual QString CondicionEfectiva() const { return CondicionBusqueda; }
    virtual TFIBDatabase* BaseBusqueda() const { return Base_de_datos; }
    // The transaction of check and dialog: the database's default one.
    virtual TFIBTransaction* TransaccionBusqueda() const;
    // Whether a row chosen could go into the field: a read-only field
    // opens no search.
    virtual bool PuedeElegir() const = 0;
    // The chosen row's code goes into the field.
    virtual void AsignaElegido(const QString& valor) = 0;
    virtual void PreparaDialogo(TFIBDBEDITDLG&) {}
    virtual void TrasDialogo(TFIBDBEDITDLG&) {}
    virtual void SiguienteControl() = 0;

    // The typing rules: true when the key was dealt with, false when the
    // edit's own handling goes on.
    bool Tecla(QKeyEvent* e);
    // Enter, or leaving the field with a code that does not exist.
    void Confirma(bool saliendo);
    // Whether losing the focus this way is leaving the field for another
    // control of its window (not a dialog or menu opening over it).
    bool Sale(QFocusEvent* e) const;
    void AsignaDevuelto2(const QString& valor) { valorDevuelto2_ = valor; }

private:
    QLineEdit* editor_;
    bool enlazado_;
    bool buscando_ = false;
    bool saliendo_ = false;
    QChar caracter_; // the key that opened the dialog; '\r' for Enter
    QString valorDevuelto2_;
};

// The lookup field bound to a dataset field.
class TFIBDBEditfind : public TDBEdit, public TEditFindComun {
    Q_OBJECT
public:
    explicit TFIBDBEditfind(QWidget* parent = nullptr);

    bool VerBotonNuevo = false;    // SbNuevo in the dialog
    bool VerBotonSaldos = false;   // SbSaldos in the dialog
    bool VerBotonExtracto = false; // SbExtracto in the dialog
    // The dialog's tag after the last search: 1 when it was closed with
    // SbNuevo (a new record wanted).
    int Tag = 0;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    TFIBDatabase* BaseBusqueda() const override;
    TFIBTransaction* TransaccionBusqueda() const override;
    bool PuedeElegir() const override;
    void AsignaElegido(const QString& valor) override;
    void PreparaDialogo(TFIBDBEDITDLG& dialogo) override;
    void TrasDialogo(TFIBDBEDITDLG& dialogo) override;
    void SiguienteControl() override { focusNextChild(); }
};

// The lookup field not bound to data: its text is the code.
class TFIBHYGEditFind : public QLineEdit, public TEditFindComun {
    Q_OBJECT
public:
    explicit TFIBHYGEditFind(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool PuedeElegir() const override { return !isReadOnly(); }
    void AsignaElegido(const QString& valor) override { setText(valor); }
    void SiguienteControl() override { focusNextChild(); }
};

// Environment filters of the lookups over multi-company tables.
enum class TROpcionBusqueda { obEmpresa, obEjercicio, obCanal, obSerie, obTercero, obAlmacen, obCliente, obPais, obTarifa };

struct TEntornoFind2000 {
    int Empresa = 0;
    int Ejercicio = 0;
    int Canal = 0;
    QString Serie;
    int Tercero = 0;
    QString Almacen;
    int Cliente = 0;
    QString Pais;
    QString Tarifa;
};

// The flagged filter terms in the set's order ("EMPRESA=1", 'SERIE="A"', ...),
// then the condition, joined by " AND ".
QString CondicionFiltros(TEnumSet<TROpcionBusqueda> filtros, const TEntornoFind2000& entorno,
                         const QString& condicion);

class TDBEditFind2000 : public TFIBDBEditfind {
    Q_OBJECT
public:
    using TFIBDBEditfind::TFIBDBEditfind;
    TEnumSet<TROpcionBusqueda> Filtros;
    TEntornoFind2000 Entorno;

protected:
    QString CondicionEfectiva() const override { return CondicionFiltros(Filtros, Entorno, CondicionBusqueda); }
};

class TEditFind2000 : public TFIBHYGEditFind {
    Q_OBJECT
public:
    using TFIBHYGEditFind::TFIBHYGEditFind;
    TEnumSet<TROpcionBusqueda> Filtros;
    TEntornoFind2000 Entorno;

protected:
    QString CondicionEfectiva() const override { return CondicionFiltros(Filtros, Entorno, CondicionBusqueda); }
};
