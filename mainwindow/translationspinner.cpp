#include "mainwindow/translationspinner.h"

#include "widgets/waitingspinnerwidget.h"

WaitingSpinnerWidget *TranslationSpinner::create(QWidget *window)
{
    auto *spinner = new WaitingSpinnerWidget(window, true, false);
    spinner->setRoundness(70);
    spinner->setMinimumTrailOpacity(15);
    spinner->setTrailFadePercentage(70);
    spinner->setLineCount(12);
    spinner->setLineLength(10);
    spinner->setLineWidth(5);
    spinner->setInnerRadius(10);
    spinner->setRevolutionsPerSecond(1);
    spinner->setColor(QColor(81, 4, 71, 255));
    return spinner;
}
