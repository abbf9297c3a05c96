#ifndef FILEBYTES_H
#define FILEBYTES_H

#include <QByteArray>
#include <QString>

// Whole files as bytes, for tests that check exactly what was stored.
class FileBytes
{
public:
    // The file's bytes, or "<unreadable>", which no test expects as content.
    static QByteArray read(const QString &path);
    // Replaces the file's content; false unless every byte was written.
    static bool write(const QString &path, const QByteArray &bytes);
};

#endif
