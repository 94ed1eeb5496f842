// Number symbols read from QLocale.
#include "platform/system_locale.h"

#include <QLocale>

namespace {

char singleByte(const QString& symbol, char fallback)
{
    return symbol.size() == 1 && symbol[0].unicode() < 128 ? symbol[0].toLatin1() : fallback;
}

} // namespace

NumberSymbols systemNumberSymbols()
{
    const QLocale locale = QLocale::system();
    // Locales that group with a (narrow) no-break space get a plain blank.
    return {singleByte(locale.decimalPoint(), '.'), singleByte(locale.groupSeparator(), ' ')};
}
