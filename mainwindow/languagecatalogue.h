#ifndef LANGUAGECATALOGUE_H
#define LANGUAGECATALOGUE_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// The languages the client offers: source names and codes ("Detect language"
// / "auto" first), target names and codes, and the eleven display languages.
// Also the rules for the default target language and for the stored
// selection file, which keep no state of their own.
class LanguageCatalogue
{
public:
    // Index that the target box falls back to when the locale matches no code.
    static constexpr int fallbackTargetIndex = 20;

    // The stored selection: display language, source box index, target box index.
    struct Selection
    {
        int displayLanguage = 0;
        int source = 0;
        int target = 0;
    };

    LanguageCatalogue();

    const QStringList &sourceLanguageNames() const { return sourceNames; }
    const QStringList &sourceLanguageCodes() const { return sourceCodes; }
    const QStringList &targetLanguageNames() const { return targetNames; }
    const QStringList &targetLanguageCodes() const { return targetCodes; }
    const QStringList &displayLanguageNames() const { return displayNames; }

    // "zh_CN" gives "zh-CN"; any other name gives its part before the first
    // "_" (the whole name when it has none).
    static QString localeLanguageCode(const QString &localeName);

    // The last target index whose code equals the locale's language code, or
    // fallbackTargetIndex when none does.
    int defaultTargetIndex(const QString &localeName) const;

    // Target box index of the same language as display language `index`
    // (English 21, Chinese 15, ...); -1 for an index outside 0..10.
    static int targetIndexOfDisplayLanguage(int index);

    // Three decimal lines; a missing or non-numeric line counts as 0.
    static Selection parseSelection(const QByteArray &content);
    // Three decimal lines, each ended by "\r\n".
    static QByteArray formatSelection(const Selection &selection);

    // Both return false and leave the old file whole when they fail.
    static bool readSelectionFile(const QString &path, Selection *selection);
    static bool writeSelectionFile(const QString &path, const Selection &selection);

private:
    QStringList sourceNames;
    QStringList sourceCodes;
    QStringList targetNames;
    QStringList targetCodes;
    QStringList displayNames;
};

#endif
