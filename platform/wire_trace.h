// The wire trace: every byte sent to and received from the monitor, with times, under the
// logging category "kvo.wire" (and the exchange jobs under "kvo.jobs"). Off by default;
// when off, a trace point costs one flag test.
#pragma once

#include <QLoggingCategory>
#include <string_view>

Q_DECLARE_LOGGING_CATEGORY(kvoWire)

// The bytes as hex, with their printable characters after them: "54 4f 47  TOG".
QString wireText(std::string_view bytes);

// --trace: both categories on, each line with its time to the millisecond.
void enableWireTrace();
