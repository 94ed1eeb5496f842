// QSystemTrayIcon behind the TrayIcon interface.
#include "platform/qt_tray_icon.h"

QtTrayIcon::QtTrayIcon(const QIcon& icon)
    : icon_(icon)
{
    QObject::connect(&icon_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick && doubleClick_)
            doubleClick_();
    });
}

bool QtTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::setTip(const std::string& tip)
{
    icon_.setToolTip(QString::fromStdString(tip));
}

void QtTrayIcon::add()
{
    icon_.show();
}

void QtTrayIcon::remove()
{
    icon_.hide();
}

void QtTrayIcon::setDoubleClickHandler(std::function<void()> handler)
{
    doubleClick_ = std::move(handler);
}
