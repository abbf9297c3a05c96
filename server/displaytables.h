#ifndef DISPLAYTABLES_H
#define DISPLAYTABLES_H

#include "servercatalogue.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The display-text tables the server hands out, one per display language,
// already in their key=value wire form. Interface texts come from a
// hand-made file; language names come from CLDR through ICU. Everything is
// built once at start-up, so answering an announcement costs a hash lookup.
class DisplayTables
{
public:
    // The eleven names the client announces, in the order of their flags.
    static const QStringList &displayLanguageNames();

    // Builds all tables; on a damaged interface-text file *error says why and
    // no tables exist.
    static DisplayTables build(const ServerCatalogue &catalogue, const QString &interfaceTextsPath,
                               QString *error);

    // The table for a display-language name; unknown names get English.
    QString table(const QString &displayLanguage) const;

    // Interface keys every section of the interface-text file must hold.
    static const QStringList &interfaceKeys();

private:
    QHash<QString, QString> tables;
};

#endif
