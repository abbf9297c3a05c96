#ifndef FLAGBUTTONS_H
#define FLAGBUTTONS_H

#include <QList>
#include <QObject>

class QAbstractButton;
class QButtonGroup;

// The eleven flags that pick the display language, in its order: one is
// checked at a time, and the checked one stands larger than the rest.
class FlagButtons : public QObject
{
    Q_OBJECT

public:
    FlagButtons(const QList<QAbstractButton *> &buttons, QObject *parent);

    void choose(int index);

signals:
    void clicked(int index);

private:
    QButtonGroup *group;
};

#endif
