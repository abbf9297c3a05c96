#include "mainwindow/runindicator.h"

#include "mainwindow/displaytexttable.h"
#include "mainwindow/languagecatalogue.h"
#include "net/serversession.h"
#include "widgets/waitingspinnerwidget.h"

#include <QComboBox>
#include <QMainWindow>
#include <QStatusBar>

RunIndicator::RunIndicator(QMainWindow *mainWindow, QComboBox *source, QComboBox *target,
                           const LanguageCatalogue &languages, const DisplayTextTable &table,
                           ServerSession *session)
    : QObject(mainWindow), window(mainWindow), sourceBox(source), targetBox(target),
      catalogue(languages), texts(table), spinner(new WaitingSpinnerWidget(mainWindow, true, false))
{
    spinner->setRoundness(70);
    spinner->setMinimumTrailOpacity(15);
    spinner->setTrailFadePercentage(70);
    spinner->setLineCount(12);
    spinner->setLineLength(10);
    spinner->setLineWidth(5);
    spinner->setInnerRadius(10);
    spinner->setRevolutionsPerSecond(1);
    spinner->setColor(QColor(81, 4, 71, 255));
    // There from the start, so that the first message does not shift the form.
    window->statusBar();
    connect(session, &ServerSession::languageDetected, this, [this](const QString &code) {
        const int index = catalogue.targetLanguageCodes().indexOf(code);
        if (index >= 0)
            sourceName = targetBox->itemText(index);
    });
}

void RunIndicator::started(int translated, int total)
{
    cutNotice.clear();
    if (translated < total)
        cutNotice = texts
                        .displayText(QStringLiteral("cut_notice"),
                                     QStringLiteral("Only the first %1 of %2 characters were "
                                                    "translated."))
                        .arg(translated)
                        .arg(total);
    // "Detect language" is no language to name in a route.
    sourceName = sourceBox->currentIndex() > 0 ? sourceBox->currentText() : QString();
    targetName = targetBox->currentText();
    show(QString());
    spinner->start();
}

void RunIndicator::finished(TranslationRun::Origin origin)
{
    spinner->stop();
    switch (origin) {
    case TranslationRun::Origin::WebPage:
        show(texts.displayText(QStringLiteral("translated_web"),
                               QStringLiteral("Translated by the web page")));
        break;
    case TranslationRun::Origin::Server: {
        const QString route = sourceName.isEmpty()
                                  ? targetName
                                  : sourceName + QStringLiteral(" \u2192 ") + targetName;
        show(texts
                 .displayText(QStringLiteral("translated_offline"),
                              QStringLiteral("Translated offline: %1"))
                 .arg(route));
        break;
    }
    case TranslationRun::Origin::Nowhere:
        show(QString());
        break;
    }
}

void RunIndicator::show(const QString &message)
{
    const QString line =
        cutNotice.isEmpty() || message.isEmpty() ? cutNotice + message : cutNotice + ' ' + message;
    if (line.isEmpty())
        window->statusBar()->clearMessage();
    else
        window->statusBar()->showMessage(line);
}
