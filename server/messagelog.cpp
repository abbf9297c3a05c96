#include "server/messagelog.h"

#include <QDateTime>

bool MessageLog::open(const QString &path, QString *error)
{
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void MessageLog::record(const QString &peer, const QString &text)
{
    if (!file.isOpen())
        return;
    const QString line = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs) +
                         QLatin1Char(' ') + peer + QLatin1Char(' ') + escape(text) +
                         QLatin1Char('\n');
    file.write(line.toUtf8());
    file.flush();
}

QString MessageLog::escape(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            result += QLatin1String("\\\\");
            break;
        case '\n':
            result += QLatin1String("\\n");
            break;
        case '\r':
            result += QLatin1String("\\r");
            break;
        case '\t':
            result += QLatin1String("\\t");
            break;
        default:
            if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                c == QChar::ParagraphSeparator)
                result += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                result += c;
        }
    }
    return result;
}
