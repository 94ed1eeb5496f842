// The export window: the range and kind of rows, the file chosen without a nested
// loop, and the export with its outcome in a message box.
#include "history/export_window.h"

#include "history/history_csv.h"
#include "history/history_store.h"
#include "platform/dialogs.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QDateTimeEdit* dateBox(const char* name)
{
    auto* box = new QDateTimeEdit;
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(QString::fromLatin1(name));
    box->setCalendarPopup(true);
    box->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    return box;
}

QRadioButton* radio(const char* name, const char* caption)
{
    auto* button = new QRadioButton(QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    return button;
}

} // namespace

ExportWindow::ExportWindow(HistoryStore& history, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      history_(history),
      dialogs_(dialogs),
      fromBox_(dateBox("From")),
      toBox_(dateBox("To")),
      minutesButton_(radio("MinuteRows", "&Minute rows (kept for good)")),
      packetsButton_(radio("PacketRows", "&Packet rows (the last 48 hours)")),
      fileBox_(new QLineEdit)
{
    setObjectName(QStringLiteral("ExportHistory"));
    setWindowTitle(QStringLiteral("Export History"));
    minutesButton_->setChecked(true);
    fileBox_->setObjectName(QStringLiteral("File"));
    fileBox_->setAccessibleName(QStringLiteral("File"));
    fileBox_->setText(QDir::home().filePath(QStringLiteral("kvo7730-history.csv")));
    // Wide enough for a path in the home folder to be read whole.
    fileBox_->setMinimumWidth(fileBox_->fontMetrics().averageCharWidth() * 40);
    auto* browseButton = new QPushButton(QStringLiteral("&Browse..."));
    browseButton->setObjectName(QStringLiteral("Browse"));
    browseButton->setAccessibleName(QStringLiteral("Browse"));
    connect(browseButton, &QPushButton::clicked, this, &ExportWindow::browse);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileBox_, 1);
    fileRow->addWidget(browseButton);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&From:"), fromBox_);
    form->addRow(QStringLiteral("&To:"), toBox_);
    form->addRow(QStringLiteral("Rows:"), minutesButton_);
    form->addRow(QString(), packetsButton_);
    // A row that holds a layout has no buddy of its own: the label names the box.
    auto* fileLabel = new QLabel(QStringLiteral("F&ile:"));
    fileLabel->setBuddy(fileBox_);
    form->addRow(fileLabel, fileRow);

    auto* buttons = new QDialogButtonBox;
    QPushButton* exportButton = buttons->addButton(QStringLiteral("&Export"), QDialogButtonBox::AcceptRole);
    exportButton->setObjectName(QStringLiteral("Export"));
    exportButton->setAccessibleName(QStringLiteral("Export"));
    QPushButton* cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    cancelButton->setAccessibleName(QStringLiteral("Cancel"));
    connect(exportButton, &QPushButton::clicked, this, &ExportWindow::exportNow);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resetRange();
}

void ExportWindow::resetRange()
{
    const QDateTime now = QDateTime::fromSecsSinceEpoch(history_.now());
    fromBox_->setDateTime(now.addDays(-1));
    toBox_->setDateTime(now);
}

void ExportWindow::browse()
{
    auto* dialog = new QFileDialog(this, QStringLiteral("Export History"), fileBox_->text(),
                                   QStringLiteral("CSV files (*.csv)"));
    dialog->setObjectName(QStringLiteral("ChooseFile"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // A file that exists is asked about here: the dialog's own question would wait in
    // an event loop of its own.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    connect(dialog, &QFileDialog::fileSelected, this, &ExportWindow::fileChosen);
    dialog->open();
}

void ExportWindow::fileChosen(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        fileBox_->setText(path);
        return;
    }
    // The answer may come once the window is gone.
    const QPointer<ExportWindow> self(this);
    dialogs_.ask({"The file " + path.toStdString() + " already exists. Do you want to replace it?"},
                 [self, path](bool yes) {
                     if (yes && self)
                         self->fileBox_->setText(path);
                 });
}

void ExportWindow::exportNow()
{
    const QString path = fileBox_->text().trimmed();
    if (path.isEmpty()) {
        dialogs_.message("Enter the name of the file to write.");
        return;
    }
    const HistoryRows rows = packetsButton_->isChecked() ? HistoryRows::Packets : HistoryRows::Minutes;
    const std::string failure =
        exportHistoryCsv(history_, rows, fromBox_->dateTime().toSecsSinceEpoch(), toBox_->dateTime().toSecsSinceEpoch() + 60, path);
    if (!failure.empty()) {
        dialogs_.message("The history could not be written to " + path.toStdString() + ": " + failure + ".");
        return;
    }
    dialogs_.message("The history was written to " + path.toStdString() + ".");
    accept();
}
