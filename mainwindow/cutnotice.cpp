#include "mainwindow/cutnotice.h"

#include "mainwindow/displaytexttable.h"

#include <QStatusBar>

void CutNotice::show(QStatusBar *statusBar, const DisplayTextTable &texts, int translated,
                     int total)
{
    if (translated >= total) {
        statusBar->clearMessage();
        return;
    }
    statusBar->showMessage(
        texts
            .displayText(QStringLiteral("cut_notice"),
                         QStringLiteral("Only the first %1 of %2 characters were translated."))
            .arg(translated)
            .arg(total));
}
