#ifndef WORDLOOKUP_H
#define WORDLOOKUP_H

#include "dictionary/dictclient.h"
#include "dictionary/freedictentry.h"

#include <QObject>
#include <QString>
#include <QVector>

// Looks a word or a short phrase up in the DICT server's dictionaries for a
// language pair, found by their descriptions ("English-Spanish FreeDict
// Dictionary ..."). The list of databases is asked for once and kept. Each
// direction has at most one lookup that counts: a newer one makes the older
// one's answer be dropped. A server that is absent, silent or has no
// dictionary for the pair yields no signal at all.
class WordLookup : public QObject
{
    Q_OBJECT

public:
    enum Direction
    {
        Forward,
        Backward
    };
    struct Section
    {
        // "English → Spanish"
        QString caption;
        QVector<FreeDictEntry> entries;
    };

    WordLookup(const QString &host, quint16 port, int timeoutMs, QObject *parent = nullptr);

    // Codes as the language boxes have them; "auto" stands for any language.
    void lookUp(Direction direction, const QString &text, const QString &from, const QString &to);
    // Drops the answers still owed to both directions.
    void forget();

    // A single line of at most a few words, without the sentence marks
    // around it; empty for text that is no dictionary word.
    static QString dictionaryWord(const QString &text);

signals:
    void found(WordLookup::Direction direction, const QVector<WordLookup::Section> &sections);

private:
    struct Pair
    {
        QString database;
        QString from;
        QString to;
    };
    void define(Direction direction, int generation, const QString &word, const QString &from,
                const QString &to);
    void learn(const QVector<DictClient::Database> &databases);
    DictClient *conversation();

    const QString host;
    const quint16 port;
    const int timeoutMs;
    bool databasesKnown = false;
    QVector<Pair> pairs;
    int generations[2] = {0, 0};
};

#endif
