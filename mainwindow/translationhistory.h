#ifndef TRANSLATIONHISTORY_H
#define TRANSLATIONHISTORY_H

#include <QList>
#include <QString>

// The last translations started, oldest first, with the language controls of
// the moment. Lives as long as the window; never written to disk.
class TranslationHistory
{
public:
    static constexpr int defaultLimit = 100;
    static constexpr int initialPosition = 1000000000;

    // Appends an entry, drops the oldest once the limit is passed and moves to
    // the newest; while browsing, only clears the browsing flag.
    void recordTranslation(const QString &text, int from, int to, int displayLanguage);

    // Moves the position one entry back or forward. True when the caller
    // should replay the entry at position(); false at the bounds (the
    // position is then clamped) and for an empty history.
    bool stepBack();
    bool stepForward();

    int size() const { return historyTexts.size(); }
    bool isEmpty() const { return historyTexts.isEmpty(); }
    int position() const { return historyPosition; }
    int limit() const { return historyLimit; }

    QString text(int index) const { return historyTexts.at(index); }
    int from(int index) const { return historyFrom.at(index); }
    int to(int index) const { return historyTo.at(index); }
    int displayLanguage(int index) const { return historyDisplayLanguage.at(index); }

    bool isBrowsing() const { return historyBrowsing; }
    void setBrowsing(bool browsing) { historyBrowsing = browsing; }

private:
    int historyLimit = defaultLimit;
    int historyPosition = initialPosition;
    QList<QString> historyTexts;
    QList<int> historyFrom;
    QList<int> historyTo;
    QList<int> historyDisplayLanguage;
    bool historyBrowsing = false;
};

#endif
