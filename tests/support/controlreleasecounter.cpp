#include "support/controlreleasecounter.h"

#include <QKeyEvent>

bool ControlReleaseCounter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Control)
        ++releases;
    return QObject::eventFilter(watched, event);
}
