#ifndef LANGUAGELIST_H
#define LANGUAGELIST_H

#include <QString>
#include <QStringList>
#include <QVector>

// The one list of languages that the client and the server know, compiled in
// from protocol/languages.tsv: the choices of the client's two boxes with the
// codes sent for them, and the display languages in the order of their flags.
class LanguageList
{
public:
    struct Language
    {
        QString name;
        QString code;
        // Empty for a choice that only the source box offers.
        QString icuLocale;
    };

    struct DisplayLanguage
    {
        QString name;
        // Index into languages() of the language it shows.
        int language;
    };

    // The compiled-in list. A damaged one is a fault of the build, not of
    // the machine, so the program stops with a message naming the line.
    static const LanguageList &builtIn();

    // Every choice in box order, those that only the source box offers first.
    const QVector<Language> &languages() const { return rows; }
    int sourceOnlyCount() const { return sourceOnly; }
    const QVector<DisplayLanguage> &displayLanguages() const { return displays; }

    // Index into languages() of the first row with this code, or -1.
    int indexOfCode(const QString &code) const;

private:
    // Adds one line of the file; what is wrong with it, or an empty text.
    QString take(const QStringList &fields);

    QVector<Language> rows;
    QVector<DisplayLanguage> displays;
    int sourceOnly = 0;
};

#endif
