#ifndef LOGTHROTTLE_H
#define LOGTHROTTLE_H

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

// Log lines about connections and refusals at a bounded rate, however many
// clients come and go: within each interval the first line of each kind goes
// out at once, and the others of that kind are counted and summed up in one
// line when the interval ends.
class LogThrottle : public QObject
{
    Q_OBJECT

public:
    explicit LogThrottle(int intervalMs, QObject *parent = nullptr);
    ~LogThrottle() override;

    void note(const QString &kind, const QString &line);

private:
    void summarise();

    QTimer timer;
    // Kind -> lines held back in this interval.
    QHash<QString, int> held;
};

#endif
