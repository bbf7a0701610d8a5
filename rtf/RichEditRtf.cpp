#include "RichEditRtf.h"

#include "RtfReader.h"
#include "RtfWriter.h"

#include <QActionGroup>
#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QStringDecoder>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

QAction* addToggle(QToolBar* bar, const QString& glyph, const QString& tip, const QKeySequence& keys,
                   void (*style)(QFont&))
{
    QAction* a = bar->addAction(glyph);
    a->setToolTip(keys.isEmpty() ? tip : QStringLiteral("%1 (%2)").arg(tip, keys.toString(QKeySequence::NativeText)));
    a->setCheckable(true);
    a->setShortcut(keys);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QFont f = a->font();
    style(f);
    a->setFont(f);
    return a;
}

QString plainText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp1252("windows-1252");
    return cp1252.isValid() ? cp1252.decode(bytes) : QString::fromLatin1(bytes);
}

} // namespace

TRichEditRtf::TRichEditRtf(QWidget* parent) : QWidget(parent)
{
    bar_ = new QToolBar(this);
    bar_->setIconSize(QSize(16, 16));
    edit_ = new QTextEdit(this);
    edit_->setAcceptRichText(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar_);
    layout->addWidget(edit_);
    setFocusProxy(edit_);

    // Ctrl+S, Ctrl+U and Ctrl+P move between records in every screen, so the
    // formatting keys are those of a Spanish word processor that stay free.
    bold_ = addToggle(bar_, QStringLiteral("N"), tr("Negrita"), QKeySequence(Qt::CTRL | Qt::Key_N),
                      [](QFont& f) { f.setBold(true); });
    italic_ = addToggle(bar_, QStringLiteral("K"), tr("Cursiva"), QKeySequence(Qt::CTRL | Qt::Key_K),
                        [](QFont& f) { f.setItalic(true); });
    underline_ = addToggle(bar_, QStringLiteral("S"), tr("Subrayado"),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [](QFont& f) { f.setUnderline(true); });
    addActions({bold_, italic_, underline_});
    connect(bold_, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat f;
        f.setFontWeight(on ? QFont::Bold : QFont::Normal);
        mergeFormat(f);
    });
    connect(italic_, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat f;
        f.setFontItalic(on);
        mergeFormat(f);
    });
    connect(underline_, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat f;
        f.setFontUnderline(on);
        mergeFormat(f);
    });

    bar_->addSeparator();
    size_ = new QComboBox(bar_);
    size_->setEditable(true);
    size_->setToolTip(tr("Tamaño de letra"));
    size_->setInsertPolicy(QComboBox::NoInsert);
    size_->lineEdit()->setValidator(new QIntValidator(1, 400, size_));
    for (int s : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 28, 36, 48, 72})
        size_->addItem(QString::number(s));
    bar_->addWidget(size_);
    connect(size_, &QComboBox::textActivated, this, [this](const QString& text) {
        const int points = text.toInt();
        if (points <= 0)
            return;
        QTextCharFormat f;
        f.setFontPointSize(points);
        mergeFormat(f);
    });

    bar_->addSeparator();
    alignGroup_ = new QActionGroup(this);
    auto addAlign = [this](const QString& glyph, const QString& tip, Qt::Alignment a) {
        QAction* act = bar_->addAction(glyph);
        act->setToolTip(tip);
        act->setCheckable(true);
        act->setData(int(a));
        alignGroup_->addAction(act);
        return act;
    };
    alignLeft_ = addAlign(QStringLiteral("⇤"), tr("Alinear a la izquierda"), Qt::AlignLeft);
    alignCenter_ = addAlign(QStringLiteral("↔"), tr("Centrar"), Qt::AlignHCenter);
    alignRight_ = addAlign(QStringLiteral("⇥"), tr("Alinear a la derecha"), Qt::AlignRight);
    alignJustify_ = addAlign(QStringLiteral("☰"), tr("Justificar"), Qt::AlignJustify);
    connect(alignGroup_, &QActionGroup::triggered, this, [this](QAction* a) {
        edit_->setAlignment(Qt::Alignment(a->data().toInt()));
        edit_->setFocus();
    });

    connect(edit_, &QTextEdit::currentCharFormatChanged, this, &TRichEditRtf::showFormat);
    connect(edit_, &QTextEdit::cursorPositionChanged, this, &TRichEditRtf::showAlignment);
    connect(edit_, &QTextEdit::textChanged, this, &TRichEditRtf::textChanged);
    connect(edit_->document(), &QTextDocument::modificationChanged, this, &TRichEditRtf::modificationChanged);
    showFormat(edit_->currentCharFormat());
    showAlignment();
}

bool TRichEditRtf::setRtf(const QByteArray& bytes)
{
    // The document is built apart and then handed to the editor: filling the
    // editor's own document would lay it out at every insertion (seconds for
    // a large letter instead of a tenth).
    auto* doc = new QTextDocument(this);
    doc->setDefaultFont(edit_->document()->defaultFont());
    doc->setUndoRedoEnabled(false);
    error_.clear();
    bool ok = true;
    if (!Rtf::isRtf(bytes)) {
        doc->setPlainText(plainText(bytes));
    } else {
        try {
            Rtf::read(bytes, *doc);
        } catch (const Rtf::ERtfError& e) {
            error_ = e.message();
            ok = false;
        }
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    original_ = bytes;

    const bool wasModified = isModified();
    {
        const QSignalBlocker block(edit_);
        edit_->setDocument(doc);
    }
    delete ownDocument_; // the editor deletes its first document itself
    ownDocument_ = doc;
    connect(doc, &QTextDocument::modificationChanged, this, &TRichEditRtf::modificationChanged);
    if (wasModified)
        emit modificationChanged(false);
    edit_->setPlaceholderText(error_);
    applyReadOnly();
    showFormat(edit_->currentCharFormat());
    showAlignment();
    emit textChanged();
    return ok;
}

QByteArray TRichEditRtf::rtf() const
{
    if (!edit_->document()->isModified())
        return original_;
    return Rtf::write(*edit_->document());
}

bool TRichEditRtf::isModified() const
{
    return edit_->document()->isModified();
}

void TRichEditRtf::setModified(bool modified)
{
    edit_->document()->setModified(modified);
}

void TRichEditRtf::setReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    applyReadOnly();
}

void TRichEditRtf::clear()
{
    setRtf(QByteArray());
}

void TRichEditRtf::applyReadOnly()
{
    // A document that could not be read must not be overwritten by an empty one.
    const bool locked = readOnly_ || !error_.isEmpty();
    edit_->setReadOnly(locked);
    bar_->setEnabled(!locked);
}

// The selection changes; without one, what is typed next.
void TRichEditRtf::mergeFormat(const QTextCharFormat& format)
{
    edit_->mergeCurrentCharFormat(format);
    edit_->setFocus();
}

void TRichEditRtf::showFormat(const QTextCharFormat& format)
{
    const QFont f = format.font().resolve(edit_->document()->defaultFont());
    bold_->setChecked(f.bold());
    italic_->setChecked(f.italic());
    underline_->setChecked(f.underline());
    const double points = f.pointSizeF();
    size_->setCurrentText(points > 0 ? QString::number(qRound(points)) : QString());
}

void TRichEditRtf::showAlignment()
{
    const Qt::Alignment a = edit_->alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        alignCenter_->setChecked(true);
    else if (a & (Qt::AlignRight | Qt::AlignTrailing))
        alignRight_->setChecked(true);
    else if (a & Qt::AlignJustify)
        alignJustify_->setChecked(true);
    else
        alignLeft_->setChecked(true);
}
