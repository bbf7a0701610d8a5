#pragma once
// The convocations of the current community: each one's agenda rows, its
// owners' vote rows and the tallies of its ten agenda points; attendance,
// tallies and the owners' debts read from the accounting product; and the
// letter, minutes and working notes made from them.
#include "FIBQuery.h"
#include "UDMBase.h"
#include "UNombresComunidad.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <functional>
#include <optional>

class TDMConvoca : public TDMBase {
public:
    TDMConvoca();
    ~TDMConvoca() override;

    // On the program's database, in the module's transaction.
    TFIBTableSet QTabla;    // CONVOCATORIAS of the community, newest first
    TFIBTableSet QOrden;    // ORDEN rows of the current convocation
    TFIBTableSet QVotacion; // vote rows of the current convocation
    TDataSource DsVotacion;
    TFIBDataSet QVotacionP; // the tally of the agenda point shown
    TFIBDataSet QFincas;    // the current vote row's owner's properties
    TFIBDataSet QPropi;     // and his name in the register
    TFIBDataSet QAdmin, QComu, QAsistencia, QDeudores;
    TFIBDataSet QEmail; // the community's owners' e-mail addresses
    TFIBQuery SpAsiste, SpGen;

    // The accounting product's database: connected only while the debts are
    // imported, and always closed afterwards.
    TFIBDatabase DataBase;
    TFIBTransaction TGenerica;
    TFIBDataSet QEjer, QPeriodos, QSaldo;
    TDataSource DsEjer, DsPeriodos;

    // Follow-up of the decisions: the current convocation's follow-up rows,
    // each with its done mark and the task or budget of the
    // community-management product it gave rise to (TIPOGESTION 1 a task, 2
    // a budget, 0 none; shown as "TAREA", "PRESUPUESTO" or nothing).
    TFIBTableSet QDetalle;
    TDataSource DsDetalle;

    // The community-management product's database (Halvenbook): connected
    // only while one task or budget is being created, always closed after.
    TFIBDatabase DBHalvenbook;
    THYTransaction FIBHalvenbook;
    TFIBTableSet QTarea; // RGESTIONES: calls and errands, newest first
    TFIBTableSet QPresu; // PRESUPUESTO: budget requests, newest first
    TDataSource DsTarea, DsPresu;

    // The state of that connection for the screen's status label: the text
    // to show, or an empty text to hide the label. The screen repaints before
    // the connection is tried.
    std::function<void(const QString&)> EstadoHalvenbook;

    // The convocation's follow-up rows made from its agenda, one per point,
    // the first time: a convocation with any follow-up row gets none.
    void CreateFollowUpRows();
    // Switches the current follow-up row between done and pending.
    void ToggleTaskDone();
    // A task (TFTarea) or a budget request (TFPresu) in the
    // community-management database for the current follow-up row; when the
    // dialog is accepted the record is written with the next code of its
    // table and the row is linked to it (a convocation without rows gets
    // one). Nothing is written otherwise.
    void CreateTask();
    void CreateBudget();
    // Opens the community-management database named in "halvenbook.ini" and
    // starts its transaction; false after telling the user why not.
    bool ConnectCommunityManagement();

    // The owners' import from the accounting product for the current
    // community, run without questions before a new convocation's vote rows
    // are made while the accounting link is on (Entorno.EnlaceContable 1).
    // The import screen provides it; nothing runs while it is not set.
    std::function<void()> RefreshOwnersFromAccounting;

    // Commits what was written; recounts the attendance of a convocation
    // whose count is 0; after the first save of a new convocation imports
    // its debts.
    void graba();

    // Switches the current vote row's attendance from what the screen shows
    // (absent becomes present, present absent), whatever another seat stored
    // meanwhile; the convocation's totals follow at once.
    void ToggleAttendance();
    // The vote grid's refresh: every vote row read again (other seats'
    // votes and attendance), on the same owner, with the point's tally and
    // the convocation's totals.
    void RefreshVotes();
    // Every owner of the convocation attends (1) or none does (0); tallies
    // and totals are computed again.
    void SetAttendanceAll(int valor);
    // The convocation's number of attendants and sum of their coefficients.
    void RecountAttendance();
    // Attendance totals and the ten tallies, computed by the database.
    void CalculateVotes();
    // Shows the tally of agenda point 1 to 10.
    void ShowPointTally(int punto);
    int PuntoMostrado() const { return punto_; }
    // The owners' debts up to a period of the accounting product, chosen in
    // TFPeriodos: a snapshot, so an owner who owes nothing then gets 0. Does
    // nothing, silently, when the accounting database is not configured or
    // cannot be opened, or no period is chosen.
    void ImportBalances();

