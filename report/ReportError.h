// The one exception type of the report engine. Its text is meant for the user
// (in Spanish, like every message of the program) and names the object, band
// or file at fault.
#pragma once

#include <QString>

#include <stdexcept>

namespace qdr {

class EReportError : public std::runtime_error {
public:
    explicit EReportError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message)
    {
    }
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace qdr
