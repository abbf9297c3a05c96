#include "mainwindow/rundisplay.h"

#include "mainwindow/cutnotice.h"
#include "mainwindow/displaytexttable.h"
#include "mainwindow/languagecatalogue.h"
#include "mainwindow/offlinemarks.h"
#include "mainwindow/translationspinner.h"
#include "widgets/waitingspinnerwidget.h"

#include <QComboBox>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QStatusBar>

RunDisplay::RunDisplay(const Controls &controls, const LanguageCatalogue &languages,
                       const DisplayTextTable &table, TranslationRun *translationRun,
                       const OfflineMarks *offlineMarks)
    : QObject(controls.window), ui(controls), catalogue(languages), texts(table),
      run(translationRun), marks(offlineMarks), spinner(TranslationSpinner::create(controls.window))
{
    // There from the start, so that the first message does not shift the form.
    ui.window->statusBar();
    connect(run, &TranslationRun::finished, this, &RunDisplay::finished);
    connect(run, &TranslationRun::languageDetected, this, [this](const QString &code) {
        const int index = catalogue.targetLanguageCodes().indexOf(code);
        if (index >= 0)
            sourceName = ui.to->itemText(index);
    });
}

void RunDisplay::started(int translated, int total, bool welcomeText)
{
    welcome = welcomeText;
    cutNotice = CutNotice::text(texts, translated, total);
    // "Detect language" is no language to name in a route.
    sourceName = ui.from->currentIndex() > 0 ? ui.from->currentText() : QString();
    targetName = ui.to->currentText();
    showStatus(QString());
    spinner->start();
}

void RunDisplay::finished(const QString &result, TranslationRun::Origin origin)
{
    // The server's answer for a pair it said it cannot translate is a notice.
    if (origin == TranslationRun::Origin::Server &&
        !marks->mayTranslateOffline(run->request().source, run->request().target))
        origin = TranslationRun::Origin::Nowhere;
    const bool untranslated = welcome && origin == TranslationRun::Origin::Nowhere;
    ui.result->setPlainText(untranslated ? run->request().text : result);
    welcome = false;
    spinner->stop();
    switch (origin) {
    case TranslationRun::Origin::WebPage:
        showStatus(texts.displayText(QStringLiteral("translated_web"),
                                     QStringLiteral("Translated by the web page")));
        break;
    case TranslationRun::Origin::Server:
        showStatus(texts
                       .displayText(QStringLiteral("translated_offline"),
                                    QStringLiteral("Translated offline: %1"))
                       .arg(sourceName.isEmpty()
                                ? targetName
                                : sourceName + QStringLiteral(" \u2192 ") + targetName));
        break;
    case TranslationRun::Origin::Nowhere:
        showStatus(QString());
        break;
    }
}

void RunDisplay::showStatus(const QString &message)
{
    const QString line = cutNotice.isEmpty() || message.isEmpty()
                             ? cutNotice + message
                             : cutNotice + QLatin1Char(' ') + message;
    if (line.isEmpty())
        ui.window->statusBar()->clearMessage();
    else
        ui.window->statusBar()->showMessage(line);
}
