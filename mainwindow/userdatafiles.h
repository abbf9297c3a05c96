#ifndef USERDATAFILES_H
#define USERDATAFILES_H

#include "mainwindow/languagecatalogue.h"

#include <QString>

class DisplayTextTable;

// The files the client keeps for its user, in the per-user data folder:
// config.txt (the interface texts) and from_to.db (the chosen languages).
// Every write replaces a file whole or not at all.
class UserDataFiles
{
public:
    // Creates the folder, parents included, where it is missing.
    UserDataFiles();

    QString path(const QString &fileName) const;

    void loadDisplayTable(DisplayTextTable *table) const;
    // Takes a table the server sent into use and stores it for the next
    // start; a table that cannot be stored leaves the previous file whole.
    bool storeDisplayTable(const QString &content, DisplayTextTable *table) const;

    bool readSelection(LanguageCatalogue::Selection *selection) const;
    bool writeSelection(const LanguageCatalogue::Selection &selection) const;

private:
    QString folder;
};

#endif
