#include "mainwindow/mainwindow.h"

#include "dictionary/dictionarypanel.h"
#include "mainwindow/displaylanguage.h"
#include "mainwindow/historybrowser.h"
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
      selection(nullptr), tray(nullptr), language(nullptr), swap(nullptr), history(nullptr)
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
    for (QComboBox *box : {ui->comboBoxFrom, ui->comboBoxTo})
        connect(box, QOverload<int>::of(&QComboBox::activated), this,
                &MainWindow::saveLanguageSelection);
    for (QPushButton *button : {ui->pushButton_translate, ui->pushButton_play})
        connect(button, &QPushButton::clicked, this, &MainWindow::translateSourceText);

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
    WindowPlacement::restore(this, dataFiles.path(placementFile));
    swap = new LanguageSwap({ui->pushButton_swap, ui->comboBoxFrom, ui->comboBoxTo,
                             ui->plainTextEdit_source, ui->plainTextEdit_translate,
                             ui->label_detected},
                            catalogue, displayTexts, this);
    connect(swap, &LanguageSwap::swapped, this, &MainWindow::saveLanguageSelection);
    connect(run, &TranslationRun::languageDetected, swap, &LanguageSwap::setDetectedLanguage);
    new ResultCopier(ui->pushButton_copy, ui->plainTextEdit_translate, statusBar(), displayTexts,
                     this);
    history = new HistoryBrowser({ui->pushButton_prev, ui->pushButton_next, ui->lineEdit_history},
                                 dataFiles.path(historyFile), this);
    connect(history, &HistoryBrowser::replay, this, &MainWindow::replay);
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
    WindowPlacement::save(this, dataFiles.path(placementFile));
    tray->windowClosing(event);
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

const TranslationHistory &MainWindow::translationHistory() const
{
    return history->entries();
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

// Translating

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
    if (text != lastWelcomeText)
        history->record(text, ui->comboBoxFrom->currentIndex(), ui->comboBoxTo->currentIndex(),
                        language->index());
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

void MainWindow::replay(const QString &text, int from, int to, int displayLanguage)
{
    ui->comboBoxFrom->setCurrentIndex(from);
    ui->comboBoxTo->setCurrentIndex(to);
    // The interface follows the entry, and so does the flag that counts as
    // the current one.
    language->follow(displayLanguage);
    ui->plainTextEdit_source->setPlainText(text);
    translateSourceText();
}
