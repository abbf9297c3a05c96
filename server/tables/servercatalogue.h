#ifndef SERVERCATALOGUE_H
#define SERVERCATALOGUE_H

#include "protocol/languagelist.h"

#include <QString>
#include <QVector>

// The client's languages as the server looks them up: by the code a client
// sends, and by whatever tag a language detector names a language with.
class ServerCatalogue
{
public:
    using Language = LanguageList::Language;

    explicit ServerCatalogue(const LanguageList &list);

    const QVector<Language> &languages() const { return list.languages(); }
    const LanguageList &languageList() const { return list; }

    // Index of the language with this client code, or -1.
    int indexOfCode(const QString &code) const { return list.indexOfCode(code); }

    // The catalogue code of a language given by any BCP 47 or ICU tag whose
    // language part matches (for example "he" or "zh-Hant"), or an empty
    // string. Exact codes of the catalogue win; otherwise language and script
    // must agree once likely subtags are added ("zh" is "zh-CN").
    QString codeForTag(const QString &tag) const;

private:
    const LanguageList &list;
};

#endif
