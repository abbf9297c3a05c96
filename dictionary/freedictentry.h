#ifndef FREEDICTENTRY_H
#define FREEDICTENTRY_H

#include <QString>
#include <QStringList>
#include <QVector>

// One entry of a FreeDict dictionary as its DICT server sends it: a head line
// "word /pronunciation/ <parts of speech>", then one line per sense (numbered
// "1. " when there are several) with comma-separated alternatives that may
// carry their own "<pos>" and "[domain]" labels, and indented lines with
// synonyms, notes, examples and cross-references under the sense they follow.
struct FreeDictEntry
{
    struct Sense
    {
        QStringList alternatives;
        // Domain and part-of-speech labels of the alternatives, each once.
        QStringList labels;
        // Synonyms, notes and examples, in the dictionary's order.
        QStringList notes;
    };

    QString headword;
    QString pronunciation;
    QStringList partsOfSpeech;
    QVector<Sense> senses;

    static FreeDictEntry parse(const QString &text);
};

#endif
