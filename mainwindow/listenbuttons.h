#ifndef LISTENBUTTONS_H
#define LISTENBUTTONS_H

#include <QObject>
#include <QStringList>

class DisplayTextTable;
class LanguageCatalogue;
class QAbstractButton;
class QComboBox;
class QPlainTextEdit;
class ServerSession;
class Speaker;

namespace Ui {
class MainWindow;
}

// The listen button beside each text box: reads the box aloud in the
// language of its language box, and stops on a second press. A button is
// unavailable while no voice speaks that language, and its tool tip says so.
class ListenButtons : public QObject
{
    Q_OBJECT

public:
    struct Side
    {
        QAbstractButton *button;
        QPlainTextEdit *text;
        QComboBox *language;
        // The codes of the language box's items, in order.
        QStringList codes;
    };

    ListenButtons(Speaker *speaker, const DisplayTextTable &texts, const Side &source,
                  const Side &result, QObject *parent = nullptr);
    // The window's two buttons, with a speaker of their own, relabelled
    // once the window has taken a display table from the session.
    ListenButtons(Ui::MainWindow *form, const LanguageCatalogue &catalogue,
                  const DisplayTextTable &texts, const QString &speechEngine,
                  ServerSession *session, QObject *parent = nullptr);

    // Names, tool tips, icons and availability from the current state.
    void refresh();

private:
    Speaker *speaker;
    const DisplayTextTable &table;
    Side sides[2];
};

#endif
