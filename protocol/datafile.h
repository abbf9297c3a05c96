#ifndef DATAFILE_H
#define DATAFILE_H

#include <QString>

#include <functional>

// The programs' own data files: UTF-8 lines, with empty lines and lines
// starting with "#" passed over.
class DataFile
{
public:
    // Returns an empty text to go on, or what is wrong with the line.
    using LineReader = std::function<QString(const QString &line)>;

    // Hands every data line to `reader`. False, with *error naming the file
    // and line, when the file cannot be opened or a line is refused.
    static bool read(const QString &path, const LineReader &reader, QString *error);
};

#endif
