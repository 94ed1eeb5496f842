// QMessageBox and the application's override cursor.
#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace {

const QString kTitle = QStringLiteral("KVO-7730");

} // namespace

QtDialogs::QtDialogs(QWidget* parent)
    : parent_(parent)
{
}

void QtDialogs::message(const std::string& text)
{
    QMessageBox::information(parent_, kTitle, QString::fromStdString(text));
}

bool QtDialogs::askYesNo(const std::string& text)
{
    return askYesNoTitled(kTitle.toStdString(), text);
}

bool QtDialogs::askYesNoTitled(const std::string& title, const std::string& text)
{
    return QMessageBox::question(parent_, QString::fromStdString(title), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void QtDialogs::setBusyPointer(bool busy)
{
    // The override cursor stacks; keep at most one hourglass on it.
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
