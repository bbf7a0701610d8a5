#pragma once

#include <QString>

#include <stdexcept>

namespace Rtf {

// A document that cannot be read: not RTF, or beyond the reader's limits.
// what() is the message for the user, in UTF-8.
class ERtfError : public std::runtime_error {
public:
    explicit ERtfError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace Rtf
