#ifndef CUTNOTICE_H
#define CUTNOTICE_H

#include <QString>

class DisplayTextTable;

// Tells the user in the status line when a text was longer than the server
// lets one translation take, and how much of it was translated.
class CutNotice
{
public:
    // Empty when nothing was cut.
    static QString text(const DisplayTextTable &texts, int translated, int total);
};

#endif
