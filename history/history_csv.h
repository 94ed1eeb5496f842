// The history as CSV for other programs: a header line, ISO 8601 times, "." decimals
// whatever the user's locale, written to a temporary file that replaces the target
// only once complete.
#pragma once

#include "history/history_rows.h"
#include "history/history_time.h"

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
// One formatter of times serves a run of lines quicker than one each.
std::string csvLine(const MinuteRow& row, const IsoTimeText& iso = IsoTimeText());
std::string csvLine(const PacketRow& row, const IsoTimeText& iso = IsoTimeText());

// The rows with from <= time < to. Empty on success, else why the file was not written.
std::string exportHistoryCsv(HistoryStore& store, HistoryRows rows, EpochSeconds from, EpochSeconds to,
                             const QString& path);
