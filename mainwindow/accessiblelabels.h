#ifndef ACCESSIBLELABELS_H
#define ACCESSIBLELABELS_H

class DisplayTextTable;
class LanguageCatalogue;
class QWidget;

// Names the window's controls for screen readers and hovering users: the
// flags, the arrows and the play and Help buttons show only an image, and the
// two text boxes and language boxes carry no label of their own. Texts come
// from the display-text table; a text the table lacks stays English.
class AccessibleLabels
{
public:
    static void apply(QWidget *window, const DisplayTextTable &table,
                      const LanguageCatalogue &catalogue);
};

#endif
