#pragma once
// "Convocatorias y Actas": the whole meeting of the current community on one
// screen — the convocation and its agenda, the letter, notes, minutes and
// remarks edited in the word processor, the letter and minutes sent to the
// owners by e-mail and the minutes published by FTP, and on the vote page
// attendance, representation and the votes on each agenda point.
#include "UDMConvoca.h"
#include "UFBase.h"
#include "USalida.h"

#include <memory>

class QComboBox;
class QLabel;
class QMenu;
class QSplitter;
class TDBComboBoxValue;
class TDBDateTimePicker;
class TDBMemo;
class TFSeguimiento;
class TPaginaVotaciones;

class TFConvoca : public TFBase {
    Q_OBJECT
public:
    TFConvoca();
    ~TFConvoca() override;
    TDMConvoca* DM() const { return dm_.get(); }

    // The documents of a convocation.
    enum class TDocumento { Convocatoria, Notas, Acta, Observaciones };

    // Edits the document in the word processor; an empty letter or minutes
    // starts from a template chosen in "Seleccione un texto tipo" (merged
    // with the convocation's data) or, with none chosen, from an empty
    // document; empty notes start from the agenda. Stored when the word
    // processor has ended and left a whole document.
    void EditDocument(TDocumento documento, TProcesadorTextos procesador);
    // The letter or the minutes made again from a template: asks first when
    // there is one.
    void RecreateDocument(TDocumento documento, TProcesadorTextos procesador);
    // Sends the letter ("CONVOCATORIA") or the minutes ("ACTA") to the
    // owners with an e-mail address, as blind copies: "WORD" pastes the page
    // last exported as HTML into the message, "PDF" attaches the document as
    // a PDF made from the stored one. Publishing uploads that PDF instead.
    // Minutes sent or published are notified: the first time, today is
    // recorded as their notification's day.
    void SendDocument(const QString& tipo, const QString& modo, bool publica);
    // The letter or the minutes for the notice board: a copy naming the
    // properties instead of the people, opened in the word processor and
    // never stored.
    void CopiaTablon(TDocumento documento);
    // Signs the stored minutes with the administrator's certificate: the
    // signed PDF becomes the convocation's record, sent and published
    // instead of one made at the moment.
    void FirmarActa();
    // Checks the signature of the stored signed minutes, or of a PDF file
    // chosen by the user when `fichero` is set.
    void ComprobarFirma(bool fichero);
    // "Guardar PDF…": the letter or the minutes made into a PDF from the
    // stored document, saved where the user chooses.
    void GuardaPdf(TDocumento documento);

    // Main tool bar, after the navigator.
    QToolButton* TbConvocatoria;
    QToolButton* TbEnviaConvocatoria;
    QToolButton* TbEnviaConvocatoriaPdf;
    QToolButton* TbNotas;
    QToolButton* TbActa;
    QToolButton* TbObservaciones;
    QToolButton* TbEnviaActa;
    QToolButton* TbEnviaActaPdf;
    QToolButton* TbPublica;
    QToolButton* TbConvocatoriaOO;
    QToolButton* TbNotasOO;
    QToolButton* TbActaOO;
    QToolButton* TbObservacionesOO;
    QToolButton* TbTablon;
    QToolButton* TbFirmaActa;
    QToolButton* TbCompruebaFirma;
    QToolButton* TbGuardaPdf;
    // Search bar.
    QComboBox* CbBusca;
    QLineEdit* EEstado;
    // "&Ficha".
    TDBEdit* DBECodigo;
    TDBEdit* DBEDes;
    TDBComboBoxValue* DBCTipo;
    TDBDateTimePicker* DBDFecha;
    TDBEdit* DBEHora1;
    TDBEdit* DBEHora2;
    TDBEdit* DBELugar;
    TDBEdit* DBEFechaT;
    QWidget* POrden;
    TDBMemo* DBMOrden;
    QLabel* LPropietarios;
    // An ordinary meeting notified fewer than six days before it is held.
    QLabel* LAvisoPlazo;
    // Who signed the minutes and when, or that they changed since.
    QLabel* LFirma;
    // "&Votaciones".
    TPaginaVotaciones* TSVotaciones;
    // "Se&guimiento".
    TFSeguimiento* TSSeguimiento;

protected:
    void NavegadorClick(TNavigateBtn boton) override;
    bool eventFilter(QObject* objeto, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void CreaBotones();
    QToolButton* BotonDocumento(const QString& nombre, const QString& hint, const QIcon& icono);
    QMenu* MenuDocumento(TDocumento documento, TProcesadorTextos procesador, const QString& consulta,
                         const QString& crea);
    void Busca();
    void CuentaPropietarios();
    bool HayConvocatoria();
    bool VotoEnEdicion() const;
    void ActaNotificada();

    class TEnlacePlazo;
    void CompruebaPlazo();
    void MuestraFirma();
    // The convocation's signed minutes, when they still hold for the stored
    // ones.
    QByteArray ActaFirmadaVigente();
    bool FirmaVigente(const QByteArray& acta);
    int Codigo() const;
    // Before the signed minutes are replaced: asks whether to go on.
    bool CambiaActaFirmada();

    std::unique_ptr<TDMConvoca> dm_;
    std::unique_ptr<TEnlacePlazo> enlacePlazo_;
};

// The command "Convocatorias y Actas" of the main window.
void RegistraOrdenesConvocatorias();
