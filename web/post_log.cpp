// The posting log's rows as a table model.
#include "web/post_log.h"

int PostLog::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PostLog::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(kLogColumns.size());
}

QVariant PostLog::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return rows_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
}

QVariant PostLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0
        || section >= static_cast<int>(kLogColumns.size()))
        return {};
    const std::string_view title = kLogColumns[static_cast<std::size_t>(section)].title;
    return QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size()));
}

void PostLog::addRow(const LogRowTexts& texts)
{
    Row row;
    for (std::size_t column = 0; column < row.size(); ++column)
        row[column] = QString::fromStdString(texts[column]);
    beginInsertRows({}, 0, 0);
    rows_.push_front(std::move(row));
    endInsertRows();
    if (rows_.size() > kMaxRows) {
        beginRemoveRows({}, kMaxRows, kMaxRows);
        rows_.pop_back();
        endRemoveRows();
    }
}

void PostLog::clear()
{
    beginResetModel();
    rows_.clear();
    endResetModel();
}
