#ifndef HISTORYBROWSER_H
#define HISTORYBROWSER_H

#include "mainwindow/translationhistory.h"

#include <QObject>
#include <QString>

class HistorySearch;
class QLineEdit;
class QPushButton;

// The kept translations as the window offers them: their file, the back and
// forward buttons and the search field. A new run is recorded and saved at
// once; stepping to an entry or choosing one asks the window to replay it,
// and that replay is not recorded a second time.
class HistoryBrowser : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        QPushButton *back;
        QPushButton *forward;
        QLineEdit *search;
    };

    HistoryBrowser(const Controls &controls, const QString &file, QObject *parent);

    // Records a run about to start, unless it replays an entry.
    void record(const QString &text, int from, int to, int displayLanguage);

    const TranslationHistory &entries() const { return history; }

signals:
    // The entry to put back into the window and translate again.
    void replay(const QString &text, int from, int to, int displayLanguage);

private:
    void replayCurrent();

    TranslationHistory history;
    const QString path;
    HistorySearch *search;
};

#endif
