// Looks keys up in arbitrary tables. The first byte of the input gives the
// length of the key, the rest is the table, one line per LF. Checks: the
// fallback comes back exactly when no line has the key; a found value never
// holds a CR or LF; the first line with the key decides.
#include "mainwindow/displaytexttable.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), int(size - 1));
    const QString key = QString::fromUtf8(rest.left(data[0] % 16));
    QStringList lines = QString::fromUtf8(rest.mid(data[0] % 16)).split(QLatin1Char('\n'));
    DisplayTextTable table;
    table.setLines(lines);
    // The fallback holds a CR, which a found value never can.
    const QString fallback = QStringLiteral("\rfallback");
    const QString value = table.displayText(key, fallback);
    const bool found = std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
        return line.section(QLatin1Char('='), 0, 0) == key;
    });
    if (found ? value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'))
              : value != fallback)
        std::abort();
    // A changed copy of the key's line further down changes nothing.
    lines.append(key + QStringLiteral("=other"));
    table.setLines(lines);
    if (found && table.displayText(key, fallback) != value)
        std::abort();
    return 0;
}
