#ifndef MESSAGELOG_H
#define MESSAGELOG_H

#include <QFile>
#include <QString>

// One line per received message: ISO timestamp, client address:port and the
// text with control characters escaped, flushed at once so that whoever
// watches the file sees each message as soon as it has arrived.
class MessageLog
{
public:
    // Appends to the file; false (with *error set) when it cannot be opened.
    bool open(const QString &path, QString *error);

    void record(const QString &peer, const QString &text);

    // Backslash, CR, LF and tab as \\, \r, \n, \t; other control characters
    // as \uXXXX, so that one message is always one line.
    static QString escape(const QString &text);

private:
    QFile file;
};

#endif
