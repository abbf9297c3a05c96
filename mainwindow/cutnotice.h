#ifndef CUTNOTICE_H
#define CUTNOTICE_H

class DisplayTextTable;
class QStatusBar;

// Tells the user in the status line when a text was longer than the server
// lets one translation take, and how much of it was translated.
class CutNotice
{
public:
    // Clears the line when nothing was cut.
    static void show(QStatusBar *statusBar, const DisplayTextTable &texts, int translated,
                     int total);
};

#endif
