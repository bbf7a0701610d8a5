#pragma once
#include <QApplication>
#include <QTranslator>
#include <exception>

// The application object. Qt does not carry exceptions through its event
// loop: every event is delivered inside a boundary that shows an error with
// its own text (the server's, for database errors) and goes on. A silent
// abort shows nothing.
class TAplicacion : public QApplication {
public:
    TAplicacion(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    QTranslator traductor_;
};

// What the general error message says: for the everyday database errors, a
// Spanish explanation first; then the error's own text.
QString TextoError(const std::exception& e);
// The general error message: the error's text in the platform message box;
// the program's own refusals (EAviso) as its warning, nothing for EAbort.
void MuestraError(const std::exception& e);
// After a lost connection to the database: asks whether to connect again and
// does it, as long as the user wants to try; true once connected again. The
// engine's text goes in the question's details.
bool OfreceReconexion(const QString& textoServidor = QString());
// Runs `f`, showing any error it raises; true when it ran without one.
template <typename F>
bool SinErrores(F&& f)
{
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        MuestraError(e);
    }
    return false;
}
