#ifndef RUNDISPLAY_H
#define RUNDISPLAY_H

#include "translate/translationrun.h"

#include <QObject>
#include <QString>

class DisplayTextTable;
class LanguageCatalogue;
class OfflineMarks;
class QComboBox;
class QMainWindow;
class QPlainTextEdit;
class WaitingSpinnerWidget;

// What the window shows of a translation: the spinner while it runs; then
// the result, and in the status line whether the text was cut to the limit
// and where the translation came from ("Translated by the web page", or
// "Translated offline: " and its languages), in the display language. A
// welcome text that could not be translated is shown as it is: a first start
// should not greet the user with a failure.
class RunDisplay : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        QMainWindow *window;
        QPlainTextEdit *result;
        QComboBox *from;
        QComboBox *to;
    };

    // Shows every result `run` finishes with; `marks` tell which server
    // answers are notices rather than translations.
    RunDisplay(const Controls &controls, const LanguageCatalogue &catalogue,
               const DisplayTextTable &texts, TranslationRun *run, const OfflineMarks *marks);

    // At the start of a run, which takes `translated` of `total` characters.
    void started(int translated, int total, bool welcome);

private:
    void finished(const QString &result, TranslationRun::Origin origin);
    void showStatus(const QString &message);

    Controls ui;
    const LanguageCatalogue &catalogue;
    const DisplayTextTable &texts;
    TranslationRun *run;
    const OfflineMarks *marks;
    WaitingSpinnerWidget *spinner;
    bool welcome = false;
    QString cutNotice;
    // The names of the run's languages as the boxes show them; the source
    // stays empty for "Detect language" until the server says what it found.
    QString sourceName;
    QString targetName;
};

#endif
