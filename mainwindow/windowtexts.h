#ifndef WINDOWTEXTS_H
#define WINDOWTEXTS_H

#include <QString>

class DisplayTextTable;
class LanguageCatalogue;
class QWidget;

// Puts the display language's texts on the window: its title, the buttons'
// captions, the language names in both boxes, the Help menu, and a name and
// tool tip on every control for screen readers and hovering users (the
// flags, arrows and the play and Help buttons show only an image). A text
// the table lacks stays English.
class WindowTexts
{
public:
    static void apply(QWidget *window, const DisplayTextTable &table,
                      const LanguageCatalogue &catalogue);

    // Why the client did not link up with the server it reached.
    static QString foreignServerNotice(const DisplayTextTable &table);

private:
    static void label(QWidget *window, const DisplayTextTable &table,
                      const LanguageCatalogue &catalogue);
};

#endif
