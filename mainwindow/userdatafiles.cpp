#include "mainwindow/userdatafiles.h"

#include "mainwindow/displaytexttable.h"

#include <QDir>
#include <QStandardPaths>

namespace {

const QString displayTableFile = QStringLiteral("config.txt");
const QString selectionFile = QStringLiteral("from_to.db");

} // namespace

UserDataFiles::UserDataFiles()
    : folder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
{
    QDir().mkpath(folder);
}

QString UserDataFiles::path(const QString &fileName) const
{
    return folder + QLatin1Char('/') + fileName;
}

void UserDataFiles::loadDisplayTable(DisplayTextTable *table) const
{
    table->loadAtStartup(path(displayTableFile));
}

bool UserDataFiles::storeDisplayTable(const QString &content, DisplayTextTable *table) const
{
    table->setContent(content);
    return DisplayTextTable::writeFile(path(displayTableFile), content);
}

bool UserDataFiles::readSelection(LanguageCatalogue::Selection *selection) const
{
    return LanguageCatalogue::readSelectionFile(path(selectionFile), selection);
}

bool UserDataFiles::writeSelection(const LanguageCatalogue::Selection &selection) const
{
    return LanguageCatalogue::writeSelectionFile(path(selectionFile), selection);
}
