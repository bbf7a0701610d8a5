#include "FIBError.h"

EFIBError::EFIBError(const QString& message, long sqlCode, long iscCode)
    : std::runtime_error(message.toStdString()), sqlCode_(sqlCode), iscCode_(iscCode)
{
}
