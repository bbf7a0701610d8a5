#include "UFAccesos.h"
#include "CreaBaseDatos.h"
#include "UDBControles.h"
#include "UDMMain.h"
#include "UFormatos.h"
#include "UPerfil.h"
#include "UDialogos.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {
QString FicheroUsuario() { return Entorno.CaminoPrograma + QStringLiteral("/usuario.cfg"); }

// A typed code as a user code: a whole number from 1 to 32767.
bool CodigoValido(const QString& texto, qint16* codigo)
{
    bool ok = false;
    const int n = texto.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > 32767)
        return false;
    *codigo = static_cast<qint16>(n);
    return true;
}
} // namespace

TFAccesos::TFAccesos(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Accesos"));
    setObjectName(QStringLiteral("FAccesos"));
    EdCodigo = new QLineEdit;
    EdCodigo->setObjectName(QStringLiteral("EdCodigo"));
    EdNombre = new QLineEdit;
    EdNombre->setObjectName(QStringLiteral("EdNombre"));
    EdNombre->setReadOnly(true);
    EdNombre->setFocusPolicy(Qt::NoFocus);
    EdClave = new QLineEdit;
    EdClave->setObjectName(QStringLiteral("EdClave"));
    MascaraClave(EdClave);
    EdClave->setMaxLength(8);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Código"), EdCodigo);
    form->addRow(QStringLiteral("Usuario"), EdNombre);
    form->addRow(QStringLiteral("Clave"), EdClave);
    auto* botones = new QDialogButtonBox;
    auto* aceptar = botones->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    auto* cancelar = botones->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    aceptar->setDefault(true);
    auto* capa = new QVBoxLayout(this);
    capa->addLayout(form);
    capa->addWidget(botones);
    setFixedSize(sizeHint().expandedTo(QSize(340, 0)));
    setTabOrder(EdCodigo, EdClave);
    connect(aceptar, &QPushButton::clicked, this, &TFAccesos::Aceptar);
    connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(EdCodigo, &QLineEdit::textChanged, this, &TFAccesos::CodigoCambiado);

    QFile f(FicheroUsuario());
    if (f.open(QIODevice::ReadOnly)) {
        qint16 codigo = 0;
        // One short line at most: whatever else the file holds is not read.
        if (CodigoValido(QString::fromUtf8(f.readLine(64)), &codigo))
            recordado_ = codigo;
    }
    CentraEnPantalla(this);
}

bool TFAccesos::event(QEvent* e)
{
    const bool r = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate && recordado_ != 0) {
        EdCodigo->setText(QString::number(recordado_));
        EdClave->setFocus();
    }
    return r;
}

bool TFAccesos::Busca(const QString& codigo)
{
    qint16 n = 0;
    if (!CodigoValido(codigo, &n))
        return false;
    TFIBQuery& q = DMMain->QGen;
    q.SetSQL(QStringList{QStringLiteral("SELECT CODIGO,NOMBRE,CLAVE FROM SYS_USUARIO WHERE "), QStringLiteral("CODIGO=?CODIGO")});
    q.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(n);
    q.ExecQuery();
    const bool hay = !q.Eof();
    if (hay) {
        nombre_ = q.FieldByName(QStringLiteral("NOMBRE"))->AsString();
        clave_ = q.FieldByName(QStringLiteral("CLAVE"))->AsString();
        EdNombre->setText(nombre_);
    }
    q.Close();
    return hay;
}

void TFAccesos::CodigoCambiado(const QString& texto)
{
    if (texto.trimmed().isEmpty()) {
        EdNombre->clear();
        return;
    }
    if (!Busca(texto))
        EdNombre->clear();
}

void TFAccesos::Aceptar()
{
    const QString typed = EdCodigo->text().trimmed();
    qint16 codigo = 0;
    if (typed.isEmpty()) {
        // Nothing typed yet is no failed login: the dialog stays for the code.
        Mensaje(QStringLiteral("Escriba su código de usuario."));
        EdCodigo->setFocus();
        return;
    }
    if (!CodigoValido(typed, &codigo)) {
        // The code goes to the database as a number: anything else is refused here.
        Mensaje(QStringLiteral("El código de usuario debe ser un número entre 1 y 32767."));
        EdCodigo->setFocus();
        return;
    }
    if (!Busca(typed) || clave_.trimmed() != EdClave->text().trimmed()) {
        Mensaje(QStringLiteral("Nombre de usuario o clave no valida"));
        aceptado_ = false;
        reject();
        return;
    }
    codigo_ = codigo;
    // A row left by a seat that ended without logging out does not count.
    DMMain->QuitaRegistrosHuerfanos();
    TFIBDataSet& registro = DMMain->QGene;
    registro.Close();
    registro.SetSelectSQL({QStringLiteral("SELECT * FROM SYS_REGISTRO"), QStringLiteral("WHERE CODIGO=?CODIGO")});
    registro.ParamByName(QStringLiteral("CODIGO"))->SetAsInteger(codigo);
    registro.Open();
    if (!registro.IsEmpty()) {
        const QDateTime desde = registro.FieldByName(QStringLiteral("FECHA_ENTRADA"))->AsDateTime();
        registro.Close();
        Mensaje(QStringLiteral("USUARIO CONECTADO\rDESDE:\r") + FormatoFecha(desde) + QLatin1Char(' ') + FormatoHoraSegundos(desde.time()));
        aceptado_ = false;
        return;
    }
    registro.Close();
    DMMain->RegistraEntrada(codigo);
    aceptado_ = true;
    QSaveFile f(FicheroUsuario());
    if (f.open(QIODevice::WriteOnly)) {
        f.write(QByteArray::number(codigo) + '\n');
        f.commit();
    }
    accept();
}

bool TFAccesos::Automatico()
{
    recordado_ = 0;
    EdCodigo->setText(QStringLiteral("1"));
    EdNombre->setText(QStringLiteral("ADMINISTRADOR"));
    EdClave->setText(QString::fromLatin1(ClaveAccesoAutomatico));
    Aceptar();
    return aceptado_;
}
