#include "dictionary/wordlookup.h"

#include "protocol/languagelist.h"

#include <QRegularExpression>

namespace {

constexpr int longestWordCount = 4;
constexpr int longestPhrase = 60;
const QString anyLanguage = QStringLiteral("auto");

QString nameOf(const QString &code)
{
    const LanguageList &list = LanguageList::builtIn();
    const int index = list.indexOfCode(code);
    return index < 0 ? QString() : list.languages().at(index).name;
}

} // namespace

WordLookup::WordLookup(const QString &serverHost, quint16 serverPort, int lookupTimeoutMs,
                       QObject *parent)
    : QObject(parent), host(serverHost), port(serverPort), timeoutMs(lookupTimeoutMs)
{
}

QString WordLookup::dictionaryWord(const QString &text)
{
    static const QRegularExpression marks(QStringLiteral(R"(^[\s"'¿¡(]+|[\s"'.!?;:,)]+$)"));
    const QString word = QString(text).remove(marks);
    if (word.isEmpty() || word.size() > longestPhrase || word.contains(QLatin1Char('\n')) ||
        word.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() > longestWordCount)
        return QString();
    return word;
}

void WordLookup::forget()
{
    ++generations[Forward];
    ++generations[Backward];
}

DictClient *WordLookup::conversation()
{
    return new DictClient(host, port, timeoutMs, this);
}

void WordLookup::lookUp(Direction direction, const QString &text, const QString &from,
                        const QString &to)
{
    const int generation = ++generations[direction];
    const QString word = dictionaryWord(text);
    if (word.isEmpty() || (from == anyLanguage && to == anyLanguage))
        return;
    if (databasesKnown) {
        define(direction, generation, word, from, to);
        return;
    }
    DictClient *client = conversation();
    connect(client, &DictClient::finished, this, [=](const DictClient::Reply &reply) {
        if (!reply.complete)
            return;
        learn(reply.databases);
        if (generation == generations[direction])
            define(direction, generation, word, from, to);
    });
    client->start(true, QString(), {});
}

void WordLookup::learn(const QVector<DictClient::Database> &databases)
{
    pairs.clear();
    const QVector<LanguageList::Language> &languages = LanguageList::builtIn().languages();
    for (const DictClient::Database &database : databases) {
        for (const LanguageList::Language &first : languages) {
            if (!database.description.startsWith(first.name + QLatin1Char('-')))
                continue;
            const QString rest = database.description.mid(first.name.size() + 1);
            for (const LanguageList::Language &second : languages) {
                if (rest == second.name || rest.startsWith(second.name + QLatin1Char(' ')))
                    pairs.append({database.name, first.code, second.code});
            }
        }
    }
    // Asked again next time while none serves a pair: dictionaries may be
    // installed while the program runs.
    databasesKnown = !pairs.isEmpty();
}

void WordLookup::define(Direction direction, int generation, const QString &word,
                        const QString &from, const QString &to)
{
    QStringList databases;
    for (const Pair &pair : qAsConst(pairs)) {
        if ((pair.from == from || from == anyLanguage) && (pair.to == to || to == anyLanguage) &&
            !databases.contains(pair.database))
            databases << pair.database;
    }
    if (databases.isEmpty())
        return;
    DictClient *client = conversation();
    connect(client, &DictClient::finished, this, [=](const DictClient::Reply &reply) {
        if (generation != generations[direction] || reply.definitions.isEmpty())
            return;
        QVector<Section> sections;
        for (const Pair &pair : qAsConst(pairs)) {
            Section section{nameOf(pair.from) + QStringLiteral(" → ") + nameOf(pair.to), {}};
            for (const DictClient::Definition &definition : reply.definitions) {
                if (definition.database == pair.database)
                    section.entries << FreeDictEntry::parse(definition.text);
            }
            if (!section.entries.isEmpty())
                sections << section;
        }
        emit found(direction, sections);
    });
    client->start(false, word, databases);
}
