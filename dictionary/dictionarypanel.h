#ifndef DICTIONARYPANEL_H
#define DICTIONARYPANEL_H

#include "dictionary/wordlookup.h"
#include "mainwindow/endpoints.h"
#include "protocol/translationrequest.h"

#include <QString>
#include <QTextBrowser>

class QGridLayout;
class TranslationRun;

// The dictionary entries of the word being translated: those of the source
// word from the source language into the target, then those of its
// translation back. Hidden while it has none to show. Lookups run beside the
// translation and never hold it up.
class DictionaryPanel : public QTextBrowser
{
    Q_OBJECT

public:
    explicit DictionaryPanel(const Endpoints &endpoints, QWidget *parent = nullptr);
    // Below the rows of the window's layout, following its translations.
    DictionaryPanel(const Endpoints &endpoints, TranslationRun *run, QGridLayout *layout);

    // A new translation: forgets what was shown and looks the source up.
    void lookUpSource(const TranslationRequest &request);
    // The translation arrived: looks it up in the other direction.
    void lookUpResult(const QString &text);

    static QString html(const QVector<WordLookup::Section> &sections);

private:
    void showSections(WordLookup::Direction direction,
                      const QVector<WordLookup::Section> &sections);

    WordLookup *lookup;
    QString sourceLanguage;
    QString targetLanguage;
    QString shown[2];
};

#endif
