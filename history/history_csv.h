// The history as CSV for other programs: a header line, ISO 8601 times, "." decimals
// whatever the user's locale, written to a temporary file that replaces the target
// only once complete.
#pragma once

#include "history/history_rows.h"

#include <QString>
#include <string>

class HistoryStore;

enum class HistoryRows { Minutes, Packets };

std::string csvHeader(HistoryRows rows);
std::string csvLine(const MinuteRow& row);
std::string csvLine(const PacketRow& row);

// The rows with from <= time < to. Empty on success, else why the file was not written.
std::string exportHistoryCsv(HistoryStore& store, HistoryRows rows, EpochSeconds from, EpochSeconds to,
                             const QString& path);
