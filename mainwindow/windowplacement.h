#ifndef WINDOWPLACEMENT_H
#define WINDOWPLACEMENT_H

#include <QString>

class QWidget;

// Where the window stood and how large it was, kept in a file between runs so
// that it comes back there; a screen that has gone or shrunk since puts it
// back on the screen it can be seen on.
class WindowPlacement
{
public:
    // False, leaving the window at its first size, without a usable file.
    static bool restore(QWidget *window, const QString &path);
    // Replaces the file whole or leaves it as it was.
    static bool save(const QWidget *window, const QString &path);
};

#endif
