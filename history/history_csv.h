// The history as CSV for other programs: a header line, ISO 8601 times, "." decimals
// whatever the user's locale, written to a temporary file that replaces the target
// only once complete.
#pragma once

#include "history/history_rows.h"

#include <QString>
#include <array>
#include <span>
#include <string>
#include <string_view>

class HistoryStore;

// The names of a kind of row's columns, time first, as the CSV header and the JSON API give them.
std::span<const std::string_view> historyColumns(HistoryRows rows);
// A row's values after its time, in the columns' order.
std::array<double, 16> rowValues(const MinuteRow& row);
std::array<double, 15> rowValues(const PacketRow& row);

std::string csvHeader(HistoryRows rows);
std::string csvLine(const MinuteRow& row);
std::string csvLine(const PacketRow& row);

// The rows with from <= time < to. Empty on success, else why the file was not written.
std::string exportHistoryCsv(HistoryStore& store, HistoryRows rows, EpochSeconds from, EpochSeconds to,
                             const QString& path);
