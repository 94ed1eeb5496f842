// The options window's controls: six tabs of check boxes, text boxes and buttons.
#pragma once

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

// The MQTT tab: the boxes are named after their settings' keys.
struct MqttControls {
    QCheckBox* enableBox;
    QLineEdit* hostBox;
    QLineEdit* portBox;
    QCheckBox* tlsBox;
    QLineEdit* caFileBox;
    QLineEdit* userBox;
    QLineEdit* passwordBox;
    QLineEdit* topicBox;
    QCheckBox* discoveryBox;
    QPushButton* applyButton;
    // What "Apply" found wrong, or that the settings were saved.
    QLabel* message;
};

// The dashboard tab, named after its settings' keys likewise.
struct HttpControls {
    QCheckBox* enableBox;
    QLineEdit* portBox;
    QCheckBox* localOnlyBox;
    QPushButton* applyButton;
    QLabel* message;
};

// The InfluxDB tab, named after its settings' keys likewise.
struct InfluxControls {
    QCheckBox* enableBox;
    QLineEdit* urlBox;
    QComboBox* apiBox;
    QComboBox* resolutionBox;
    QGroupBox* version1Frame;
    QLineEdit* databaseBox;
    QLineEdit* userBox;
    QLineEdit* passwordBox;
    QGroupBox* version2Frame;
    QLineEdit* orgBox;
    QLineEdit* bucketBox;
    QLineEdit* tokenBox;
    QPushButton* applyButton;
    QLabel* message;
};

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
    MqttControls mqtt;
    HttpControls http;
    InfluxControls influx;
};

// Builds the tabs inside the given widget, every control named by its object name.
OptionsWindowControls buildOptionsWindowControls(QWidget& parent);
