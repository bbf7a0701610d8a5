#include "UFAcercaDe.h"
#include "UDMMain.h"
#include "UFInicio.h"
#include "UFormatos.h"
#include "UDialogos.h"
#include "USistema.h"
#include "WaitCursor.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFAcercaDe::TFAcercaDe(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Acerca de ..."));
    setObjectName(QStringLiteral("FAcercaDe"));
    QString versionBD, fechaBD, motor, conexiones;
    {
        TWaitCursor espera;
        TFIBTransaction tr; // a transaction of its own
        tr.SetDefaultDatabase(&DMMain->DataBase);
        tr.SetTRParams({QStringLiteral("read_committed"), QStringLiteral("rec_version"), QStringLiteral("nowait")});
        TFIBQuery q;
        q.SetDatabase(&DMMain->DataBase);
        q.SetTransaction(&tr);
        q.SetSQL(QStringLiteral("SELECT * FROM SYS_VERSION WHERE CODIGO=1"));
        q.ExecQuery();
        if (!q.Eof()) {
            versionBD = q.FieldByName(QStringLiteral("VERSION"))->AsString().trimmed();
            fechaBD = FormatoFecha(q.FieldByName(QStringLiteral("FECHA"))->AsDateTime());
        }
        q.Close();
        tr.Commit();
        motor = DMMain->DataBase.ServerVersion();
        conexiones = QString::number(DMMain->DataBase.UserNames().size());
    }
    auto* imagen = new QLabel;
    imagen->setPixmap(ImagenPrograma(72));
    auto* nombre = new QLabel(QStringLiteral("QuorumDesk"));
    QFont grande = nombre->font();
    grande.setPointSize(18);
    grande.setBold(true);
    nombre->setFont(grande);
    auto* cabecera = new QVBoxLayout;
    cabecera->addWidget(nombre);
    cabecera->addWidget(new QLabel(QStringLiteral("Programa para la gestión de juntas")));
    const auto version = VersionFichero(QCoreApplication::applicationFilePath());
    cabecera->addWidget(new QLabel(version ? TextoVersion(*version) : QString()));
    auto* arriba = new QHBoxLayout;
    arriba->addWidget(imagen);
    arriba->addLayout(cabecera, 1);

    auto* datos = new QFormLayout;
    auto fila = [&](const QString& etiqueta, const QString& valor, const char* nombreObjeto) {
        auto* l = new QLabel(valor);
        l->setObjectName(QString::fromLatin1(nombreObjeto));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        datos->addRow(etiqueta, l);
    };
    fila(QStringLiteral("Base de datos"), DMMain->DataBase.DBName(), "LbBaseDatos");
    fila(QStringLiteral("Versión Base de Datos"), versionBD, "LbVersionBD");
    fila(QStringLiteral("Fecha actualización"), fechaBD, "LbFechaBD");
    fila(QStringLiteral("Motor SQL"), motor, "LbMotor");
    auto* sistema = new QLabel(QStringLiteral("Sistema Operativo: ") + NombreSistemaOperativo());
    sistema->setObjectName(QStringLiteral("LbSistema"));
    auto* activas = new QLabel(QStringLiteral("Conexiones activas: ") + conexiones);
    activas->setObjectName(QStringLiteral("LbConexiones"));
    auto* aceptar = new QPushButton(QStringLiteral("&Aceptar"));
    aceptar->setDefault(true);
    connect(aceptar, &QPushButton::clicked, this, &QDialog::accept);
    auto* capa = new QVBoxLayout(this);
    capa->addLayout(arriba);
    capa->addSpacing(8);
    capa->addLayout(datos);
    capa->addWidget(sistema);
    capa->addWidget(activas);
    capa->addWidget(aceptar, 0, Qt::AlignRight);
    CentraEnPantalla(this);
}
