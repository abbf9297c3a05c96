#ifndef CONTROLRELEASECOUNTER_H
#define CONTROLRELEASECOUNTER_H

#include <QObject>

// Counts the releases of a Ctrl key that the toolkit delivers to the objects
// it is installed on as an event filter.
class ControlReleaseCounter : public QObject
{
public:
    int releases = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif
