#pragma once
// A rich-text editor for the RTF remarks and notes kept in blob columns: a
// small formatting tool bar over a text area, loaded from and saved as RTF
// bytes. It knows nothing of databases; a data-aware control binds it to a
// field through setRtf, rtf and the modification signal.

#include <QByteArray>
#include <QWidget>

class QAction;
class QActionGroup;
class QComboBox;
class QTextCharFormat;
class QTextDocument;
class QTextEdit;
class QToolBar;

class TRichEditRtf : public QWidget {
    Q_OBJECT
public:
    explicit TRichEditRtf(QWidget* parent = nullptr);

    // Shows a document. Bytes that are not RTF (older plain-text remarks) are
    // shown as plain text. When RTF cannot be read the editor stays empty and
    // read-only, shows why, and returns false (errorString() keeps the text).
    bool setRtf(const QByteArray& bytes);

    // The bytes given to setRtf while the text is unchanged (a document is
    // stored back byte for byte), otherwise the edited document as RTF.
    QByteArray rtf() const;

    bool isModified() const;
    void setModified(bool modified);
    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly);
    void clear();
    QString errorString() const { return error_; }

    QTextEdit* editor() const { return edit_; }
    QToolBar* toolBar() const { return bar_; }

signals:
    void modificationChanged(bool modified);
    void textChanged();

private:
    void mergeFormat(const QTextCharFormat& format);
    void showFormat(const QTextCharFormat& format);
    void showAlignment();
    void applyReadOnly();

    QTextEdit* edit_;
    QToolBar* bar_;
    QAction* bold_;
    QAction* italic_;
    QAction* underline_;
    QComboBox* size_;
    QActionGroup* alignGroup_;
    QAction* alignLeft_;
    QAction* alignCenter_;
    QAction* alignRight_;
    QAction* alignJustify_;
    QByteArray original_;
    QString error_;
    bool readOnly_ = false;
    QTextDocument* ownDocument_ = nullptr; // the document of the last setRtf
};
