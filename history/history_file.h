// The SQLite file of the history: opened, checked, its tables made; a file that
// cannot be used is set aside under a new name, never deleted, and a new one begun.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <string>

class HistoryFile {
public:
    using Report = std::function<void(const std::string&)>;

    // The connection name must be unique among the open files of the process.
    HistoryFile(QString path, QString connectionName);
    ~HistoryFile();
    HistoryFile(const HistoryFile&) = delete;
    HistoryFile& operator=(const HistoryFile&) = delete;

    // False when no usable file could be had; every step that went wrong is reported.
    // A file set aside takes the stamp in its name.
    bool open(const std::string& stamp, const Report& report);
    bool isOpen() const { return database().isOpen(); }

    QSqlDatabase database() const { return QSqlDatabase::database(connection_, false); }
    const QString& path() const { return path_; }

    // The text of the last failure of the database, for a report.
    static std::string reason(const class QSqlError& error);

private:
    // Empty when the file is open and its tables stand; else why not.
    std::string tryOpen();
    // Checks the file and makes its tables; empty when all went well.
    static std::string prepare(QSqlDatabase& db);
    // Brings a file made by an earlier version up to today's columns, keeping every row.
    static std::string addMissingColumns(QSqlDatabase& db);
    void close();
    bool setAside(const std::string& stamp, const Report& report);

    QString path_;
    QString connection_;
};
