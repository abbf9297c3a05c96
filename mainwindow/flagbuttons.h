#ifndef FLAGBUTTONS_H
#define FLAGBUTTONS_H

#include <QObject>
#include <QStringList>

class QButtonGroup;
class QWidget;

// The eleven flags that pick the display language, in its order: one is
// checked at a time, and the checked one stands larger than the rest.
class FlagButtons : public QObject
{
    Q_OBJECT

public:
    // The window's buttons named "pushButton_" and a display language's name.
    FlagButtons(QWidget *window, const QStringList &languageNames);

    void choose(int index);

signals:
    void clicked(int index);

private:
    QButtonGroup *group;
};

#endif
