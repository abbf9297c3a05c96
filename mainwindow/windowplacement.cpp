#include "mainwindow/windowplacement.h"

#include <QFile>
#include <QSaveFile>
#include <QWidget>

bool WindowPlacement::restore(QWidget *window, const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && window->restoreGeometry(file.readAll());
}

bool WindowPlacement::save(const QWidget *window, const QString &path)
{
    QSaveFile file(path);
    const QByteArray geometry = window->saveGeometry();
    if (!file.open(QIODevice::WriteOnly) || file.write(geometry) != geometry.size() ||
        !file.flush()) {
        return false;
    }
    return file.commit();
}
