#include "FIBScript.h"
#include "FIBDatabase.h"
#include "FIBTransaction.h"

#include <QRegularExpression>

namespace {

// Returns the command word of a script command, or empty for a statement.
QString Command(const QString& stmt)
{
    static const QRegularExpression setTerm(QStringLiteral(R"(^\s*SET\s+TERM\s+(\S+)\s*$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString s = stmt.trimmed().toUpper();
    if (setTerm.match(stmt).hasMatch())
        return QStringLiteral("TERM");
    if (s.startsWith(QLatin1String("SET AUTODDL")) || s.startsWith(QLatin1String("SET SQL DIALECT")) ||
        s.startsWith(QLatin1String("SET NAMES")))
        return QStringLiteral("IGNORE");
    if (s == QLatin1String("COMMIT") || s == QLatin1String("COMMIT WORK"))
        return QStringLiteral("COMMIT");
    return QString();
}

bool IsDefinition(const QString& stmt)
{
    static const QRegularExpression ddl(
        QStringLiteral(R"(^\s*(CREATE|ALTER|DROP|RECREATE|DECLARE|GRANT|REVOKE|COMMENT|SET\s+GENERATOR|SET\s+STATISTICS)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    return ddl.match(stmt).hasMatch();
}

} // namespace

QStringList SplitScript(const QString& script)
{
    QStringList out;
    QString term = QStringLiteral(";");
    QString cur;
    const qsizetype n = script.size();
    qsizetype i = 0;
    auto flush = [&]() {
        const QString stmt = cur.trimmed();
        cur.clear();
        if (stmt.isEmpty())
            return;
        static const QRegularExpression setTerm(QStringLiteral(R"(^\s*SET\s+TERM\s+(\S+)\s*$)"),
                                                QRegularExpression::CaseInsensitiveOption);
        const auto m = setTerm.match(stmt);
        if (m.hasMatch()) {
            term = m.captured(1);
            return;
        }
        out << stmt;
    };
    while (i < n) {
        const QChar c = script[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (script[j] == c) {
                    if (j + 1 < n && script[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            cur += script.mid(i, std::min(j + 1, n) - i);
            i = j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && script[i + 1] == QLatin1Char('-')) {
            qsizetype j = script.indexOf(QLatin1Char('\n'), i);
            i = j < 0 ? n : j;
        } else if (c == QLatin1Char('/') && i + 1 < n && script[i + 1] == QLatin1Char('*')) {
            const qsizetype j = script.indexOf(QLatin1String("*/"), i + 2);
            i = j < 0 ? n : j + 2;
            cur += QLatin1Char(' ');
        } else if (QStringView(script).mid(i, term.size()) == term) {
            flush();
            i += term.size();
        } else {
            cur += c;
            ++i;
        }
    }
    flush();
    return out;
}

void ExecuteScript(TFIBDatabase& db, const QString& script)
{
    const QStringList statements = SplitScript(script);
    TFIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.SetTRParams({QStringLiteral("write"), QStringLiteral("concurrency"), QStringLiteral("wait")});
    tr.StartTransaction();
    for (const QString& stmt : statements) {
        const QString cmd = Command(stmt);
        if (cmd == QLatin1String("IGNORE"))
            continue;
        if (cmd == QLatin1String("COMMIT")) {
            tr.Commit();
            tr.StartTransaction();
            continue;
        }
        try {
            db.ExecuteImmediate(stmt, tr);
            if (IsDefinition(stmt))
                tr.CommitRetaining();
        } catch (const EFIBError& e) {
            throw EFIBError(e.Message() + QStringLiteral("\nStatement: ") + stmt.left(500), e.SQLCode(),
                            e.IBErrorCode());
        }
    }
    tr.Commit();
}
