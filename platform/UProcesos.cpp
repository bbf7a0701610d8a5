#include "UProcesos.h"
#include "Platform.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

void EsperaPintando(int ms)
{
    QEventLoop bucle;
    QTimer::singleShot(ms, &bucle, &QEventLoop::quit);
    bucle.exec(QEventLoop::ExcludeUserInputEvents);
}

THandleProceso EjecutaPrograma(const QString& comando, const QString& parametros, bool oculto,
                               const QString& carpeta)
{
    const auto pid = plataforma::Lanza(comando, QProcess::splitCommand(parametros), oculto, carpeta);
    if (!pid)
        throw EUtilesError(QStringLiteral("No se puede actualizar"));
    return *pid;
}

int EsperaPrograma(THandleProceso proceso, const QString& nombre)
{
    if (nombre.isEmpty()) {
        std::optional<int> estado;
        while (!(estado = plataforma::Termino(proceso)))
            EsperaPintando(50);
        return *estado;
    }
    EsperaPintando(5000);
    while (ProcesoActivo(nombre))
        EsperaPintando(250);
    const std::optional<int> estado = plataforma::Termino(proceso);
    if (!estado)
        plataforma::Abandona(proceso);
    return estado.value_or(-1);
}

void EjecutaAlTerminar(const QString& programa, qint64 proceso)
{
    const QString espera = QStringLiteral("while kill -0 \"$0\" 2>/dev/null; do sleep 0.2; done; exec \"$1\"");
    const auto pid = plataforma::Lanza(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), espera,
                                       QString::number(proceso), programa}, true);
    if (!pid)
        throw EUtilesError(QStringLiteral("No se puede actualizar"));
    plataforma::Abandona(*pid);
}

bool ProcesoActivo(const QString& nombre)
{
    return plataforma::HayProceso(nombre);
}
