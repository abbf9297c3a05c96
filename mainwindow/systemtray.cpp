#include "mainwindow/systemtray.h"

#include "mainwindow/displaytexttable.h"
#include "mainwindow/picturebuttons.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

SystemTray::SystemTray(QWidget *mainWindow)
    : QObject(mainWindow), window(mainWindow),
      restoreAction(new QAction(tr("&Restore      "), mainWindow)),
      quitAction(new QAction(tr("&Quit      "), mainWindow)), trayIconMenu(new QMenu(mainWindow))
{
    trayIconMenu->addAction(restoreAction);
    trayIconMenu->addAction(quitAction);
    connect(restoreAction, &QAction::triggered, window, &QWidget::showNormal);
    connect(quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);
    // The window is drawn without its icon, so the icon is read once the
    // event loop runs, after the window is on screen.
    QTimer::singleShot(0, this, [this] { window->setWindowIcon(programIcon()); });
}

const QIcon &SystemTray::programIcon()
{
    if (iconImage.isNull())
        iconImage =
            QIcon(PictureButtons::readPicture(QStringLiteral(":/image/image/quillora.png")));
    return iconImage;
}

QSystemTrayIcon *SystemTray::icon()
{
    if (trayIcon == nullptr) {
        trayIcon = new QSystemTrayIcon(programIcon(), window);
        trayIcon->setContextMenu(trayIconMenu);
        trayIcon->setToolTip(iconToolTip);
        connect(trayIcon, &QSystemTrayIcon::activated, this, &SystemTray::iconActivated);
    }
    return trayIcon;
}

void SystemTray::hide()
{
    if (trayIcon != nullptr)
        trayIcon->hide();
}

void SystemTray::windowClosing(QCloseEvent *event)
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        event->accept();
        QCoreApplication::quit();
        return;
    }
    icon()->setVisible(true);
    window->hide();
    event->ignore();
}

void SystemTray::retranslate(const DisplayTextTable &texts, const QString &toolTip)
{
    restoreAction->setText(texts.displayText(QStringLiteral("restore"), tr("&Restore      ")));
    quitAction->setText(texts.displayText(QStringLiteral("quit"), tr("&Quit      ")));
    iconToolTip = toolTip;
    if (trayIcon != nullptr)
        trayIcon->setToolTip(toolTip);
}

void SystemTray::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        window->showNormal();
}
