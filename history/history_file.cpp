// WAL journal with normal synchronisation: a killed process loses at most the
// transaction in flight, and the file stays whole.
#include "history/history_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS minutes(time INTEGER PRIMARY KEY, packets INTEGER NOT NULL, volts REAL,"
    " watts1_avg REAL, watts1_min REAL, watts1_max REAL, watts2_avg REAL, watts2_min REAL, watts2_max REAL,"
    " energy_ws1 REAL, energy_ws2 REAL, kwh1 REAL, kwh2 REAL, imported_ws1 REAL, exported_ws1 REAL,"
    " imported_ws2 REAL, exported_ws2 REAL)",
    "CREATE TABLE IF NOT EXISTS packets(time INTEGER NOT NULL, volts REAL, watts1 REAL, watts2 REAL,"
    " amps1 REAL, amps2 REAL, pf1 REAL, pf2 REAL, energy_ws1 REAL, energy_ws2 REAL, kwh1 REAL, kwh2 REAL,"
    " imported_ws1 REAL, exported_ws1 REAL, imported_ws2 REAL, exported_ws2 REAL)",
    "CREATE INDEX IF NOT EXISTS packets_by_time ON packets(time)",
    // How far each uploader's destination has acknowledged the rows: everything before
    // sent_until is there.
    "CREATE TABLE IF NOT EXISTS upload_cursors(destination TEXT PRIMARY KEY, sent_until INTEGER NOT NULL)",
};

// Columns added since the first version; a file made before them gains them at open.
const char* const kAddedColumns[] = {"imported_ws1", "exported_ws1", "imported_ws2", "exported_ws2"};

// SQLite's companions of a WAL database belong to it and move with it.
const char* const kCompanionSuffixes[] = {"-wal", "-shm"};

std::string text(const QString& value)
{
    return value.toStdString();
}

} // namespace

HistoryFile::HistoryFile(QString path, QString connectionName)
    : path_(std::move(path)), connection_(std::move(connectionName))
{
}

HistoryFile::~HistoryFile()
{
    close();
}

std::string HistoryFile::reason(const QSqlError& error)
{
    const QString database = error.databaseText();
    return text(database.isEmpty() ? error.text() : database);
}

bool HistoryFile::open(const std::string& stamp, const Report& report)
{
    std::error_code failure;
    const std::filesystem::path folder = QFileInfo(path_).absolutePath().toStdString();
    std::filesystem::create_directories(folder, failure);
    if (failure) {
        report("The history cannot be kept: the folder " + folder.string() + " cannot be made (" + failure.message()
               + ").");
        return false;
    }
    const bool existed = QFile::exists(path_);
    std::string why = tryOpen();
    if (why.empty())
        return true;
    if (!existed) {
        report("The history cannot be kept in " + text(path_) + ": " + why + ".");
        return false;
    }
    report("The history file " + text(path_) + " cannot be used (" + why + ").");
    if (!setAside(stamp, report))
        return false;
    why = tryOpen();
    if (!why.empty())
        report("The history cannot be kept in " + text(path_) + ": " + why + ".");
    return why.empty();
}

std::string HistoryFile::tryOpen()
{
    std::string why;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db.setDatabaseName(path_);
        why = db.open() ? prepare(db) : reason(db.lastError());
    }
    // Closed once no handle on the connection is left, so that it can be removed.
    if (!why.empty())
        close();
    return why;
}

std::string HistoryFile::prepare(QSqlDatabase& db)
{
    QSqlQuery query(db);
    // quick_check reads every page once: a damaged file shows here, not at the first write.
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next())
        return reason(query.lastError());
    if (const QString result = query.value(0).toString(); result != QLatin1String("ok"))
        return text(result.simplified());
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return reason(query.lastError());
    for (const char* statement : kSchema) {
        if (!query.exec(QString::fromLatin1(statement)))
            return reason(query.lastError());
    }
    return addMissingColumns(db);
}

std::string HistoryFile::addMissingColumns(QSqlDatabase& db)
{
    QSqlQuery query(db);
    std::vector<QString> statements;
    for (const QString& table : {QStringLiteral("minutes"), QStringLiteral("packets")}) {
        if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table)))
            return reason(query.lastError());
        QStringList present;
        while (query.next())
            present << query.value(1).toString();
        for (const char* column : kAddedColumns) {
            if (!present.contains(QLatin1String(column)))
                statements.push_back(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 REAL").arg(table, QLatin1String(column)));
        }
    }
    if (statements.empty())
        return {};
    // All or nothing: a file is never left half migrated.
    if (!db.transaction())
        return reason(db.lastError());
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            const std::string why = reason(query.lastError());
            db.rollback();
            return why;
        }
    }
    return db.commit() ? std::string() : reason(db.lastError());
}

void HistoryFile::close()
{
    if (!QSqlDatabase::contains(connection_))
        return;
    database().close();
    QSqlDatabase::removeDatabase(connection_);
}

bool HistoryFile::setAside(const std::string& stamp, const Report& report)
{
    const QString aside = path_ + QStringLiteral(".damaged-") + QString::fromStdString(stamp);
    QFile file(path_);
    if (!file.rename(aside)) {
        report("The history file " + text(path_) + " cannot be set aside as " + text(aside) + " ("
               + text(file.errorString()) + "); no history is kept.");
        return false;
    }
    for (const char* suffix : kCompanionSuffixes)
        QFile::rename(path_ + QLatin1String(suffix), aside + QLatin1String(suffix));
    report("It is kept as " + text(aside) + " and a new history file is started.");
    return true;
}
