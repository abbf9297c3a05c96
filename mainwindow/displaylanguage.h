#ifndef DISPLAYLANGUAGE_H
#define DISPLAYLANGUAGE_H

#include <QObject>

class FlagButtons;
class LanguageCatalogue;
class QComboBox;
class QWidget;
class ServerSession;

// The language the interface shows: picked with the flags, told to the
// server (which answers with its texts), and followed by history steps. The
// flag of the current language, clicked again, makes that language the
// translation target.
class DisplayLanguage : public QObject
{
    Q_OBJECT

public:
    DisplayLanguage(QWidget *window, QComboBox *targetBox, ServerSession *serverSession,
                    const LanguageCatalogue &languages);

    int index() const { return current; }
    // Makes `index` current and checks its flag, without telling the server.
    void show(int index);
    // Tells the server the current language and checks its flag.
    void announce();
    // Makes `index` current and tells the server.
    void follow(int index);

signals:
    // A flag was clicked; the choice is to be stored.
    void chosen();

private:
    void flagClicked(int index);

    FlagButtons *flags;
    QComboBox *target;
    ServerSession *session;
    const LanguageCatalogue &catalogue;
    int current = 0;
};

#endif
