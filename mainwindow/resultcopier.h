#ifndef RESULTCOPIER_H
#define RESULTCOPIER_H

#include <QObject>

class DisplayTextTable;
class QAbstractButton;
class QPlainTextEdit;
class QStatusBar;

// Puts the whole translation on the clipboard with one click and says so
// for a moment in the status line; there is nothing to copy from an empty
// result box.
class ResultCopier : public QObject
{
    Q_OBJECT

public:
    static constexpr int noticeMs = 3000;

    ResultCopier(QAbstractButton *button, QPlainTextEdit *result, QStatusBar *statusBar,
                 const DisplayTextTable &texts, QObject *parent);

public slots:
    void copy();

private:
    QPlainTextEdit *result;
    QStatusBar *statusBar;
    const DisplayTextTable &texts;
};

#endif
