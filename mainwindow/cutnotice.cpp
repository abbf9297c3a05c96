#include "mainwindow/cutnotice.h"

#include "mainwindow/displaytexttable.h"

QString CutNotice::text(const DisplayTextTable &texts, int translated, int total)
{
    if (translated >= total)
        return QString();
    return texts
        .displayText(QStringLiteral("cut_notice"),
                     QStringLiteral("Only the first %1 of %2 characters were translated."))
        .arg(translated)
        .arg(total);
}
