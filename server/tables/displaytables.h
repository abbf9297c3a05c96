#ifndef DISPLAYTABLES_H
#define DISPLAYTABLES_H

#include "server/tables/servercatalogue.h"

#include <QHash>
#include <QString>

// The display-text tables the server hands out, one per display language,
// already as the messages that carry them. Interface texts come from a
// hand-made file; language names come from CLDR through ICU. Everything is
// built once at start-up, so answering an announcement costs a hash lookup.
class DisplayTables
{
public:
    // Builds all tables from the compiled-in interface texts; on a damaged
    // file *error says why and no tables exist.
    static DisplayTables build(const ServerCatalogue &catalogue, QString *error);

    // The message for a display-language name; unknown names get the first
    // display language's, English.
    QString message(const QString &displayLanguage) const;

private:
    QHash<QString, QString> tables;
    QString fallback;
};

#endif
