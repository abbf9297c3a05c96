#include "mainwindow/languageswap.h"

#include "mainwindow/displaytexttable.h"
#include "mainwindow/languagecatalogue.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>

LanguageSwap::LanguageSwap(const Controls &controls, const LanguageCatalogue &languages,
                           const DisplayTextTable &displayTexts, QObject *parent)
    : QObject(parent), ui(controls), catalogue(languages), texts(displayTexts)
{
    connect(ui.button, &QAbstractButton::clicked, this, &LanguageSwap::swap);
    // A language found for "Detect language" says nothing about a language
    // the user chose since.
    connect(ui.from, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) { index == 0 ? update() : setDetectedLanguage(QString()); });
    update();
}

void LanguageSwap::setDetectedLanguage(const QString &code)
{
    detected = catalogue.sourceLanguageCodes().indexOf(code) > 0 ? code : QString();
    update();
}

int LanguageSwap::sourceIndex() const
{
    const int chosen = ui.from->currentIndex();
    return chosen > 0 ? chosen : qMax(0, catalogue.sourceLanguageCodes().indexOf(detected));
}

void LanguageSwap::swap()
{
    const int source = sourceIndex();
    if (source <= 0)
        return;
    // Target k is source k + 1: "Detect language" stands only in the source box.
    const int target = ui.to->currentIndex();
    ui.from->setCurrentIndex(target + 1);
    ui.to->setCurrentIndex(source - 1);
    const QString text = ui.source->toPlainText();
    ui.source->setPlainText(ui.result->toPlainText());
    ui.result->setPlainText(text);
    emit swapped();
}

void LanguageSwap::update()
{
    ui.button->setEnabled(sourceIndex() > 0);
    relabel();
}

void LanguageSwap::relabel()
{
    const QString name =
        catalogue.sourceLanguageNames().value(catalogue.sourceLanguageCodes().indexOf(detected));
    const bool shown = !detected.isEmpty() && ui.from->currentIndex() == 0;
    ui.detected->setText(shown
                             ? texts.displayText(QStringLiteral("detected"), QStringLiteral("(%1)"))
                                   .arg(texts.displayText(name, name))
                             : QString());
}
