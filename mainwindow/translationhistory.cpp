#include "mainwindow/translationhistory.h"

void TranslationHistory::recordTranslation(const QString &text, int from, int to,
                                           int displayLanguage)
{
    // A replayed entry is already in the history; the step that replays it
    // sets the flag so that the translation it starts adds nothing.
    if (historyBrowsing) {
        historyBrowsing = false;
        return;
    }
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
    historyPosition = historyTexts.size() - 1;
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
