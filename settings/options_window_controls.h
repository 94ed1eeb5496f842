// The options window's controls: three tabs of check boxes, text boxes and buttons.
#pragma once

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

struct OptionsWindowControls {
    QTabWidget* SSTab1;
    QCheckBox* Check1;
    QCheckBox* Check2;
    QCheckBox* Check3;
    QCheckBox* Check4;
    QCheckBox* Check5;
    QLineEdit* Text1;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QLineEdit* Text5;
    QLineEdit* Text6;
    QLineEdit* Text7;
    QLineEdit* Text8;
    QLineEdit* Text9;
    QLineEdit* webHost;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command4;
};

// Builds the tabs inside the given widget, every control named by its object name.
OptionsWindowControls buildOptionsWindowControls(QWidget& parent);
