#pragma once
#include <QString>
#include <stdexcept>

// A failure of an operation of the platform layer that is not a conversion (a
// program that cannot be started, a settings file that cannot be written).
// what() is the message for the user (UTF-8).
class EUtilesError : public std::runtime_error {
public:
    explicit EUtilesError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromUtf8(what()); }
};
