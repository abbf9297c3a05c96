#include "app/singleinstance.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QInputMethod>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);

    SingleInstance instance;
    if (!instance.acquire()) {
        instance.askRunningCopyToShow();
        return 0;
    }

    const QString localeName = QGuiApplication::inputMethod()->locale().name();
    MainWindow window(localeName);
    QObject::connect(&instance, &SingleInstance::showRequested, &window, &MainWindow::bringForward);
    window.show();
    return application.exec();
}
