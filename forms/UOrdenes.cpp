#include "UOrdenes.h"

#include <algorithm>

namespace {
QList<TOrden>& Ordenes()
{
    static QList<TOrden> ordenes;
    return ordenes;
}
} // namespace

void RegistraOrden(TOrden orden)
{
    QList<TOrden>& ordenes = Ordenes();
    auto igual = [&](const TOrden& o) { return o.Id == orden.Id; };
    ordenes.erase(std::remove_if(ordenes.begin(), ordenes.end(), igual), ordenes.end());
    ordenes.append(std::move(orden));
    std::stable_sort(ordenes.begin(), ordenes.end(), [](const TOrden& a, const TOrden& b) {
        return std::pair(a.Menu, a.Posicion) < std::pair(b.Menu, b.Posicion);
    });
}

QList<TOrden> OrdenesRegistradas()
{
    return Ordenes();
}

const TOrden* OrdenRegistrada(const QString& id)
{
    for (const TOrden& o : Ordenes())
        if (o.Id == id)
            return &o;
    return nullptr;
}
