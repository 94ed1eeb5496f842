// QMessageBox opened with open(), and the application's override cursor.
#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <memory>

namespace {

const QString kTitle = QStringLiteral("KVO-7730");

QMessageBox* openBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const std::string& text,
                     QMessageBox::StandardButtons buttons)
{
    auto* box = new QMessageBox(icon, title, QString::fromStdString(text), buttons, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

} // namespace

QtDialogs::QtDialogs(QWidget* parent)
    : parent_(parent)
{
}

void QtDialogs::message(const std::string& text)
{
    openBox(parent_, QMessageBox::Information, kTitle, text, QMessageBox::Ok)->open();
}

void QtDialogs::ask(const Question& question, std::function<void(bool yes)> answered)
{
    const QString title = question.title.empty() ? kTitle : QString::fromStdString(question.title);
    QMessageBox* box =
        openBox(parent_, QMessageBox::Question, title, question.text, QMessageBox::Yes | QMessageBox::No);
    // Whichever comes first answers: the button, or the box going away with its window.
    auto once = std::make_shared<std::function<void(bool)>>(std::move(answered));
    const auto answer = [once](bool yes) {
        if (const auto callback = std::exchange(*once, nullptr))
            callback(yes);
    };
    QObject::connect(box, &QMessageBox::finished, box,
                     [answer](int result) { answer(result == QMessageBox::Yes); });
    QObject::connect(box, &QObject::destroyed, [answer] { answer(false); });
    box->open();
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
