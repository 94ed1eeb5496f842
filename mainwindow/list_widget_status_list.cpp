// Status lines appended to a list widget, oldest dropped beyond the limit.
#include "mainwindow/list_widget_status_list.h"

ListWidgetStatusList::ListWidgetStatusList(QListWidget& list)
    : list_(list)
{
}

void ListWidgetStatusList::addLine(const std::string& line)
{
    list_.addItem(QString::fromStdString(line));
    while (list_.count() > kMaxLines)
        delete list_.takeItem(0);
    list_.scrollToBottom();
}

void ListWidgetStatusList::clear()
{
    list_.clear();
}
