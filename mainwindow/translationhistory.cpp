#include "mainwindow/translationhistory.h"

#include "protocol/languagelist.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString textKey = QStringLiteral("text");
const QString fromKey = QStringLiteral("from");
const QString toKey = QStringLiteral("to");
const QString displayKey = QStringLiteral("display");

} // namespace

bool TranslationHistory::recordTranslation(const QString &text, int from, int to,
                                           int displayLanguage)
{
    // A replayed entry is already in the history; the step that replays it
    // sets the flag so that the translation it starts adds nothing.
    if (historyBrowsing) {
        historyBrowsing = false;
        return false;
    }
    if (text.trimmed().isEmpty())
        return false;
    append(text, from, to, displayLanguage);
    historyPosition = historyTexts.size() - 1;
    return true;
}

void TranslationHistory::append(const QString &text, int from, int to, int displayLanguage)
{
    historyTexts.append(text);
    historyFrom.append(from);
    historyTo.append(to);
    historyDisplayLanguage.append(displayLanguage);
    if (historyTexts.size() > historyLimit) {
        historyTexts.removeFirst();
        historyFrom.removeFirst();
        historyTo.removeFirst();
        historyDisplayLanguage.removeFirst();
    }
}

bool TranslationHistory::stepBack()
{
    if (historyTexts.isEmpty())
        return false;
    --historyPosition;
    if (historyPosition < 0) {
        historyPosition = 0;
        return false;
    }
    return true;
}

bool TranslationHistory::stepForward()
{
    if (historyTexts.isEmpty())
        return false;
    ++historyPosition;
    if (historyPosition >= historyTexts.size()) {
        historyPosition = historyTexts.size() - 1;
        return false;
    }
    return true;
}

bool TranslationHistory::load(const QString &path)
{
    *this = TranslationHistory();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // An entry that is not what this program writes (a damaged or foreign
    // file) is left out rather than replayed with nonsense.
    const LanguageList &languages = LanguageList::builtIn();
    const int sources = languages.languages().size();
    const int targets = sources - languages.sourceOnlyCount();
    const int displays = languages.displayLanguages().size();
    for (const QJsonValue &value : QJsonDocument::fromJson(file.readAll()).array()) {
        const QJsonObject entry = value.toObject();
        const QString text = entry.value(textKey).toString();
        const int from = entry.value(fromKey).toInt(-1);
        const int to = entry.value(toKey).toInt(-1);
        const int display = entry.value(displayKey).toInt(-1);
        if (!text.trimmed().isEmpty() && from >= 0 && from < sources && to >= 0 && to < targets &&
            display >= 0 && display < displays)
            append(text, from, to, display);
    }
    historyPosition = historyTexts.size() - 1;
    return true;
}

bool TranslationHistory::save(const QString &path) const
{
    QJsonArray entries;
    for (int i = 0; i < historyTexts.size(); ++i) {
        entries.append(QJsonObject{{textKey, historyTexts.at(i)},
                                   {fromKey, historyFrom.at(i)},
                                   {toKey, historyTo.at(i)},
                                   {displayKey, historyDisplayLanguage.at(i)}});
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    // QSaveFile commits a buffer that failed to flush, so check it first.
    const QByteArray bytes = QJsonDocument(entries).toJson(QJsonDocument::Compact);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
