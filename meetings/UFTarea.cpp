#include "UFTarea.h"
#include "DbComboBoxValue.h"
#include "UDBControles.h"
#include "UDMConvoca.h"
#include "UFIBDBEditfind.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>

TFTarea::TFTarea(TDMConvoca& dm, QWidget* parent)
    : TFGestionHalvenbook(dm.QTarea, &dm.DsTarea, parent ? parent : QApplication::activeWindow())
{
    setObjectName(QStringLiteral("FTarea"));
    setWindowTitle(QStringLiteral("Creación tarea en Halvenbook"));
    auto* campos = new QFormLayout;

    DBEFecha = Texto(QStringLiteral("DBEFecha"), QStringLiteral("FECHA"), 19);
    campos->addRow(QStringLiteral("Inicio llamada"), DBEFecha);
    DBEFin = Texto(QStringLiteral("DBEFin"), QStringLiteral("FIN"), 19);
    campos->addRow(QStringLiteral("Fin llamada"), DBEFin);
    DBEDuracion = Texto(QStringLiteral("DBEDuracion"), QStringLiteral("DURACION"), 8);
    campos->addRow(QStringLiteral("Duración"), DBEDuracion);

    DBCTipo2 = new TDBComboBoxValue;
    DBCTipo2->setObjectName(QStringLiteral("DBCTipo2"));
    DBCTipo2->SetItems({QStringLiteral("Ha llamado"), QStringLiteral("Ha venido")});
    DBCTipo2->SetValues({QStringLiteral("0"), QStringLiteral("1")});
    DBCTipo2->SetDataSource(Fuente());
    DBCTipo2->SetDataField(QStringLiteral("TIPO2"));
    auto* tipo = new QHBoxLayout;
    tipo->addWidget(DBCTipo2);
    tipo->addStretch(1);
    campos->addRow(QString(), tipo);

    DBEOrigen = Texto(QStringLiteral("DBEOrigen"), QStringLiteral("ORIGENNOMBRE"), 30);
    DBETelefono = Texto(QStringLiteral("DBETelefono"), QStringLiteral("TELEFONO"), 15);
    DBEOrigen->setPlaceholderText(QStringLiteral("Nombre"));
    DBETelefono->setPlaceholderText(QStringLiteral("Teléfono"));
    auto* origen = new QHBoxLayout;
    origen->addWidget(DBEOrigen, 1);
    origen->addWidget(DBETelefono);
    campos->addRow(QStringLiteral("Origen"), origen);

    QHBoxLayout* fila = nullptr;
    DBEComunidad = Busqueda(QStringLiteral("DBEComunidad"), QStringLiteral("COMUNIDAD"), QStringLiteral("SYS_COMUNIDAD"),
                            QStringLiteral("COM_DES"), fila);
    campos->addRow(QStringLiteral("Comunidad"), fila);

    DBMAsunto = Memo(QStringLiteral("DBMAsunto"), QStringLiteral("ASUNTO"));
    campos->addRow(QStringLiteral("Tarea a realizar"), DBMAsunto);

    DBEDestinatario = Busqueda(QStringLiteral("DBEDestinatario"), QStringLiteral("DESTINATARIO"),
                               QStringLiteral("SYS_USUARIO"), QStringLiteral("DESTINATARIO_DES"), fila);
    campos->addRow(QStringLiteral("Destinatario"), fila);
    DBEAtendido = Busqueda(QStringLiteral("DBEAtendido"), QStringLiteral("ATENDIDO"), QStringLiteral("SYS_USUARIO"),
                           QStringLiteral("ATENDIDO_DES"), fila);
    campos->addRow(QStringLiteral("Atendido por"), fila);

    Termina(campos, 560, 440);
    // The caller's name is what is typed first.
    DBEOrigen->setFocus();
}
