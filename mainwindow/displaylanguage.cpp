#include "mainwindow/displaylanguage.h"

#include "mainwindow/flagbuttons.h"
#include "mainwindow/languagecatalogue.h"
#include "net/serversession.h"

#include <QComboBox>

DisplayLanguage::DisplayLanguage(QWidget *window, QComboBox *targetBox,
                                 ServerSession *serverSession, const LanguageCatalogue &languages)
    : QObject(window), flags(new FlagButtons(window, languages.displayLanguageNames())),
      target(targetBox), session(serverSession), catalogue(languages)
{
    connect(flags, &FlagButtons::clicked, this, &DisplayLanguage::flagClicked);
}

void DisplayLanguage::show(int index)
{
    current = index;
    flags->choose(index);
}

void DisplayLanguage::announce()
{
    session->announceDisplayLanguage(catalogue.displayLanguageNames().value(current));
    flags->choose(current);
}

void DisplayLanguage::follow(int index)
{
    current = index;
    announce();
}

void DisplayLanguage::flagClicked(int index)
{
    if (index == current)
        target->setCurrentIndex(LanguageCatalogue::targetIndexOfDisplayLanguage(index));
    current = index;
    emit chosen();
    announce();
}
