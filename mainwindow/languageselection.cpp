#include "mainwindow/languageselection.h"

#include "mainwindow/languagecatalogue.h"
#include "mainwindow/userdatafiles.h"

#include <QComboBox>

LanguageSelection::LanguageSelection(QComboBox *fromBox, QComboBox *toBox,
                                     const LanguageCatalogue &languages,
                                     const UserDataFiles &dataFiles)
    : from(fromBox), to(toBox), catalogue(languages), files(dataFiles)
{
}

int LanguageSelection::restore(const QString &localeName)
{
    from->addItems(catalogue.sourceLanguageNames());
    to->addItems(catalogue.targetLanguageNames());
    to->setCurrentIndex(catalogue.defaultTargetIndex(localeName));

    LanguageCatalogue::Selection stored;
    const bool restored = files.readSelection(&stored);
    int displayLanguage = 0;
    if (restored && stored.displayLanguage >= 1 &&
        stored.displayLanguage < catalogue.displayLanguageNames().size())
        displayLanguage = stored.displayLanguage;
    if (!restored || (stored.source == 0 && stored.target == 0))
        return displayLanguage;
    if (stored.source >= 0 && stored.source < from->count())
        from->setCurrentIndex(stored.source);
    if (stored.target >= 0 && stored.target < to->count())
        to->setCurrentIndex(stored.target);
    return displayLanguage;
}

void LanguageSelection::save(int displayLanguage) const
{
    files.writeSelection({displayLanguage, from->currentIndex(), to->currentIndex()});
}
