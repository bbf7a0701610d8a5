#pragma once
#include <QString>
#include <stdexcept>
#include <vector>

// The one exception type of the data-access layer. what() is the server's own
// text, every line of its status vector, untranslated (UTF-8). The library's
// own refusals use fixed English messages and carry no codes.
class EFIBError : public std::runtime_error {
public:
    explicit EFIBError(const QString& message, long sqlCode = 0, long iscCode = 0, std::vector<long> codes = {});
    QString Message() const { return QString::fromUtf8(what()); }
    long SQLCode() const { return sqlCode_; }
    long IBErrorCode() const { return iscCode_; }
    // Whether the engine gave this error code anywhere in its status.
    bool HasCode(long code) const;
    // The everyday errors a user causes, said in Spanish with what to do (a
    // duplicate code, a row another seat is changing, a value too long or of
    // the wrong kind, a lost connection, a database file held by another
    // program); empty for any other error. The server's text follows it for
    // the expert.
    QString Explanation() const;
    // A lost connection to the database (the server stopped or the network failed).
    bool ConnectionLost() const;
    // The key being written is taken: by a row already there, or by one
    // another transaction is writing (the lock it meets).
    bool KeyTaken() const;
    // The database file is held by another program of this machine (the
    // embedded engine lets one program open a file at a time).
    bool HeldByAnotherProgram() const;
    // The server refused the user name or the password.
    bool LoginRefused() const;

private:
    long sqlCode_;
    long iscCode_;
    std::vector<long> codes_;
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
