#include "dictionary/dictionarypanel.h"

#include "translate/translationrun.h"

#include <QGridLayout>

DictionaryPanel::DictionaryPanel(const Endpoints &endpoints, QWidget *parent)
    : QTextBrowser(parent),
      lookup(new WordLookup(endpoints.dictionaryHost, endpoints.dictionaryPort,
                            endpoints.dictionaryTimeoutMs, this))
{
    setObjectName(QStringLiteral("textBrowser_dictionary"));
    setOpenLinks(false);
    setVisible(false);
    connect(lookup, &WordLookup::found, this, &DictionaryPanel::showSections);
}

DictionaryPanel::DictionaryPanel(const Endpoints &endpoints, TranslationRun *run,
                                 QGridLayout *layout)
    : DictionaryPanel(endpoints, layout->parentWidget())
{
    layout->addWidget(this, layout->rowCount(), 0);
    connect(run, &TranslationRun::started, this, &DictionaryPanel::lookUpSource);
    connect(run, &TranslationRun::finished, this, &DictionaryPanel::lookUpResult);
}

void DictionaryPanel::lookUpSource(const TranslationRequest &request)
{
    // Only the translation of a dictionary word is looked up in turn.
    const bool word = !WordLookup::dictionaryWord(request.text).isEmpty();
    sourceLanguage = word ? request.source : QString();
    targetLanguage = word ? request.target : QString();
    lookup->forget();
    shown[WordLookup::Forward].clear();
    shown[WordLookup::Backward].clear();
    clear();
    setVisible(false);
    lookup->lookUp(WordLookup::Forward, request.text, request.source, request.target);
}

void DictionaryPanel::lookUpResult(const QString &text)
{
    if (targetLanguage.isEmpty())
        return;
    lookup->lookUp(WordLookup::Backward, text, targetLanguage, sourceLanguage);
}

QString DictionaryPanel::html(const QVector<WordLookup::Section> &sections)
{
    QString out;
    for (const WordLookup::Section &section : sections) {
        out += QStringLiteral("<p><b>%1</b></p>").arg(section.caption.toHtmlEscaped());
        for (const FreeDictEntry &entry : section.entries) {
            out += QStringLiteral("<p><b>%1</b>").arg(entry.headword.toHtmlEscaped());
            if (!entry.pronunciation.isEmpty())
                out += QStringLiteral(" /%1/").arg(entry.pronunciation.toHtmlEscaped());
            if (!entry.partsOfSpeech.isEmpty())
                out += QStringLiteral(" <i>%1</i>")
                           .arg(entry.partsOfSpeech.join(QStringLiteral(", ")).toHtmlEscaped());
            out += QStringLiteral("</p><ol>");
            for (const FreeDictEntry::Sense &sense : entry.senses) {
                out += QStringLiteral("<li>");
                if (!sense.labels.isEmpty())
                    out += QStringLiteral("<i>%1</i> ")
                               .arg(sense.labels.join(QStringLiteral(", ")).toHtmlEscaped());
                out += sense.alternatives.join(QStringLiteral(", ")).toHtmlEscaped();
                for (const QString &note : sense.notes)
                    out += QStringLiteral("<br><small>%1</small>").arg(note.toHtmlEscaped());
                out += QStringLiteral("</li>");
            }
            out += QStringLiteral("</ol>");
        }
    }
    return out;
}

void DictionaryPanel::showSections(WordLookup::Direction direction,
                                   const QVector<WordLookup::Section> &sections)
{
    shown[direction] = html(sections);
    const QString all = shown[WordLookup::Forward] + shown[WordLookup::Backward];
    setHtml(all);
    setVisible(!all.isEmpty());
}
