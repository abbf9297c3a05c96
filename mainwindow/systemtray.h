#ifndef SYSTEMTRAY_H
#define SYSTEMTRAY_H

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

class DisplayTextTable;
class QCloseEvent;
class QAction;
class QMenu;
class QWidget;

// The tray icon that stands in for the window while it is hidden, with its
// menu: Restore brings the window back, Quit ends the program. The program's
// icon, which the tray shows, is the window's icon as well.
class SystemTray : public QObject
{
    Q_OBJECT

public:
    explicit SystemTray(QWidget *window);

    // The tray icon, made by the first call: making one asks the desktop for
    // its tray, over D-Bus where there is one, and waits for the answer.
    QSystemTrayIcon *icon();
    // Takes the icon out of the tray, where it was ever put there.
    void hide();
    // Closing the window hides it to the tray. Without a tray there would be
    // no way back to a hidden window and no Quit, so closing it ends the
    // program.
    void windowClosing(QCloseEvent *event);
    void retranslate(const DisplayTextTable &texts, const QString &toolTip);

public slots:
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

private:
    const QIcon &programIcon();

    QWidget *window;
    QAction *restoreAction;
    QAction *quitAction;
    QMenu *trayIconMenu;
    QSystemTrayIcon *trayIcon = nullptr;
    QIcon iconImage;
    QString iconToolTip;
};

#endif
