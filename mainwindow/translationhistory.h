#ifndef TRANSLATIONHISTORY_H
#define TRANSLATIONHISTORY_H

#include <QList>
#include <QString>

// The last translations started, oldest first, with the language controls of
// the moment. Kept in a file of the user's own between runs.
class TranslationHistory
{
public:
    static constexpr int defaultLimit = 100;
    static constexpr int initialPosition = 1000000000;

    // Appends an entry, drops the oldest once the limit is passed and moves to
    // the newest; while browsing, only clears the browsing flag. A text of
    // nothing but white space is not worth finding again and is passed over.
    // True when an entry was added.
    bool recordTranslation(const QString &text, int from, int to, int displayLanguage);

    // Moves the position one entry back or forward. True when the caller
    // should replay the entry at position(); false at the bounds (the
    // position is then clamped) and for an empty history.
    bool stepBack();
    bool stepForward();
    // Makes an entry found by a search the current one.
    void setPosition(int index) { historyPosition = index; }

    // Replaces the entries with the file's and moves to the newest; false,
    // leaving the history empty, when there is no readable file.
    bool load(const QString &path);
    // Replaces the file whole, readable by the user alone; on failure the
    // previous file stays as it was.
    bool save(const QString &path) const;

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
    void append(const QString &text, int from, int to, int displayLanguage);

    int historyLimit = defaultLimit;
    int historyPosition = initialPosition;
    QList<QString> historyTexts;
    QList<int> historyFrom;
    QList<int> historyTo;
    QList<int> historyDisplayLanguage;
    bool historyBrowsing = false;
};

#endif
