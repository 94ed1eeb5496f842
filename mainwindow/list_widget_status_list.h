// A status list drawn by a list widget.
#pragma once

#include "platform/status_list.h"

#include <QListWidget>

class ListWidgetStatusList : public StatusList {
public:
    explicit ListWidgetStatusList(QListWidget& list);

    void addLine(const std::string& line) override;
    void clear() override;

    // The list keeps the newest lines only, so a program that runs for weeks does
    // not grow without bound.
    static constexpr int kMaxLines = 1000;

private:
    QListWidget& list_;
};
