#include "mainwindow/mainwindow.h"

#include "dictionary/dictionarypanel.h"
#include "mainwindow/displaylanguage.h"
#include "mainwindow/historysearch.h"
#include "mainwindow/languageselection.h"
#include "mainwindow/languageswap.h"
#include "mainwindow/listenbuttons.h"
#include "mainwindow/offlinemarks.h"
#include "mainwindow/picturebuttons.h"
#include "mainwindow/quicktranslatehotkey.h"
#include "mainwindow/resultcopier.h"
#include "mainwindow/rundisplay.h"
#include "mainwindow/systemtray.h"
#include "mainwindow/windowplacement.h"
#include "mainwindow/windowtexts.h"
#include "net/serversession.h"
#include "net/serverstarter.h"
#include "protocol/serveranswer.h"
#include "translate/pagehealth.h"
#include "translate/textpieces.h"
#include "translate/webtranslator.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

namespace {
constexpr int firstFocusDelayMs = 500;
const QString historyFile = QStringLiteral("history.json");
const QString placementFile = QStringLiteral("window.dat");
} // namespace

MainWindow::MainWindow(const QString &localeName, QWidget *parent, const Endpoints &endpoints)
    : QMainWindow(parent), ui(new Ui::MainWindow), translationLimit(ServerAnswer::defaultLimit),
      session(new ServerSession(endpoints.serverHost, endpoints.serverPort.toUShort(), this)),
      webPage(new WebTranslator(endpoints.webPage, this)),
      run(new TranslationRun(webPage, session, this)), hotkey(new QuickTranslateHotkey(this)),
      selection(nullptr), tray(nullptr), language(nullptr), swap(nullptr), historySearch(nullptr)
{
    Q_INIT_RESOURCE(resources);
    ui->setupUi(this);
    new PictureButtons(this);
    webPage->setTimeout(endpoints.webTimeoutMs);
    run->setServerTimeout(endpoints.serverTimeoutMs);
    run->pageHealth()->setProbeInterval(endpoints.pageProbeMs);
    if (endpoints.startServer)
        new ServerStarter(session, this);
    dataFiles.loadDisplayTable(&displayTexts);
    selection = new LanguageSelection(ui->comboBoxFrom, ui->comboBoxTo, catalogue, dataFiles);
    // Before the link-up handler: the server hears of the pair before the welcome text.
    marks = new OfflineMarks(session, ui->comboBoxFrom, ui->comboBoxTo, catalogue, this);

    language = new DisplayLanguage(this, ui->comboBoxTo, session, catalogue);
    connect(language, &DisplayLanguage::chosen, this, &MainWindow::saveLanguageSelection);

    display = new RunDisplay({this, ui->plainTextEdit_translate, ui->comboBoxFrom, ui->comboBoxTo},
                             catalogue, displayTexts, run, marks);
    new DictionaryPanel(endpoints, run, ui->gridLayout);
    new ListenButtons(ui, catalogue, displayTexts, endpoints.speechEngine, session, this);

    auto *helpMenu = new QMenu(this);
    QAction *helpAction = helpMenu->addAction(QString());
    ui->toolButton->setMenu(helpMenu);
    connect(helpAction, &QAction::triggered, this, &MainWindow::HelpAction);

    tray = new SystemTray(this);

    language->show(selection->restore(localeName));
    history.load(dataFiles.path(historyFile));
    WindowPlacement::restore(this, dataFiles.path(placementFile));
    swap = new LanguageSwap({ui->pushButton_swap, ui->comboBoxFrom, ui->comboBoxTo,
                             ui->plainTextEdit_source, ui->plainTextEdit_translate,
                             ui->label_detected},
                            catalogue, displayTexts, this);
    connect(swap, &LanguageSwap::swapped, this, &MainWindow::saveLanguageSelection);
    connect(run, &TranslationRun::languageDetected, swap, &LanguageSwap::setDetectedLanguage);
    new ResultCopier(ui->pushButton_copy, ui->plainTextEdit_translate, statusBar(), displayTexts,
                     this);
    historySearch = new HistorySearch(ui->lineEdit_history, history, this);
    connect(historySearch, &HistorySearch::chosen, this, &MainWindow::replayHistoryEntry);
    retranslateFromTable();

    connect(session, &ServerSession::linkChanged, this, &MainWindow::setStatus);
    connect(session, &ServerSession::displayTableArrived, this, &MainWindow::takeDisplayTable);
    connect(session, &ServerSession::limitArrived, this,
            [this](int limit) { translationLimit = limit; });
    connect(session, &ServerSession::foreignServerRefused, this,
            [this] { statusBar()->showMessage(WindowTexts::foreignServerNotice(displayTexts)); });
    connect(session, &ServerSession::versionMismatched, ui->plainTextEdit_translate,
            &QPlainTextEdit::clear);
    connect(hotkey, &QuickTranslateHotkey::selectionCaptured, this,
            &MainWindow::translateCapturedSelection);
    // The keyboard does exactly what the Translate button does, and nothing
    // while it is disabled.
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL + Qt::Key_Return), QKeySequence(Qt::CTRL + Qt::Key_Enter)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, ui->pushButton_translate,
                &QPushButton::click);
    }
    session->start();

    QTimer::singleShot(firstFocusDelayMs, this, &MainWindow::firstHide);
}

