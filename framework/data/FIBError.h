#pragma once
#include <QString>
#include <stdexcept>

// The one exception type of the data-access layer. what() is the server's own
// text, every line of its status vector, untranslated (UTF-8). The library's
// own refusals use fixed English messages and carry no codes.
class EFIBError : public std::runtime_error {
public:
    explicit EFIBError(const QString& message, long sqlCode = 0, long iscCode = 0);
    QString Message() const { return QString::fromUtf8(what()); }
    long SQLCode() const { return sqlCode_; }
    long IBErrorCode() const { return iscCode_; }

private:
    long sqlCode_;
    long iscCode_;
};

// A silent abort: an event handler throws it to stop the operation in hand;
// the user-interface boundary shows nothing for it.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// The program's own refusal of an operation, with its message for the user
// (UTF-8): data modules raise it instead of showing anything, and the
// user-interface boundary shows it as the program's warning ("¡ Atención !").
class EAviso : public std::runtime_error {
public:
    explicit EAviso(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromUtf8(what()); }
};
