#ifndef TRANSLATIONSPINNER_H
#define TRANSLATIONSPINNER_H

class QWidget;
class WaitingSpinnerWidget;

// The look of the spinner that turns over the window while a translation
// runs: twelve rounded plum strokes, one turn a second.
class TranslationSpinner
{
public:
    static WaitingSpinnerWidget *create(QWidget *window);
};

#endif
