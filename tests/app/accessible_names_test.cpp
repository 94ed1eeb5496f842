// Every window of the program, walked through the accessibility layer: a control that
// a screen reader would announce without a name fails the test.
#include "program_rig.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

// A control the user meets and works, not one that only shows or groups, nor one kept
// hidden. The parts inside a spin box, combo box or list speak through their owner,
// and a scroll area's bars through the area.
bool interactive(const QWidget& widget, const QWidget& window)
{
    if (!widget.isVisibleTo(&window))
        return false;
    if (qobject_cast<const QScrollBar*>(&widget) && widget.parentWidget() != nullptr
        && widget.parentWidget()->objectName().startsWith(QStringLiteral("qt_scrollarea")))
        return false;
    for (const QWidget* up = widget.parentWidget(); up != nullptr; up = up->parentWidget())
        if (qobject_cast<const QAbstractSpinBox*>(up) || qobject_cast<const QComboBox*>(up)
            || qobject_cast<const QAbstractItemView*>(up))
            return false;
    return qobject_cast<const QAbstractButton*>(&widget) || qobject_cast<const QLineEdit*>(&widget)
        || qobject_cast<const QAbstractSpinBox*>(&widget) || qobject_cast<const QComboBox*>(&widget)
        || qobject_cast<const QAbstractItemView*>(&widget) || qobject_cast<const QAbstractSlider*>(&widget)
        || qobject_cast<const QPlainTextEdit*>(&widget) || qobject_cast<const QTextEdit*>(&widget);
}

QStringList namelessControls(QWidget& window)
{
    QStringList nameless;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets) {
        if (!interactive(*widget, window))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (accessible == nullptr || accessible->text(QAccessible::Name).trimmed().isEmpty())
            nameless << window.objectName() + "/" + widget->objectName() + " (" + widget->metaObject()->className() + ")";
    }
    return nameless;
}

} // namespace

TEST(AccessibleNames, everyControlOfEveryWindowHasAName)
{
    ProgramRig rig;
    rig.store.values = {{"ZigbeeVersion", "8"}};
    rig.program.Form_Load();
    for (const char* menu : {"MnuOPEN", "MnuOptions", "MnuWritetoWeb", "MnuUtil", "MnuLiveReadings", "MnuExportHistory"})
        rig.window.menuAction(menu).trigger();

    QStringList windows;
    QStringList nameless;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        windows << window->objectName();
        nameless << namelessControls(*window);
    }
    windows.sort();
    EXPECT_EQ(windows, (QStringList{"COMpanel", "ExportHistory", "KVO_Util", "LiveReadings", "Main", "OptionsFrm", "WebFrm"}));
    EXPECT_TRUE(nameless.isEmpty()) << nameless.join("\n").toStdString();
}
