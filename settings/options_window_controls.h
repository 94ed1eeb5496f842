// The options window's controls: three tabs of check boxes, text boxes and buttons.
#pragma once

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

struct OptionsWindowControls {
    QTabWidget* tabs;
    QCheckBox* listenAtStartBox;
    QCheckBox* openPortAtStartBox;
    QCheckBox* realTimeAtStartBox;
    QCheckBox* writeToWebAtStartBox;
    QCheckBox* triggerPushBox;
    QCheckBox* localOnlyBox;
    QCheckBox* readingsAtStartBox;
    QLineEdit* userBox;
    QLineEdit* intervalBox;
    QLineEdit* channel1ThresholdBox;
    QLineEdit* channel2ThresholdBox;
    QLineEdit* accountPageBox;
    QLineEdit* rateBox;
    QLineEdit* polarityResultBox;
    QLineEdit* polaritySecondResultBox;
    QLineEdit* webHost;
    QPushButton* doneButton;
    QPushButton* polarityTestButton;
    QPushButton* polarityDoneButton;
};

// Builds the tabs inside the given widget, every control named by its object name.
OptionsWindowControls buildOptionsWindowControls(QWidget& parent);
