// Runs a text box's check when the user moves from it to another control.
#pragma once

#include <QObject>
#include <functional>
#include <utility>
#include <vector>

class QLineEdit;

class LostFocusWatcher : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void watch(QLineEdit& box, std::function<void()> check);

    // Puts the focus back into a box whose entry was refused. The box the focus
    // is taken from is not checked for it: the user did not leave it.
    void giveFocusBack(QLineEdit& box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::pair<QObject*, std::function<void()>>> checks_;
    bool returningFocus_ = false;
};
