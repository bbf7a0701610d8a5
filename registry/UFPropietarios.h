#pragma once
// The register of the current community: its owners, each owner's properties
// with the coefficients that weigh his votes, and his postal addresses.
#include "FIBQuery.h"
#include "UDMBase.h"
#include "UFBase.h"

#include <functional>
#include <memory>

class QStatusBar;
class QTabWidget;
class TDBCheckBox;
class TDBEdit;
class TDBRichEdit;
class TFIBDBEditfind;

// The Spanish IBAN of a bank account code: "ES", its two check digits and the
// 20 digits, grouped in fours as bank papers print it ("ES91 2100 0418 4502
// 0005 1332"). Empty unless entity, branch, check digits and account are
// complete (4, 4, 2 and 10 digits) and the check digits are right.
QString IbanCuenta(const QString& entidad, const QString& oficina, const QString& dc, const QString& cuenta);

// A read-only box with the IBAN of the current record's account, following
// the record as its bank boxes change.
class TIbanCuenta : public QLineEdit {
    Q_OBJECT
public:
    TIbanCuenta(TDataSource* ds, const QString& campoCuenta, QWidget* parent = nullptr);
    ~TIbanCuenta() override;

private:
    class TEnlace;
    void Muestra();
    std::unique_ptr<TEnlace> enlace_;
    QString campoCuenta_;
};

class TDMPropietarios : public TDMBase {
public:
    TDMPropietarios();
    ~TDMPropietarios() override;

    TFIBTableSet QPropietario, QFincas, QDire;
    TDataSource DsFincas, DsDire;
    // The names beside the codes: the owner's language, payment method and
    // bank; the property's payment method, bank, type and use.
    TFIBDataSet QIdioma, QFormaPagop, QBancop, QFormaPago, QBancof, QTipoFinca, QUsoFinca;
    TDataSource DsIdioma, DsFormaPagop, DsBancop, DsFormaPago, DsBancof, DsTipoFinca, DsUsoFinca;
    TFIBDataSet QComunidad;
    TFIBQuery SpPropi, SpFinca, SpDire, SpGen, QCoeficientes;

    // Commits each saved or deleted owner, property or address at once. When
    // the commit fails, the work is rolled back, a new transaction starts and
    // the lists open again (on the same owner) before the error goes on.
    void graba();

    // The check digits of the owner's or the current property's account,
    // recomputed as a bank box is left (DigitosControlCuenta); only while the
    // record is being edited.
    void DigitosControlPropietario();
    void DigitosControlFinca();

    // The sum of the coefficients of the community's active properties.
    double SumaCoeficientes();
    // Run after every change that may move that sum.
    std::function<void()> OnCoeficientes;

    // The convocations of the community in which the owner has a vote row,
    // one line each: code, description and date, in code order.
    QStringList ConvocatoriasConVotos(qint64 propietario);

    // The owners' list read again (after an import changed the register).
    void ReabreListas();

private:
    void AbreListas();
    void Lookup(TFIBDataSet& ds, TDataSource& maestro, TDataSource& fuente, const QString& sql);
    void DireccionComunidad(TFIBDataSet& ds);
    int Siguiente(TFIBQuery& sp, std::initializer_list<qint64> parametros);
    void CambiaCoeficientes();
};

class TFPropietarios : public TFBase {
    Q_OBJECT
public:
    TFPropietarios();
    ~TFPropietarios() override;
    TDMPropietarios* DM() const { return dm_.get(); }

    QToolButton* TbConsulta;
    QToolButton* TbImporta; // the register brought from the accounting product
    TDBEdit* DBECodigo;
    TDBEdit* DBENombre;
    TFIBDBEditfind *DBEIdioma, *DBEFormaPago, *DBEBanco;
    TDBEdit *DBEOficina, *DBEDC, *DBECuenta;
    TIbanCuenta* EIban;
    QLabel* LCoeficientes;
    // The status line: while the community is linked to the accounting
    // product, which data come from it and are overwritten by its next import.
    QStatusBar* SbEstado;

    QWidget* TSFincas;
    QTabWidget* PCFincas;
    QWidget *TSFichaFinca, *TSTablaFinca, *TSObsFinca;
    THYMNavigator* NavFincas;
    QToolButton* TbConsultaFinca;
    QWidget* PFinca;
    TDBEdit *DBENombreFinca, *DBECoeficiente;
    TFIBDBEditfind *DBEFormaPagoFinca, *DBEBancoFinca, *DBETipoFinca, *DBEUsoFinca;
    TDBEdit *DBEOficinaFinca, *DBEDCFinca, *DBECuentaFinca;
    TIbanCuenta* EIbanFinca;
    TDBCheckBox* DBCActivaFinca;
    THYTDBGrid* GridFincas;
    TDBRichEdit* DBRObsFinca;
    THYMNavigator* NavObsFinca;

    QWidget* TSDirecciones;
    QTabWidget* PCDire;
    QWidget *TSFichaDire, *TSTablaDire;
    THYMNavigator* NavDire;
    QWidget* PDire;
    TDBEdit* DBEDomicilioDire;
    THYTDBGrid* GridDire;

    QWidget* TSObservaciones;
    TDBRichEdit* DBRObs;
    THYMNavigator* NavObs;

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QWidget* CreaFincas(bool sinDomicilio);
    QWidget* CreaDirecciones();
    QWidget* CreaObservaciones();
    THYMNavigator* Subeditor(QToolBar* barra, QWidget* ambito, QWidget* ficha, QWidget* panel, TDataSource* ds,
                             const QString& nombre, TControlEdit* exterior, QWidget* complementario);
    void Consulta(std::initializer_list<QWidget*> lookups);
    void MuestraCoeficientes();
    bool SubEditando() const;

    std::unique_ptr<TDMPropietarios> dm_;
    QList<QWidget*> lookups_;
    TControlEdit* CEPaginaFincas;
    TControlEdit* CEPaginaDire;
    bool coeficientesAlDia_ = false;
};
