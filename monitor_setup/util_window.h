// KVO_Util, the monitor setup window: CT, PT, storage interval, firmware and device ID
// boxes with their accept buttons, the utility commands and the status list. Its
// handlers read the boxes and call the setup logic.
#pragma once

#include "mainwindow/list_widget_status_list.h"
#include "monitor_setup/settings_reader.h"
#include "monitor_setup/settings_writer.h"
#include "monitor_setup/setup_exchange.h"
#include "monitor_setup/utility_commands.h"

#include <QWidget>
#include <functional>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// What the window needs besides its own list: the link's parts, and the clearing of
// the pre-reset values (which the monitor owns).
struct UtilWindowContext {
    std::function<SetupLink(StatusList& List1)> link;
    std::function<void()> clearPreResetValues;
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
    void Command10_Click() { utility_.Command10_Click(); }
    void Command11_Click();
    void Command15_Click() { utility_.Command15_Click(); }
    void Command16_Click() { utility_.Command16_Click(); }

signals:
    // The window is closing; it is deleted afterwards.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void buildControls();

    UtilWindowContext context_;
    QListWidget* statusListWidget_; // List1
    ListWidgetStatusList statusList_;
    SetupLink link_;
    SetupExchange exchange_;
    SettingsReader reader_;
    SettingsWriter writer_;
    UtilityCommands utility_;

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
