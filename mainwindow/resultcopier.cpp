#include "mainwindow/resultcopier.h"

#include "mainwindow/displaytexttable.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QStatusBar>

ResultCopier::ResultCopier(QAbstractButton *button, QPlainTextEdit *resultBox, QStatusBar *bar,
                           const DisplayTextTable &displayTexts, QObject *parent)
    : QObject(parent), result(resultBox), statusBar(bar), texts(displayTexts)
{
    connect(button, &QAbstractButton::clicked, this, &ResultCopier::copy);
    const auto update = [button, resultBox] {
        button->setEnabled(!resultBox->document()->isEmpty());
    };
    connect(resultBox, &QPlainTextEdit::textChanged, button, update);
    update();
}

void ResultCopier::copy()
{
    if (result->document()->isEmpty())
        return;
    QGuiApplication::clipboard()->setText(result->toPlainText(), QClipboard::Clipboard);
    statusBar->showMessage(
        texts.displayText(QStringLiteral("copied"), QStringLiteral("Translation copied")),
        noticeMs);
}
