#include "FIBError.h"

#include <algorithm>
#include <ibase.h>

EFIBError::EFIBError(const QString& message, long sqlCode, long iscCode, std::vector<long> codes)
    : std::runtime_error(message.toStdString()), sqlCode_(sqlCode), iscCode_(iscCode), codes_(std::move(codes))
{
    if (codes_.empty() && iscCode_ != 0)
        codes_.push_back(iscCode_);
}

bool EFIBError::HasCode(long code) const
{
    return std::find(codes_.begin(), codes_.end(), code) != codes_.end();
}

bool EFIBError::KeyTaken() const
{
    for (long code : {isc_unique_key_violation, isc_no_dup, isc_lock_conflict, isc_update_conflict, isc_deadlock})
        if (HasCode(code))
            return true;
    return false;
}

bool EFIBError::ConnectionLost() const
{
    for (long code : {isc_network_error, isc_net_read_err, isc_net_write_err, isc_lost_db_connection,
                      isc_conn_lost, isc_shutdown, isc_att_shutdown})
        if (HasCode(code))
            return true;
    return false;
}

bool EFIBError::HeldByAnotherProgram() const
{
    return HasCode(isc_already_opened);
}

bool EFIBError::LoginRefused() const { return HasCode(isc_login); }

QString EFIBError::Explanation() const
{
    if (HasCode(isc_except))
        return {}; // the database's own rule says it in its message
    if (HeldByAnotherProgram())
        return QStringLiteral("La base de datos ya la tiene abierta otro programa de este equipo. El motor "
                              "integrado solo deja abrir el fichero a un programa a la vez: cierre el otro "
                              "programa o, para trabajar desde varios puestos, instale el servidor Firebird "
                              "(véase «Varios puestos» en la guía).");
    if (LoginRefused())
        return QStringLiteral("El servidor no acepta el usuario o la clave: la clave no es válida para ese "
                              "usuario, o el usuario no existe en el servidor.");
    if (ConnectionLost())
        return QStringLiteral("Se ha perdido la conexión con la base de datos: el servidor no responde o se ha "
                              "parado. Compruebe la red y el servidor.");
    if (HasCode(isc_unique_key_violation) || HasCode(isc_no_dup))
        return QStringLiteral("Ya existe un registro con ese código. Escriba otro código, o deje 0 para que "
                              "el programa le dé el siguiente.");
    if (HasCode(isc_lock_conflict) || HasCode(isc_update_conflict) || HasCode(isc_deadlock))
        return QStringLiteral("Otro usuario está modificando este registro en este momento. Espere a que "
                              "termine y vuelva a intentarlo.");
    if (HasCode(isc_string_truncation))
        return QStringLiteral("Un dato es demasiado largo para su campo. Acórtelo y vuelva a grabar.");
    if (HasCode(isc_convert_error) || HasCode(isc_arith_except))
        return QStringLiteral("Un dato no es del tipo que admite su campo (por ejemplo, letras donde va un "
                              "número, o un número demasiado grande). Corríjalo y vuelva a grabar.");
    return {};
}
