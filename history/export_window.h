// "Export History": a date range, minute or packet rows, and the file to write.
#pragma once

#include "history/history_rows.h"

#include <QDialog>

class Dialogs;
class HistoryStore;
class QDateTimeEdit;
class QLineEdit;
class QRadioButton;

class ExportWindow : public QDialog {
    Q_OBJECT

public:
    ExportWindow(HistoryStore& history, Dialogs& dialogs, QWidget* parent = nullptr);

    // The range back to its default, the last 24 hours up to now.
    void resetRange();
    // Writes the file; the outcome is said in a message box.
    void exportNow();

private:
    // "Browse...": a save dialog over this window; the file chosen goes to the File box.
    void browse();
    void fileChosen(const QString& path);

    HistoryStore& history_;
    Dialogs& dialogs_;
    QDateTimeEdit* fromBox_;
    QDateTimeEdit* toBox_;
    QRadioButton* minutesButton_;
    QRadioButton* packetsButton_;
    QLineEdit* fileBox_;
};
