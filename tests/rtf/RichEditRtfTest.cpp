// The rich-text editor driven like a user: typing, the formatting tool bar and
// its keys, and the RTF it loads and gives back.

#include "RichEditRtf.h"
#include "RtfReader.h"
#include "RtfTestUtil.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const QByteArray kSmall = R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0 Arial;}}\f0\fs24 Hola {\b mundo}\par})";

QString describeRtf(const QByteArray& rtf)
{
    QTextDocument doc;
    Rtf::read(rtf, doc);
    return RtfTest::describe(doc);
}

QAction* action(TRichEditRtf& w, const QString& tip)
{
    for (QAction* a : w.toolBar()->actions())
        if (a->toolTip().startsWith(tip))
            return a;
    ADD_FAILURE() << "no tool bar action " << tip.toStdString();
    return nullptr;
}

void click(TRichEditRtf& w, const QString& tip)
{
    QWidget* button = w.toolBar()->widgetForAction(action(w, tip));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

void typeText(QWidget* target, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

struct Shown {
    TRichEditRtf w;
    Shown()
    {
        w.resize(500, 300);
        w.show();
        QApplication::setActiveWindow(&w);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        w.editor()->setFocus();
    }
};

} // namespace

TEST(TRichEditRtf, GivesBackTheLoadedBytesUntilEdited)
{
    TRichEditRtf w;
    const QByteArray doc = RtfTest::dataFile(QStringLiteral("word-carta.rtf"));
    EXPECT_TRUE(w.setRtf(doc));
    EXPECT_TRUE(w.editor()->toPlainText().contains(QStringLiteral("Se convoca a los propietarios")));
    EXPECT_FALSE(w.isModified());
    EXPECT_EQ(w.rtf(), doc);
}

TEST(TRichEditRtf, TypingModifiesAndSavesAsRtf)
{
    Shown s;
    QSignalSpy modified(&s.w, &TRichEditRtf::modificationChanged);
    s.w.setRtf(kSmall);
    s.w.editor()->moveCursor(QTextCursor::End);
    typeText(s.w.editor(), QStringLiteral(" y más ñ"));
    EXPECT_TRUE(s.w.isModified());
    ASSERT_EQ(modified.count(), 1);
    EXPECT_TRUE(modified.at(0).at(0).toBool());
    EXPECT_EQ(describeRtf(s.w.rtf()).toStdString(), "P\n  \"Hola \" Arial 12.0\n  \"mundo y más ñ\" Arial 12.0 bold\n");
    s.w.setModified(false);
    EXPECT_EQ(modified.count(), 2);
}

TEST(TRichEditRtf, ToolBarFormatsTheSelection)
{
    Shown s;
    s.w.setRtf(kSmall);
    QTextCursor c = s.w.editor()->textCursor();
    c.setPosition(0);
    c.setPosition(4, QTextCursor::KeepAnchor); // "Hola"
    s.w.editor()->setTextCursor(c);
    click(s.w, QStringLiteral("Cursiva"));
    click(s.w, QStringLiteral("Subrayado"));
    QComboBox* size = s.w.toolBar()->findChild<QComboBox*>();
    ASSERT_NE(size, nullptr);
    size->setCurrentText(QStringLiteral("18"));
    QTest::keyClick(size, Qt::Key_Return);
    click(s.w, QStringLiteral("Centrar"));
    EXPECT_EQ(describeRtf(s.w.rtf()).toStdString(),
              "P center\n  \"Hola\" Arial 18.0 italic underline1\n  \" \" Arial 12.0\n  \"mundo\" Arial 12.0 bold\n");
}

TEST(TRichEditRtf, FormattingKeysAndToolBarState)
{
    Shown s;
    s.w.setRtf(kSmall);
    QAction* bold = action(s.w, QStringLiteral("Negrita"));
    s.w.editor()->moveCursor(QTextCursor::End);
    EXPECT_TRUE(bold->isChecked()) << "the cursor is in bold text";
    s.w.editor()->moveCursor(QTextCursor::Start);
    EXPECT_FALSE(bold->isChecked());
    QTest::keyClick(s.w.editor(), Qt::Key_N, Qt::ControlModifier); // Negrita
    typeText(s.w.editor(), QStringLiteral("¡"));
    EXPECT_TRUE(bold->isChecked());
    QTest::keyClick(s.w.editor(), Qt::Key_K, Qt::ControlModifier); // Cursiva
    typeText(s.w.editor(), QStringLiteral("Ya"));
    EXPECT_EQ(describeRtf(s.w.rtf()).toStdString(),
              "P\n  \"¡\" Arial 12.0 bold\n  \"Ya\" Arial 12.0 bold italic\n  \"Hola \" Arial 12.0\n"
              "  \"mundo\" Arial 12.0 bold\n");
}

TEST(TRichEditRtf, PlainTextBytesShowAsText)
{
    // Remarks written before they were RTF: UTF-8, or Windows-1252.
    TRichEditRtf w;
    EXPECT_TRUE(w.setRtf("Pe\xc3\xb1" "a\nsegunda l\xc3\xadnea"));
    EXPECT_EQ(w.editor()->toPlainText().toStdString(), "Peña\nsegunda línea");
    EXPECT_TRUE(w.setRtf("Pe\xf1" "a"));
    EXPECT_EQ(w.editor()->toPlainText().toStdString(), "Peña");
    EXPECT_EQ(w.rtf(), QByteArray("Pe\xf1" "a"));
    w.editor()->textCursor().insertText(QStringLiteral("!"));
    EXPECT_TRUE(Rtf::isRtf(w.rtf()));
}

TEST(TRichEditRtf, UnreadableRtfIsNeverOverwritten)
{
    Shown s;
    const QByteArray deep = "{\\rtf1 " + QByteArray(2000, '{') + "x}";
    EXPECT_FALSE(s.w.setRtf(deep));
    EXPECT_EQ(s.w.errorString().toStdString(), "El documento RTF anida más de 512 grupos.");
    EXPECT_EQ(s.w.editor()->placeholderText(), s.w.errorString());
    EXPECT_TRUE(s.w.editor()->isReadOnly());
    EXPECT_FALSE(s.w.toolBar()->isEnabled());
    typeText(s.w.editor(), QStringLiteral("borrado"));
    EXPECT_FALSE(s.w.isModified());
    EXPECT_EQ(s.w.rtf(), deep);

    // A readable document afterwards unlocks the editor again.
    EXPECT_TRUE(s.w.setRtf(kSmall));
    EXPECT_TRUE(s.w.errorString().isEmpty());
    EXPECT_FALSE(s.w.editor()->isReadOnly());
}

TEST(TRichEditRtf, ReadOnly)
{
    Shown s;
    s.w.setRtf(kSmall);
    s.w.setReadOnly(true);
    EXPECT_FALSE(s.w.toolBar()->isEnabled());
    s.w.editor()->moveCursor(QTextCursor::End);
    typeText(s.w.editor(), QStringLiteral("x"));
    EXPECT_FALSE(s.w.isModified());
    s.w.setReadOnly(false);
    typeText(s.w.editor(), QStringLiteral("x"));
    EXPECT_TRUE(s.w.isModified());
}
