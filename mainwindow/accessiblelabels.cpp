#include "mainwindow/accessiblelabels.h"

#include "mainwindow/displaytexttable.h"
#include "mainwindow/languagecatalogue.h"

#include <QWidget>

namespace {

struct Label
{
    const char *objectName;
    const char *key;
    const char *english;
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
};

void label(QWidget *widget, const QString &text)
{
    if (widget == nullptr)
        return;
    widget->setAccessibleName(text);
    widget->setToolTip(text);
}

} // namespace

void AccessibleLabels::apply(QWidget *window, const DisplayTextTable &table,
                             const LanguageCatalogue &catalogue)
{
    for (const Label &entry : labels) {
        label(window->findChild<QWidget *>(QLatin1String(entry.objectName)),
              table.displayText(QLatin1String(entry.key), QLatin1String(entry.english)));
    }
    // A flag is named after its language, as the language boxes show it.
    const QStringList &displayLanguages = catalogue.displayLanguageNames();
    for (int i = 0; i < displayLanguages.size(); ++i) {
        const QString language = catalogue.targetLanguageNames().value(
            LanguageCatalogue::targetIndexOfDisplayLanguage(i));
        label(window->findChild<QWidget *>(QStringLiteral("pushButton_") + displayLanguages.at(i)),
              table.displayText(language, language));
    }
}
