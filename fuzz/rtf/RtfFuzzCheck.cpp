#include "RtfFuzzCheck.h"

#include "RtfReader.h"
#include "RtfText.h"
#include "RtfWriter.h"

#include <QTextDocument>

namespace RtfFuzz {

QString checkInput(const QByteArray& input)
{
    QTextDocument doc;
    try {
        Rtf::read(input, doc);
    } catch (const Rtf::ERtfError&) {
        return QString(); // refused with a message: fine
    }
    const QByteArray written = Rtf::write(doc);
    QTextDocument again;
    try {
        Rtf::read(written, again);
    } catch (const Rtf::ERtfError& e) {
        return QStringLiteral("the written document cannot be read: ") + e.message();
    }
    if (again.toRawText() != doc.toRawText())
        return QStringLiteral("the written document reads as other text");
    int count = 0;
    const QByteArray merged = Rtf::replaceField(input, u"[a]", u"{Peña}\\", &count);
    if (count == 0 && merged != input)
        return QStringLiteral("a merge without the field changed the document");
    return QString();
}

} // namespace RtfFuzz
