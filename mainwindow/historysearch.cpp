#include "mainwindow/historysearch.h"

#include "mainwindow/drawnicon.h"
#include "mainwindow/translationhistory.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QCompleter>
#include <QLineEdit>
#include <QShortcut>
#include <QStandardItemModel>
#include <QTimer>

namespace {

// Long texts are found by their whole text but listed by their start.
constexpr int shownLength = 120;

} // namespace

HistorySearch::HistorySearch(QLineEdit *searchField, TranslationHistory &translations,
                             QObject *parent)
    : QObject(parent), field(searchField), history(translations),
      entries(new QStandardItemModel(this)), completer(new QCompleter(entries, this))
{
    completer->setCompletionRole(Qt::UserRole);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setMaxVisibleItems(12);
    field->setCompleter(completer);
    // The toolkit's own clear button would read the icon theme for its icon.
    QAction *clear =
        field->addAction(DrawnIcon::icon(DrawnIcon::Shape::Clear), QLineEdit::TrailingPosition);
    clear->setEnabled(false);
    connect(clear, &QAction::triggered, field, &QLineEdit::clear);
    connect(field, &QLineEdit::textChanged, clear,
            [clear](const QString &text) { clear->setEnabled(!text.isEmpty()); });
    connect(completer, QOverload<const QModelIndex &>::of(&QCompleter::activated), this,
            [this](const QModelIndex &index) {
                const auto *proxy =
                    static_cast<QAbstractProxyModel *>(completer->completionModel());
                // Rows stand newest first.
                const int entry = history.size() - 1 - proxy->mapToSource(index).row();
                history.setPosition(entry);
                emit chosen(entry);
                // The completer writes the choice into the field after this.
                QTimer::singleShot(0, field, &QLineEdit::clear);
            });
    connect(new QShortcut(QKeySequence::Find, field->window()), &QShortcut::activated, this,
            &HistorySearch::focus);
    refresh();
}

void HistorySearch::refresh()
{
    entries->clear();
    for (int i = history.size() - 1; i >= 0; --i) {
        const QString text = history.text(i).simplified();
        auto *row = new QStandardItem(
            text.size() > shownLength ? text.left(shownLength) + QChar(0x2026) : text);
        row->setData(text, Qt::UserRole);
        entries->appendRow(row);
    }
}

void HistorySearch::focus()
{
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
}
