// QSettings in the user's configuration: DARavev/DARavev.ini, or the registry on Windows.
#include "platform/qt_settings_store.h"

namespace {

const QString kSection = QStringLiteral("startup");

} // namespace

QtSettingsStore::QtSettingsStore()
#ifdef Q_OS_WIN
    : settings_(std::make_unique<QSettings>(
          QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\DARavev"),
          QSettings::NativeFormat))
#else
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("DARavev"), QStringLiteral("DARavev")))
#endif
{
    settings_->beginGroup(kSection);
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
}
