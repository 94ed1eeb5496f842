// The posting log shown in ListView1: newest row first, at most 1000 rows.
#pragma once

#include "web/log_row.h"

#include <QAbstractTableModel>
#include <QString>
#include <deque>

class PostLog : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kMaxRows = 1000;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Puts the row at the top; the oldest row goes when the log would exceed kMaxRows.
    void addRow(const LogRowTexts& texts);
    void clear();

private:
    using Row = std::array<QString, kLogColumns.size()>;
    std::deque<Row> rows_;
};
