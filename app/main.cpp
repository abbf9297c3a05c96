#include "app/fontwarmup.h"
#include "app/singleinstance.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QInputMethod>
#include <QLocale>

int main(int argc, char *argv[])
{
    // Everything is drawn in software. Left alone, the X platform sets up
    // OpenGL for the first window, which is half of the work before the
    // window first shows.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    FontWarmUp fonts;
    QApplication application(argc, argv);

    SingleInstance instance;
    if (!instance.acquire()) {
        instance.askRunningCopyToShow();
        return 0;
    }

    fonts.wait();
    const QString localeName = QGuiApplication::inputMethod()->locale().name();
    MainWindow window(localeName);
    QObject::connect(&instance, &SingleInstance::showRequested, &window, &MainWindow::bringForward);
    window.show();
    return application.exec();
}
