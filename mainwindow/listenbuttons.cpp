#include "mainwindow/listenbuttons.h"

#include "mainwindow/displaytexttable.h"
#include "mainwindow/drawnicon.h"
#include "mainwindow/languagecatalogue.h"
#include "net/serversession.h"
#include "speech/speaker.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPlainTextEdit>

ListenButtons::ListenButtons(Speaker *voice, const DisplayTextTable &texts, const Side &source,
                             const Side &result, QObject *parent)
    : QObject(parent), speaker(voice), table(texts), sides{source, result}
{
    for (int channel = 0; channel < 2; ++channel) {
        const Side &side = sides[channel];
        connect(side.button, &QAbstractButton::clicked, this, [this, channel] {
            const Side &clicked = sides[channel];
            speaker->toggle(channel, clicked.text->toPlainText(),
                            clicked.codes.value(clicked.language->currentIndex()));
        });
        connect(side.language, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &ListenButtons::refresh);
    }
    connect(speaker, &Speaker::voicesChanged, this, &ListenButtons::refresh);
    connect(speaker, &Speaker::speakingChanged, this, &ListenButtons::refresh);
    refresh();
}

ListenButtons::ListenButtons(Ui::MainWindow *form, const LanguageCatalogue &catalogue,
                             const DisplayTextTable &texts, const QString &speechEngine,
                             ServerSession *session, QObject *parent)
    : ListenButtons(new Speaker(speechEngine, parent), texts,
                    {form->pushButton_listenSource, form->plainTextEdit_source, form->comboBoxFrom,
                     catalogue.sourceLanguageCodes()},
                    {form->pushButton_listenResult, form->plainTextEdit_translate, form->comboBoxTo,
                     catalogue.targetLanguageCodes()},
                    parent)
{
    // Queued: the window stores the table first.
    connect(session, &ServerSession::displayTableArrived, this, &ListenButtons::refresh,
            Qt::QueuedConnection);
}

void ListenButtons::refresh()
{
    const QString names[2] = {
        table.displayText(QStringLiteral("listen_source"), QStringLiteral("Listen to the text")),
        table.displayText(QStringLiteral("listen_result"),
                          QStringLiteral("Listen to the translation"))};
    for (int channel = 0; channel < 2; ++channel) {
        const Side &side = sides[channel];
        const bool voice = speaker->hasVoice(side.codes.value(side.language->currentIndex()));
        const bool speaking = speaker->speakingChannel() == channel;
        side.button->setEnabled(voice);
        side.button->setAccessibleName(names[channel]);
        side.button->setIcon(
            DrawnIcon::icon(speaking ? DrawnIcon::Shape::Stop : DrawnIcon::Shape::Speaker));
        if (!voice)
            side.button->setToolTip(
                table.displayText(QStringLiteral("no_voice"),
                                  QStringLiteral("No voice for this language is installed")));
        else if (speaking)
            side.button->setToolTip(table.displayText(QStringLiteral("stop_speaking"),
                                                      QStringLiteral("Stop speaking")));
        else
            side.button->setToolTip(names[channel]);
    }
}
