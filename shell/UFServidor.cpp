#include "UFServidor.h"
#include "FIBError.h"
#include "UDialogos.h"
#include "WaitCursor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TFServidor::TFServidor(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Conectar con un servidor"));
    setModal(true);
    auto* explica = new QLabel(QStringLiteral("Escriba los tres datos que dio la instalación del servidor."));
    EdCamino = new QLineEdit;
    EdCamino->setObjectName(QStringLiteral("EdCamino"));
    EdCamino->setPlaceholderText(QStringLiteral("servidor:/camino/quorumdesk.fdb"));
    EdCamino->setMinimumWidth(380);
    EdUsuario = new QLineEdit;
    EdUsuario->setObjectName(QStringLiteral("EdUsuario"));
    EdClave = new QLineEdit;
    EdClave->setObjectName(QStringLiteral("EdClave"));
    EdClave->setEchoMode(QLineEdit::Password);
    auto* campos = new QFormLayout;
    campos->addRow(QStringLiteral("&Base de datos:"), EdCamino);
    campos->addRow(QStringLiteral("&Usuario:"), EdUsuario);
    campos->addRow(QStringLiteral("&Clave:"), EdClave);
    auto* botones = new QDialogButtonBox;
    QPushButton* conectar = botones->addButton(QStringLiteral("Conectar"), QDialogButtonBox::AcceptRole);
    conectar->setDefault(true);
    botones->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    auto* capa = new QVBoxLayout(this);
    capa->addWidget(explica);
    capa->addLayout(campos);
    capa->addWidget(botones);
    connect(botones, &QDialogButtonBox::accepted, this, &TFServidor::Conectar);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    CentraEnPantalla(this);
}

TServidorElegido TFServidor::Servidor() const
{
    return {EdCamino->text().trimmed(), EdUsuario->text().trimmed(), EdClave->text()};
}

void TFServidor::Conectar()
{
    const TServidorElegido s = Servidor();
    QLineEdit* falta = s.Camino.isEmpty() ? EdCamino : s.Usuario.isEmpty() ? EdUsuario : s.Clave.isEmpty() ? EdClave : nullptr;
    if (falta) {
        Mensaje(QStringLiteral("Escriba la base de datos, el usuario y la clave."));
        falta->setFocus();
        return;
    }
    // A plain path would be a database of this machine, not the office's.
    if (!s.Camino.contains(QLatin1Char(':')) || s.Camino.startsWith(QLatin1Char('/'))) {
        Mensaje(QStringLiteral("La base de datos se escribe con el nombre del servidor delante: "
                               "servidor:/camino/quorumdesk.fdb"));
        EdCamino->setFocus();
        return;
    }
    try {
        TWaitCursor espera;
        CompruebaServidor(s);
    } catch (const EFIBError& e) {
        if (e.LoginRefused()) {
            Mensaje(QStringLiteral("El servidor no acepta la clave del usuario %1. Escriba la clave de nuevo.\r\r%2")
                        .arg(s.Usuario, e.Message()));
            EdClave->clear();
            EdClave->setFocus();
            return;
        }
        const QString explicacion = e.Explanation();
        Mensaje(QStringLiteral("No se puede conectar con la base de datos del servidor.\r\r") +
                (explicacion.isEmpty() ? QString() : explicacion + QStringLiteral("\r\r")) + e.Message());
        EdCamino->setFocus();
        return;
    }
    accept();
}

std::optional<TPrimerArranque> PreguntaPrimerArranque()
{
    for (;;) {
        QMessageBox pregunta(QMessageBox::Question, QStringLiteral("Primer arranque"),
                             QStringLiteral("Este puesto aún no tiene base de datos.\n\n"
                                            "Para probar el programa en este equipo, cree la base de datos de "
                                            "demostración. Si la oficina trabaja con un servidor, conéctese a él "
                                            "con los datos que dio su instalación."));
        QPushButton* demo = pregunta.addButton(QStringLiteral("Base de demostración"), QMessageBox::AcceptRole);
        QPushButton* servidor = pregunta.addButton(QStringLiteral("Conectar con un servidor"), QMessageBox::ActionRole);
        pregunta.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
        pregunta.setDefaultButton(demo);
        pregunta.exec();
        if (pregunta.clickedButton() == demo)
            return TPrimerArranque{};
        if (pregunta.clickedButton() != servidor)
            return std::nullopt;
        TFServidor dialogo;
        if (dialogo.exec() == QDialog::Accepted)
            return TPrimerArranque{dialogo.Servidor()};
    }
}

std::optional<QString> PideClaveServidor(const QString& usuario)
{
    QDialog dialogo;
    dialogo.setWindowTitle(QStringLiteral("Clave del servidor"));
    auto* etiqueta = new QLabel(QStringLiteral("Clave del usuario %1 en el servidor:").arg(usuario));
    auto* clave = new QLineEdit;
    clave->setObjectName(QStringLiteral("EdClave"));
    clave->setEchoMode(QLineEdit::Password);
    auto* botones = new QDialogButtonBox;
    botones->addButton(QStringLiteral("Reintentar"), QDialogButtonBox::AcceptRole)->setDefault(true);
    botones->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    auto* capa = new QVBoxLayout(&dialogo);
    capa->addWidget(etiqueta);
    capa->addWidget(clave);
    capa->addWidget(botones);
    QObject::connect(botones, &QDialogButtonBox::accepted, &dialogo, &QDialog::accept);
    QObject::connect(botones, &QDialogButtonBox::rejected, &dialogo, &QDialog::reject);
    CentraEnPantalla(&dialogo);
    if (dialogo.exec() != QDialog::Accepted)
        return std::nullopt;
    return clave->text();
}
