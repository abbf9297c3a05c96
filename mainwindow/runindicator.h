#ifndef RUNINDICATOR_H
#define RUNINDICATOR_H

#include "translate/translationrun.h"

#include <QObject>
#include <QString>

class DisplayTextTable;
class LanguageCatalogue;
class QComboBox;
class QMainWindow;
class ServerSession;
class WaitingSpinnerWidget;

// What the window shows of a translation: the spinner while it runs, and in
// the status line whether the text was cut to the limit and where the
// translation came from ("Translated by the web page", or "Translated
// offline: " and its languages), in the display language.
class RunIndicator : public QObject
{
    Q_OBJECT

public:
    RunIndicator(QMainWindow *window, QComboBox *sourceBox, QComboBox *targetBox,
                 const LanguageCatalogue &catalogue, const DisplayTextTable &texts,
                 ServerSession *session);

    // At the start of a run, which takes `translated` of `total` characters.
    void started(int translated, int total);
    // At its end; Nowhere leaves only the cut notice.
    void finished(TranslationRun::Origin origin);

private:
    void show(const QString &message);

    QMainWindow *window;
    QComboBox *sourceBox;
    QComboBox *targetBox;
    const LanguageCatalogue &catalogue;
    const DisplayTextTable &texts;
    WaitingSpinnerWidget *spinner;
    QString cutNotice;
    // The names of the run's languages as the boxes show them; the source
    // stays empty for "Detect language" until the server says what it found.
    QString sourceName;
    QString targetName;
};

#endif
