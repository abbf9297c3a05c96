#ifndef SERVERCATALOGUE_H
#define SERVERCATALOGUE_H

#include <QString>
#include <QVector>

// The server's own copy of the client's language catalogue: the English names
// (which are the keys of every display table), the codes the client sends,
// and the ICU locale each code stands for. The client's catalogue lives in
// the client library, which the server does not link.
class ServerCatalogue
{
public:
    struct Language
    {
        QString name;
        QString code;
        QString icuLocale; // empty for "Detect language"
    };

    // Reads the tab-separated list; on a damaged list *error says why and the
    // catalogue is empty.
    static ServerCatalogue fromFile(const QString &path, QString *error);

    const QVector<Language> &languages() const { return entries; }

    // Index of the language with this client code, or -1.
    int indexOfCode(const QString &code) const;

    // The catalogue code of a language given by any BCP 47 or ICU tag whose
    // language part matches (for example "he" or "zh-Hant"), or an empty
    // string. Exact codes of the catalogue win; otherwise language and script
    // must agree once likely subtags are added ("zh" is "zh-CN").
    QString codeForTag(const QString &tag) const;

private:
    QVector<Language> entries;
};

#endif