    // The e-mail addresses of the community's owners, trimmed, in the order
    // read and joined with "; "; empty when nobody has one.
    QString DireccionesCorreo();

    // The order of the vote rows and of the attendance list: 0 by name
    // ("Ordenado por nombre"), 1 by owner code ("Ordenado por código").
    void OrdenaVotaciones(int indice);
    int OrdenVotaciones() const { return orden_; }

    // Letters and minutes. MergeDocument("CONVOCATORIA") works on the letter
    // (TEXTO), any other kind on the minutes (ACTA): the template written to
    // "tmp1.rtf" in the program folder is merged with the convocation's data
    // and left in the column, the row in edit mode, and in "tmp1.rtf".
    void MergeDocument(const QString& tipo);
    // The RTF fragments of "[Asistentes]" and "[Deudores]" ("[Resultados]"
    // is ListaResultados).
    QByteArray BuildAttendeeList();
    QByteArray BuildDebtorList();
    // The working notes of the current convocation, one agenda point a page,
    // written to "tmp1.rtf" in the program folder.
    void WriteNotesDocument();

private:
    // Task (1) or budget (2).
    void CreaGestion(int tipo);
    void EnlazaSeguimiento(qint64 numero, int tipo);
    void EstadoConexion(const QString& texto);
    TNombresComunidad comunidades_;  // names beside a task's or budget's codes
    QHash<qint64, QString> usuarios_;
    std::optional<qint64> gestionEscrita_; // code of the task or budget just written

    void QTablaBeforePost();
    // The current vote row's owner's name in the register; null when he is
    // not in it.
    QString NombreRegistro();
    // How the owner of the current vote row attends, from its name as the
    // grid shows it; refused (EAviso) for an absent owner, and "Representado"
    // until the row carries a representative's name. Attending himself, the
    // row takes his own name back.
    void AsignaModo(TField& campo, const QString& texto);
    void RefrescaConvocatoria();
    // The vote rows read again, a row being typed saved first, on the same
    // owner; `cambio` runs while they are closed.
    void ReleeVotaciones(const std::function<void()>& cambio = {});
    QVariant PropietarioActual() const;
    void Ejecuta(const QString& sql);
    QString Fichero(const char* nombre) const;
    qint64 Convocatoria() const;

    bool nueva_ = false;           // a new convocation not yet saved
    bool puntoRetorno_ = false;    // its vote rows made, its row not yet written
    bool codigoDado_ = false;      // its code given at this save
    int punto_ = 1;
    int orden_ = 0;
};

// The document with every occurrence of a merge field replaced by a plain
// value, which shows as typed (escaped; line ends become paragraphs). While
// the document still holds "[Puntos]", the first occurrence of each agenda
// marker "1º.-" to "10º.-" in the value starts a paragraph.
QByteArray ReplaceField(const QByteArray& documento, const QString& campo, const QString& valor);
// The same with an RTF fragment, put in as it is.
QByteArray ReplaceFieldRtf(const QByteArray& documento, const QString& campo, const QByteArray& fragmento);
// Appends agenda point n (a page break before every point but the first) to
// the lines of a notes document and takes it out of the agenda text.
void ExtractAgendaPoint(int n, QString& agenda, QList<QByteArray>& lineas);
// Agenda point n as it is written, from its marker up to the next point's
// marker or the end, taken out of the agenda text as ExtractAgendaPoint does;
// nothing, and the agenda as it was, when the marker is absent.
std::optional<QString> TomaPuntoAgenda(int n, QString& agenda);
// How a follow-up row's link kind reads: "TAREA" (1), "PRESUPUESTO" (2),
// nothing otherwise.
QString TextoTipoGestion(int tipo);
// The texts of agenda points 1 to 10 (as TomaPuntoAgenda takes them, on one
// line; empty for a point the agenda lacks).
QStringList TextosPuntos(QString agenda);
// The marker of agenda point n: "1º.-" … "10º.-".
QString MarcaPunto(int n);
