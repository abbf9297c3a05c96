#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "mainwindow/displaytexttable.h"
#include "mainwindow/endpoints.h"
#include "mainwindow/languagecatalogue.h"
#include "mainwindow/userdatafiles.h"
#include "translate/translationrun.h"

#include <QMainWindow>
#include <QString>

class QAction;
class DisplayLanguage;
class HistoryBrowser;
class TranslationHistory;
class LanguageSelection;
class LanguageSwap;
class OfflineMarks;
class QuickTranslateHotkey;
class RunDisplay;
class ServerSession;
class SystemTray;
class WebTranslator;

namespace Ui {
class MainWindow;
}

// The one window of the client: the form, and the glue between it and the
// objects that do the work (the server session, the translation run, the
// hotkey, the tray and the user's data files).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(const QString &localeName, QWidget *parent = nullptr,
                        const Endpoints &endpoints = Endpoints());
    ~MainWindow() override;

    // Shows the window in its normal state in front of the others.
    void bringForward();
    // Translates what is selected on the desktop, as the double tap does.
    void quickTranslate();

    // Read-only views for tests.
    const TranslationHistory &translationHistory() const;
    int currentTranslationLimit() const { return translationLimit; }
    int currentDisplayLanguage() const;
    SystemTray *systemTray() const { return tray; }
    QuickTranslateHotkey *quickTranslateHotkey() const { return hotkey; }
    LanguageSwap *languageSwap() const { return swap; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

public slots:
    void setStatus(bool newStatus);

private slots:
    void on_pushButton_clear_clicked();
    void firstHide();
    void HelpAction();

private:
    void saveLanguageSelection();

    void translateSourceText();
    void translateCapturedSelection(const QString &text);

    void retranslateFromTable();
    void takeDisplayTable(const QString &table);

    void replay(const QString &text, int from, int to, int displayLanguage);

    Ui::MainWindow *ui;
    UserDataFiles dataFiles;
    LanguageCatalogue catalogue;
    DisplayTextTable displayTexts;
    int translationLimit;
    // The welcome text last put into the source box, so that a reconnection
    // can tell it from text the user typed.
    QString lastWelcomeText;

    ServerSession *session;
    WebTranslator *webPage;
    TranslationRun *run;
    QuickTranslateHotkey *hotkey;
    LanguageSelection *selection;
    SystemTray *tray;
    DisplayLanguage *language;
    LanguageSwap *swap;
    HistoryBrowser *history;
    OfflineMarks *marks;
    RunDisplay *display;
};

#endif
