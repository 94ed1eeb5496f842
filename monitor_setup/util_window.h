// KVO_Util, the monitor setup window: CT, PT, storage interval, firmware and device ID
// boxes with their accept buttons, the utility commands and the status list. Its
// handlers check the boxes and hand typed values to the monitor's setup; the actions
// run on the monitor, so closing the window leaves them to end on their own.
#pragma once

#include "mainwindow/list_widget_status_list.h"

#include <QWidget>
#include <vector>

class MonitorSetup;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
struct MonitorSettings;

struct UtilWindowContext {
    MonitorSetup& setup;
    char decimalSymbol = '.';
};

class KVO_Util : public QWidget {
    Q_OBJECT

public:
    explicit KVO_Util(const UtilWindowContext& context, QWidget* parent = nullptr);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click() { close(); }
    void Command6_Click();
    void Command7_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Command15_Click();
    void Command16_Click();

signals:
    // The window is closing; it is deleted afterwards.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void buildControls();
    // The buttons that talk to the monitor wait while it is busy with a command.
    void showMonitorBusy(bool busy);
    void showSettings(const MonitorSettings& settings);

    UtilWindowContext context_;
    QListWidget* statusListWidget_; // List1
    ListWidgetStatusList statusList_;
    std::vector<QPushButton*> monitorButtons_;

    QPlainTextEdit* typicalValuesBox_ = nullptr; // Text12
    QLineEdit* ch1TypeBox_ = nullptr;            // Text1
    QLineEdit* ch1RangeBox_ = nullptr;           // Text2
    QLineEdit* ch2TypeBox_ = nullptr;            // Text3
    QLineEdit* ch2RangeBox_ = nullptr;           // Text4
    QLineEdit* intervalBox_ = nullptr;           // Text5
    QLineEdit* ptTypeBox_ = nullptr;             // Text6
    QLineEdit* ptRangeBox_ = nullptr;            // Text7
    QLineEdit* firmwareBox_ = nullptr;           // Text8
    QLineEdit* deviceIdBox_ = nullptr;           // Text9
    QLineEdit* responseBox_ = nullptr;           // Text10
};
