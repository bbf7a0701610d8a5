#pragma once
// The mail preparation window: shows the page "tmp.htm" of the program
// directory, opens a new message in the user's mail program addressed to the
// recipients with the community's name as subject and, a second later, puts
// the page on the clipboard so the user pastes it into the message body.
// Freed when closed: a caller that runs it modally leaves it alone afterwards.
#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;
class QTextBrowser;
class QTimer;

class TFWeb : public QDialog {
    Q_OBJECT
public:
    // `destinatarios`: addresses separated by "; ".
    explicit TFWeb(const QString& destinatarios, QWidget* parent = nullptr);

    // The new-message address: every non-empty address of the "; "-separated
    // list, percent-encoded and joined with ",", as blind copies (Bcc), and
    // the subject.
    static QUrl UrlCorreo(const QString& destinatarios, const QString& asunto);

    // Hands the new-message address to the mail program; the system's handler
    // of "mailto:" unless replaced. Returns whether it was handed over.
    std::function<bool(const QUrl&)> AbreCorreo;

    QTextBrowser* WBMain;
    QLabel* LbFin;
    QLabel* LbPegar;
    QPushButton* BtCerrar;
    QTimer* Timer1;

protected:
    bool event(QEvent* e) override;

private:
    void Timer1Timer();
    QString destinatarios_;
    QString pagina_;
    bool hayPagina_ = false;
    bool activada_ = false;
};