MainWindow::~MainWindow()
{
    WindowPlacement::save(this, dataFiles.path(placementFile));
    delete selection;
    delete ui;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Without a tray there would be no way back to a hidden window, and no Quit.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        event->accept();
        QCoreApplication::quit();
        return;
    }
    WindowPlacement::save(this, dataFiles.path(placementFile));
    tray->icon()->setVisible(true);
    hide();
    event->ignore();
}

void MainWindow::showEvent(QShowEvent *event)
{
    tray->hide();
    QMainWindow::showEvent(event);
}

void MainWindow::bringForward()
{
    showNormal();
    raise();
    activateWindow();
}

int MainWindow::currentDisplayLanguage() const
{
    return language->index();
}

void MainWindow::quickTranslate()
{
    hotkey->captureSelection();
}

void MainWindow::firstHide()
{
    ui->plainTextEdit_source->setFocus(Qt::OtherFocusReason);
}

// Languages and the stored selection

void MainWindow::saveLanguageSelection()
{
    selection->save(language->index());
}

void MainWindow::on_comboBoxFrom_activated(int)
{
    saveLanguageSelection();
}

void MainWindow::on_comboBoxTo_activated(int)
{
    saveLanguageSelection();
}

// Translating

void MainWindow::on_pushButton_translate_clicked()
{
    translateSourceText();
}

void MainWindow::on_pushButton_play_clicked()
{
    translateSourceText();
}

void MainWindow::on_pushButton_clear_clicked()
{
    ui->plainTextEdit_source->clear();
    ui->plainTextEdit_translate->clear();
}

void MainWindow::translateSourceText()
{
    const QString source = ui->plainTextEdit_source->toPlainText();
    const QString text = TextPieces::cutToLimit(source, translationLimit);
    display->started(text.size(), source.size(), source == lastWelcomeText);
    // The welcome text is always at hand through Help.
    if (text != lastWelcomeText &&
        history.recordTranslation(text, ui->comboBoxFrom->currentIndex(),
                                  ui->comboBoxTo->currentIndex(), language->index())) {
        history.save(dataFiles.path(historyFile));
        historySearch->refresh();
    }
    swap->setDetectedLanguage(QString());
    run->start({catalogue.sourceLanguageCodes().value(ui->comboBoxFrom->currentIndex()),
                catalogue.targetLanguageCodes().value(ui->comboBoxTo->currentIndex()), text});
}

void MainWindow::translateCapturedSelection(const QString &text)
{
    showNormal();
    activateWindow();
    ui->plainTextEdit_source->setFocus(Qt::OtherFocusReason);
    ui->plainTextEdit_source->setPlainText(text);
    translateSourceText();
}

// The server link

void MainWindow::setStatus(bool newStatus)
{
    if (!newStatus)
        return;
    ui->pushButton_translate->setEnabled(true);
    saveLanguageSelection();
    language->announce();
    session->requestLimit();

    // A link that comes back must not throw away what the user has typed.
    const QString source = ui->plainTextEdit_source->toPlainText();
    if (source.isEmpty() || source == lastWelcomeText || source == displayTexts.welcomeText())
        HelpAction();
}

// Display language and the text table

void MainWindow::retranslateFromTable()
{
    WindowTexts::apply(this, displayTexts, catalogue);
    swap->relabel();
    marks->retranslate(displayTexts);
    tray->retranslate(displayTexts, windowTitle());
}

void MainWindow::takeDisplayTable(const QString &table)
{
    dataFiles.storeDisplayTable(table, &displayTexts);
    retranslateFromTable();
}

void MainWindow::HelpAction()
{
    lastWelcomeText = displayTexts.welcomeText();
    ui->plainTextEdit_source->setPlainText(lastWelcomeText);
    translateSourceText();
}

// History

void MainWindow::on_pushButton_prev_clicked()
{
    if (history.stepBack())
        replayHistoryEntry(history.position());
}

void MainWindow::on_pushButton_next_clicked()
{
    if (history.stepForward())
        replayHistoryEntry(history.position());
}

void MainWindow::replayHistoryEntry(int position)
{
    ui->comboBoxFrom->setCurrentIndex(history.from(position));
    ui->comboBoxTo->setCurrentIndex(history.to(position));
    // The interface follows the entry, and so does the flag that counts as
    // the current one.
    language->follow(history.displayLanguage(position));
    ui->plainTextEdit_source->setPlainText(history.text(position));
    history.setBrowsing(true);
    translateSourceText();
}
