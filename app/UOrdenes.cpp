#include "UOrdenes.h"
#include "UFUsuario.h"
#include "UFormGest.h"

#include <QHash>

namespace {
QHash<QString, TAbreOrden>& Ordenes()
{
    static QHash<QString, TAbreOrden> ordenes;
    return ordenes;
}
} // namespace

void RegistraOrden(const QString& titulo, TAbreOrden abre)
{
    Ordenes().insert(titulo, std::move(abre));
}

TAbreOrden OrdenRegistrada(const QString& titulo)
{
    return Ordenes().value(titulo);
}

void RegistraOrdenesAplicacion()
{
    RegistraOrden(QStringLiteral("Usuarios"), [](QAction* a) { AbreVentana<TFUsuario>(a); });
}
