#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "mainwindow/displaytexttable.h"
#include "mainwindow/endpoints.h"
#include "mainwindow/languagecatalogue.h"
#include "mainwindow/translationhistory.h"
#include "translate/webtranslator.h"

#include <QAbstractSocket>
#include <QMainWindow>
#include <QString>
#include <QSystemTrayIcon>
#include <QVector>

#include <memory>

class ClientStuff;
class KeyboardHook;
class QAction;
class QMenu;
class QPushButton;
class WaitingSpinnerWidget;

namespace Ui {
class MainWindow;
}

// The one window of the client and the hub that owns everything else: the
// form, the server link, the spinner, the tray icon and the hotkey. Its slots
// are the program's actions and stay thin: the rules live in the plain
// classes they call.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(const QString &localeName, QWidget *parent = nullptr,
                        const Endpoints &endpoints = Endpoints());
    ~MainWindow() override;

    // Frames `text` and writes it to the server link as it is at the moment.
    void sendMessage(const QString &text);

    // Called by the hotkey back end for every clean tap of the left Ctrl key.
    void leftControlReleased();

    // Shows the window in its normal state in front of the others.
    void bringForward();

    // Read-only views and timing seams for tests; the program never uses them.
    const TranslationHistory &translationHistory() const { return history; }
    const DisplayTextTable &displayTextTable() const { return displayTexts; }
    int currentTranslationLimit() const { return translationLimit; }
    int currentDisplayLanguage() const { return displayLanguageIndex; }
    int pendingControlReleases() const { return ctrlReleaseCount; }
    ClientStuff *channel() const { return client; }
    QSystemTrayIcon *systemTrayIcon() const { return trayIcon; }
    void setReconnectInterval(int milliseconds);
    void setWebTimeout(int milliseconds) { webTranslator.setTimeout(milliseconds); }

protected:
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

public slots:
    void setStatus(bool newStatus);
    void receivedSomething(QString msg);
    void gotError(QAbstractSocket::SocketError err);

private slots:
    void on_pushButton_translate_clicked();
    void on_pushButton_connect_clicked();
    void on_pushButton_disconnect_clicked();
    void on_pushButton_clear_clicked();
    void doKeyProcess();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);
    void firstHide();
    void on_comboBoxFrom_activated(int);
    void on_comboBoxTo_activated(int);
    void on_pushButton_English_clicked();
    void on_pushButton_Chinese_clicked();
    void on_pushButton_Czech_clicked();
    void on_pushButton_French_clicked();
    void on_pushButton_German_clicked();
    void on_pushButton_Italian_clicked();
    void on_pushButton_Japanese_clicked();
    void on_pushButton_Polish_clicked();
    void on_pushButton_Russian_clicked();
    void on_pushButton_Slovak_clicked();
    void on_pushButton_Spanish_clicked();
    void HelpAction();
    void on_pushButton_prev_clicked();
    void on_pushButton_next_clicked();
    void on_pushButton_play_clicked();

private:
    QString dataFilePath(const QString &fileName) const;
    void buildHelpMenu();
    void buildTrayActions();
    void buildTray();

    void loadLanguageCatalogue(const QString &localeName);
    void saveLanguageSelection();

    void translateSourceText();
    // Tells the user when a text was longer than one translation takes.
    void showCutNotice(int translated, int total);
    QString fetchTranslation(const QString &piece, const QString &sourceCode,
                             const QString &targetCode);

    QString displayText(const QString &key, const QString &fallback) const;
    void retranslateFromTable();
    void reloadDisplayTextTable(const QString &file);
    void changeDisplayLanguage(int index);
    void resizeFlagButtons(int index);
    void flagClicked(int index);
    QString welcomeText() const;
    void announceDisplayLanguage(int index);

    void replayHistoryEntry(int position);

    Ui::MainWindow *ui;
    ClientStuff *client;
    WaitingSpinnerWidget *spinner;
    LanguageCatalogue catalogue;
    std::unique_ptr<KeyboardHook> keyboardHook;
    int ctrlReleaseCount = 0;
    QAction *restoreAction = nullptr;
    QAction *quitAction = nullptr;
    QSystemTrayIcon *trayIcon = nullptr;
    QMenu *trayIconMenu = nullptr;
    DisplayTextTable displayTexts;
    int reconnectTimerId = 0;
    int displayLanguageIndex = -1;
    int translationLimit = 50000;
    TranslationHistory history;

    QMenu *helpMenu = nullptr;
    QAction *helpAction = nullptr;
    QVector<QPushButton *> flagButtons;
    // The welcome text last put into the source box, so that a reconnection
    // can tell it from text the user typed.
    QString lastWelcomeText;
    const Endpoints endpoints;
    WebTranslator webTranslator;
    QString dataDirectory;
};

#endif
