#include "FIBService.h"
#include "FIBDatabase.h"
#include "FIBInternal.h"

#include <QFile>
#include <QRegularExpression>
#include <vector>

using fib::CheckStatus;

namespace {

static_assert(sizeof(isc_svc_handle) == sizeof(std::uint32_t), "handle size");

// Items of a service request carry a two-byte length.
void SpbString(QByteArray& spb, char item, const QString& value)
{
    const QByteArray bytes = value.toUtf8();
    if (bytes.size() > 0xFFFF)
        throw EFIBError(QStringLiteral("Service parameter too long"));
    spb.append(item);
    spb.append(static_cast<char>(bytes.size() & 0xFF));
    spb.append(static_cast<char>((bytes.size() >> 8) & 0xFF));
    spb.append(bytes);
}

void SpbInt(QByteArray& spb, char item, quint32 value)
{
    spb.append(item);
    for (int i = 0; i < 4; ++i)
        spb.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The value of a parameter line "name=value" (also "isc_dpb_name=value").
QString SpbParam(const QStringList& params, const QString& name)
{
    for (const QString& raw : params) {
        const qsizetype eq = raw.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        QString key = raw.left(eq).trimmed().toLower();
        if (key.startsWith(QLatin1String("isc_dpb_")))
            key = key.mid(8);
        if (key == name)
            return raw.mid(eq + 1).trimmed();
    }
    return {};
}

// The engine's report names each table as it goes.
QString ReportedTable(const QString& line)
{
    static const QRegularExpression re(QStringLiteral("(?:writing|restoring) data for table \"?([^\"\\s]+)\"?"));
    const QRegularExpressionMatch m = re.match(line);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The last line of a report that ran to its end.
bool ReportEnded(const QStringList& lines, const char* last)
{
    for (qsizetype i = lines.size() - 1; i >= 0 && i >= lines.size() - 3; --i)
        if (lines[i].contains(QLatin1String(last)))
            return true;
    return false;
}

// What the engine said beside its progress: the reason of a failure.
QString ReportComplaint(const QStringList& lines)
{
    QStringList out;
    for (const QString& l : lines)
        if (!l.startsWith(QLatin1String("gbak:")))
            out << l.trimmed();
    if (out.isEmpty())
        out = lines.mid(std::max<qsizetype>(0, lines.size() - 3));
    return out.join(QLatin1Char('\n'));
}

} // namespace

TFIBDatabaseLocation TFIBDatabaseLocation::Of(const QString& dbName)
{
    const qsizetype colon = dbName.indexOf(QLatin1Char(':'));
    // No server, or a drive letter ("C:\...").
    if (colon < 0 || (colon == 1 && dbName[0].isLetter()))
        return {QString(), dbName};
    return {dbName.left(colon), dbName.mid(colon + 1)};
}

TFIBService::TFIBService(const QString& server, const QStringList& params) : embedded_(server.isEmpty())
{
    QByteArray spb;
    spb.append(char(isc_spb_version));
    spb.append(char(isc_spb_current_version));
    for (const auto& [item, name] : {std::pair{char(isc_spb_user_name), QStringLiteral("user_name")},
                                     std::pair{char(isc_spb_password), QStringLiteral("password")}}) {
        const QByteArray value = SpbParam(params, name).toUtf8();
        if (value.isEmpty())
            continue;
        if (value.size() > 255)
            throw EFIBError(QStringLiteral("Service parameter too long"));
        spb.append(item);
        spb.append(static_cast<char>(value.size()));
        spb.append(value);
    }
    const QByteArray name = (embedded_ ? QString() : server + QLatin1Char(':')).toUtf8() + "service_mgr";
    ISC_STATUS_ARRAY st;
    isc_svc_handle h = 0;
    isc_service_attach(st, static_cast<unsigned short>(name.size()), name.constData(), &h,
                       static_cast<unsigned short>(spb.size()), spb.constData());
    CheckStatus(st);
    handle_ = h;
}

TFIBService::~TFIBService()
{
    ISC_STATUS_ARRAY st;
    isc_service_detach(st, &handle_);
}

void TFIBService::Start(const QByteArray& request)
{
    ISC_STATUS_ARRAY st;
    isc_service_start(st, &handle_, nullptr, static_cast<unsigned short>(request.size()), request.constData());
    CheckStatus(st);
}

void TFIBService::Backup(const QString& path, const QString& fbk, const TFIBServiceProgress& progress)
{
    // The embedded engine writes the file and reports each table; through a
    // server the file's bytes come over the connection, with no report.
    QFile out(fbk);
    if (!embedded_ && !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFIBError(QStringLiteral("Cannot write the backup file %1: %2").arg(fbk, out.errorString()));
    QByteArray request;
    request.append(char(isc_action_svc_backup));
    SpbString(request, isc_spb_dbname, path);
    SpbString(request, isc_spb_bkp_file, embedded_ ? fbk : QStringLiteral("stdout"));
    if (embedded_)
        request.append(char(isc_spb_verbose));
    Start(request);
    const QStringList lines = Run(progress, nullptr, embedded_ ? nullptr : &out);
    if (embedded_ && !ReportEnded(lines, "closing file, committing, and finishing"))
        throw EFIBError(ReportComplaint(lines));
    if (!embedded_ && !out.flush())
        throw EFIBError(QStringLiteral("Cannot write the backup file %1: %2").arg(fbk, out.errorString()));
}

void TFIBService::Restore(const QString& fbk, const QString& path, bool withIndexes, const TFIBServiceProgress& progress)
{
    QFile in(fbk);
    if (!embedded_ && !in.open(QIODevice::ReadOnly))
        throw EFIBError(QStringLiteral("Cannot read the backup file %1: %2").arg(fbk, in.errorString()));
    QByteArray request;
    request.append(char(isc_action_svc_restore));
    SpbString(request, isc_spb_bkp_file, embedded_ ? fbk : QStringLiteral("stdin"));
    SpbString(request, isc_spb_dbname, path);
    request.append(char(isc_spb_verbose));
    SpbInt(request, isc_spb_options, isc_spb_res_create | (withIndexes ? 0 : isc_spb_res_deactivate_idx));
    Start(request);
    const QStringList lines = Run(progress, embedded_ ? nullptr : &in, nullptr);
    // A file cut short ends the report without an error status.
    if (!ReportEnded(lines, "finishing, closing, and going home"))
        throw EFIBError(ReportComplaint(lines));
}

QStringList TFIBService::Run(const TFIBServiceProgress& progress, QFile* stdinFile, QFile* stdoutFile)
{
    QStringList lines;
    qint64 moved = 0;
    quint32 wanted = 0; // bytes the service asked for
    bool inputEnded = false;
    std::vector<char> result(65000);
    std::vector<char> chunk;
    for (;;) {
        // A one-second timeout keeps the caller's window painted while the engine works.
        QByteArray send;
        send.append(char(isc_info_svc_timeout));
        send.append(char(4));
        send.append(char(0));
        for (int i = 0; i < 4; ++i)
            send.append(static_cast<char>(i == 0 ? 1 : 0));
        // Asked for more after the file's end: the file was cut short.
        if (stdinFile && wanted > 0 && inputEnded)
            throw EFIBError(ReportComplaint(lines + QStringList{QStringLiteral("ERROR: Backup incomplete")}));
        if (stdinFile && wanted > 0) {
            chunk.resize(std::min<quint32>(wanted, 32768));
            const qint64 got = stdinFile->read(chunk.data(), static_cast<qint64>(chunk.size()));
            if (got < 0)
                throw EFIBError(QStringLiteral("Cannot read the backup file %1: %2")
                                    .arg(stdinFile->fileName(), stdinFile->errorString()));
            inputEnded = got == 0; // an empty line tells the service the file ended
            send.append(char(isc_info_svc_line));
            send.append(static_cast<char>(got & 0xFF));
            send.append(static_cast<char>((got >> 8) & 0xFF));
            send.append(chunk.data(), got);
            moved += got;
            if (progress.OnBytes && got > 0)
                progress.OnBytes(moved);
        }
        send.append(char(isc_info_end));
        QByteArray items;
        if (stdinFile)
            items.append(char(isc_info_svc_stdin));
        items.append(stdoutFile ? char(isc_info_svc_to_eof) : char(isc_info_svc_line));
        ISC_STATUS_ARRAY st;
        isc_service_query(st, &handle_, nullptr, static_cast<unsigned short>(send.size()), send.constData(),
                          static_cast<unsigned short>(items.size()), items.constData(),
                          static_cast<unsigned short>(result.size()), result.data());
        CheckStatus(st);
        bool more = false; // the service has more to say than it said this time
        bool gotData = false;
        wanted = 0;
        const char* p = result.data();
        const char* const end = p + result.size();
        while (p < end && static_cast<unsigned char>(*p) != isc_info_end) {
            const unsigned char item = static_cast<unsigned char>(*p++);
            if (item == isc_info_truncated || item == isc_info_data_not_ready || item == isc_info_svc_timeout) {
                more = true;
                continue;
            }
            if (item == isc_info_svc_stdin) {
                // A four-byte count, without a length before it.
                if (p + 4 > end)
                    break;
                wanted = static_cast<quint32>(isc_vax_integer(p, 4));
                p += 4;
                continue;
            }
            if (p + 2 > end)
                break;
            const int len = static_cast<unsigned short>(isc_vax_integer(p, 2));
            p += 2;
            if (p + len > end)
                break;
            if (item == isc_info_svc_to_eof && stdoutFile) {
                if (len > 0 && stdoutFile->write(p, len) != len)
                    throw EFIBError(QStringLiteral("Cannot write the backup file %1: %2")
                                        .arg(stdoutFile->fileName(), stdoutFile->errorString()));
                moved += len;
                gotData = len > 0;
                if (progress.OnBytes && len > 0)
                    progress.OnBytes(moved);
            } else if (item == isc_info_svc_line) {
                gotData = len > 0;
                if (len > 0) {
                    const QString line = QString::fromUtf8(p, len);
                    lines << line;
                    const QString table = ReportedTable(line);
                    if (!table.isEmpty() && progress.OnTable)
                        progress.OnTable(table);
                }
            }
            p += len;
        }
        if (progress.OnIdle)
            progress.OnIdle();
        if (!gotData && !more && wanted == 0)
            break;
    }
    return lines;
}

void BackupDatabase(const TFIBDatabase& db, const QString& fbk, const TFIBServiceProgress& progress)
{
    const TFIBDatabaseLocation where = TFIBDatabaseLocation::Of(db.DBName());
    TFIBService service(where.Server, db.DBParams());
    service.Backup(where.Path, fbk, progress);
}

void RestoreDatabase(const QString& fbk, const TFIBDatabase& target, bool withIndexes, const TFIBServiceProgress& progress)
{
    const TFIBDatabaseLocation where = TFIBDatabaseLocation::Of(target.DBName());
    TFIBService service(where.Server, target.DBParams());
    service.Restore(fbk, where.Path, withIndexes, progress);
}
