#include "mainwindow/windowtexts.h"

#include "mainwindow/displaytexttable.h"
#include "mainwindow/languagecatalogue.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

namespace {

struct Label
{
    const char *objectName;
    const char *key;
    const char *english;
};

const Label captions[] = {
    {"pushButton_clear", "clear", "clear"},
    {"pushButton_translate", "translate", "Translate"},
    {"pushButton_copy", "copy", "Copy"},
};

const Label labels[] = {
    {"toolButton", "Help", "Help"},
    {"pushButton_clear", "clear", "clear"},
    {"pushButton_translate", "translate", "Translate"},
    {"pushButton_prev", "previous", "Previous translation"},
    {"pushButton_play", "translate", "Translate"},
    {"pushButton_next", "next", "Next translation"},
    {"plainTextEdit_source", "source_text", "Text to translate"},
    {"plainTextEdit_translate", "result_text", "Translation"},
    {"comboBoxFrom", "source_language", "Translate from"},
    {"comboBoxTo", "target_language", "Translate to"},
    {"pushButton_swap", "swap", "Swap the languages and the texts"},
    {"pushButton_copy", "copy_result", "Copy the translation"},
    {"label_detected", "detected_language", "Detected language"},
    {"lineEdit_history", "search_history", "Search the history"},
};

void name(QWidget *widget, const QString &text)
{
    if (widget == nullptr)
        return;
    widget->setAccessibleName(text);
    // Hovering shows the key that does the same.
    const auto *button = qobject_cast<QAbstractButton *>(widget);
    widget->setToolTip(button && !button->shortcut().isEmpty()
                           ? QStringLiteral("%1 (%2)").arg(
                                 text, button->shortcut().toString(QKeySequence::NativeText))
                           : text);
    if (auto *field = qobject_cast<QLineEdit *>(widget))
        field->setPlaceholderText(text);
}

} // namespace

void WindowTexts::apply(QWidget *window, const DisplayTextTable &table,
                        const LanguageCatalogue &catalogue)
{
    window->setWindowTitle(
        table.displayText(QStringLiteral("app_name1"), QStringLiteral("Quillora Pro")));
    for (const Label &caption : captions) {
        if (auto *button = window->findChild<QAbstractButton *>(QLatin1String(caption.objectName)))
            button->setText(
                table.displayText(QLatin1String(caption.key), QLatin1String(caption.english)));
    }
    const auto names = [&](const char *box, const QStringList &languages) {
        auto *combo = window->findChild<QComboBox *>(QLatin1String(box));
        for (int i = 0; combo && i < languages.size(); ++i)
            combo->setItemText(i, table.displayText(languages.at(i), languages.at(i)));
    };
    names("comboBoxFrom", catalogue.sourceLanguageNames());
    names("comboBoxTo", catalogue.targetLanguageNames());
    auto *help = window->findChild<QToolButton *>(QStringLiteral("toolButton"));
    if (help && help->menu() && !help->menu()->actions().isEmpty())
        help->menu()->actions().constFirst()->setText(
            table.displayText(QStringLiteral("Help"), QStringLiteral("Help")));
    label(window, table, catalogue);
}

void WindowTexts::label(QWidget *window, const DisplayTextTable &table,
                        const LanguageCatalogue &catalogue)
{
    for (const Label &entry : labels) {
        name(window->findChild<QWidget *>(QLatin1String(entry.objectName)),
             table.displayText(QLatin1String(entry.key), QLatin1String(entry.english)));
    }
    // A flag is named after its language, as the language boxes show it.
    const QStringList &displayLanguages = catalogue.displayLanguageNames();
    for (int i = 0; i < displayLanguages.size(); ++i) {
        const QString language = catalogue.targetLanguageNames().value(
            LanguageCatalogue::targetIndexOfDisplayLanguage(i));
        name(window->findChild<QWidget *>(QStringLiteral("pushButton_") + displayLanguages.at(i)),
             table.displayText(language, language));
    }
}

QString WindowTexts::foreignServerNotice(const DisplayTextTable &table)
{
    return table.displayText(QStringLiteral("foreign_server"),
                             QStringLiteral("Not connected: the companion server on this "
                                            "computer belongs to another user."));
}
