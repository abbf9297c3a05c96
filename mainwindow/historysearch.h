#ifndef HISTORYSEARCH_H
#define HISTORYSEARCH_H

#include <QObject>

class QCompleter;
class QLineEdit;
class QStandardItemModel;
class TranslationHistory;

// Finds an old translation by any words of its text: typing in the search
// field lists the kept entries that hold them, newest first, and choosing
// one hands its place in the history to the window to replay. Ctrl+F
// goes to the field.
class HistorySearch : public QObject
{
    Q_OBJECT

public:
    HistorySearch(QLineEdit *field, TranslationHistory &history, QObject *parent);

    // Takes the history's entries into the list; call after every change.
    void refresh();

signals:
    // The chosen entry, already the history's current one.
    void chosen(int index);

private:
    void focus();

    QLineEdit *field;
    TranslationHistory &history;
    QStandardItemModel *entries;
    QCompleter *completer;
};

#endif
