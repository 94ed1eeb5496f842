// QSettings in the user's configuration: DARavev/DARavev.ini, or the registry on Windows.
#include "platform/qt_settings_store.h"

#include "platform/instance_name.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kSection = QStringLiteral("startup");

// QSettings says only "access error"; the file and its folder tell which of the
// usual causes it is.
std::string accessFailureReason(const QString& path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return "a folder has the file's name";
    if (file.exists())
        return file.isReadable() ? "the file may not be written" : "the file may not be read";
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists())
        return "its folder cannot be made";
    return "its folder may not be written";
}

// The default instance's store exactly where it has always been; a named instance's in a
// folder (or registry key) of its own below it.
std::unique_ptr<QSettings> openStore(const std::string& instance)
{
#ifdef Q_OS_WIN
    const std::string key = "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\DARavev";
    return std::make_unique<QSettings>(
        QString::fromStdString(instance.empty() ? key : key + "\\instances\\" + instance), QSettings::NativeFormat);
#else
    auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("DARavev"),
                                                QStringLiteral("DARavev"));
    if (instance.empty())
        return settings;
    const QFileInfo defaultFile(settings->fileName());
    const std::string folder = instanceFolder(defaultFile.absolutePath().toStdString(), instance);
    return std::make_unique<QSettings>(QString::fromStdString(folder) + '/' + defaultFile.fileName(),
                                       QSettings::IniFormat);
#endif
}

} // namespace

QtSettingsStore::QtSettingsStore(const std::string& instance)
    : settings_(openStore(instance))
{
    settings_->beginGroup(kSection);
}

std::string QtSettingsStore::location() const
{
    return QDir::toNativeSeparators(settings_->fileName()).toStdString();
}

std::string QtSettingsStore::read(const std::string& key, const std::string& defaultText) const
{
    const QVariant value = settings_->value(QString::fromStdString(key));
    return value.isValid() ? value.toString().toStdString() : defaultText;
}

void QtSettingsStore::write(const std::string& key, const std::string& text)
{
    settings_->setValue(QString::fromStdString(key), QString::fromStdString(text));
    // Every write reaches the disk at once: a counter must survive a killed program.
    settings_->sync();
    keepToOwner();
}

void QtSettingsStore::keepToOwner()
{
#ifndef Q_OS_WIN
    // The file may hold the broker's password; nobody but its owner has a use for it.
    constexpr QFile::Permissions kOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    QFile file(settings_->fileName());
    if (settings_->status() == QSettings::NoError && file.exists() && (file.permissions() & kOthers))
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
#endif
}

std::optional<StoreFailure> QtSettingsStore::failure() const
{
    switch (settings_->status()) {
    case QSettings::NoError:
        return std::nullopt;
    case QSettings::AccessError:
        return StoreFailure{QDir::toNativeSeparators(settings_->fileName()).toStdString(),
                            accessFailureReason(settings_->fileName())};
    case QSettings::FormatError:
        return StoreFailure{QDir::toNativeSeparators(settings_->fileName()).toStdString(),
                            "its content is not in the settings format"};
    }
    return std::nullopt;
}
