#include "mainwindow/historybrowser.h"

#include "mainwindow/historysearch.h"

#include <QPushButton>

HistoryBrowser::HistoryBrowser(const Controls &controls, const QString &file, QObject *parent)
    : QObject(parent), path(file)
{
    history.load(path);
    search = new HistorySearch(controls.search, history, this);
    connect(search, &HistorySearch::chosen, this, &HistoryBrowser::replayCurrent);
    connect(controls.back, &QPushButton::clicked, this, [this] {
        if (history.stepBack())
            replayCurrent();
    });
    connect(controls.forward, &QPushButton::clicked, this, [this] {
        if (history.stepForward())
            replayCurrent();
    });
}

void HistoryBrowser::record(const QString &text, int from, int to, int displayLanguage)
{
    if (history.recordTranslation(text, from, to, displayLanguage)) {
        history.save(path);
        search->refresh();
    }
}

void HistoryBrowser::replayCurrent()
{
    const int at = history.position();
    history.setBrowsing(true);
    emit replay(history.text(at), history.from(at), history.to(at), history.displayLanguage(at));
}
