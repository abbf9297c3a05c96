#include "protocol/datafile.h"

#include <QFile>
#include <QTextStream>

bool DataFile::read(const QString &path, const LineReader &reader, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString problem = reader(line);
        if (!problem.isEmpty()) {
            *error = QStringLiteral("%1:%2: %3").arg(path).arg(lineNumber).arg(problem);
            return false;
        }
    }
    return true;
}
