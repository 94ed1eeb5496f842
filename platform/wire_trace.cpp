// The wire trace's category, its text, and its switch.
#include "platform/wire_trace.h"

Q_LOGGING_CATEGORY(kvoWire, "kvo.wire", QtWarningMsg)

QString wireText(std::string_view bytes)
{
    QString hex;
    QString printable;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!hex.isEmpty())
            hex += ' ';
        hex += QString::number(byte, 16).rightJustified(2, '0');
        printable += byte >= 0x20 && byte < 0x7f ? QChar(c) : QChar('.');
    }
    return hex + QStringLiteral("  ") + printable;
}

void enableWireTrace()
{
    QLoggingCategory::setFilterRules(QStringLiteral("kvo.wire.debug=true\nkvo.jobs.debug=true"));
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} %{category} %{message}"));
}
