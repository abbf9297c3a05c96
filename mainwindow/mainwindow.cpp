#include "mainwindow/mainwindow.h"

#include "mainwindow/flagbuttons.h"
#include "mainwindow/offlinemarks.h"
#include "mainwindow/quicktranslatehotkey.h"
#include "mainwindow/runindicator.h"
#include "mainwindow/systemtray.h"
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
#include <QTimer>

namespace {

constexpr int firstFocusDelayMs = 500;

} // namespace

MainWindow::MainWindow(const QString &localeName, QWidget *parent, const Endpoints &endpoints)
    : QMainWindow(parent), ui(new Ui::MainWindow), translationLimit(ServerAnswer::defaultLimit),
      session(new ServerSession(endpoints.serverHost, endpoints.serverPort.toUShort(), this)),
      webPage(new WebTranslator(endpoints.webPage, this)),
      run(new TranslationRun(webPage, session, this)), hotkey(new QuickTranslateHotkey(this)),
      tray(nullptr), flags(nullptr)
{
    Q_INIT_RESOURCE(resources);
    ui->setupUi(this);
    webPage->setTimeout(endpoints.webTimeoutMs);
    run->setServerTimeout(endpoints.serverTimeoutMs);
    run->pageHealth()->setProbeInterval(endpoints.pageProbeMs);
    if (endpoints.startServer)
        new ServerStarter(session, this);
    dataFiles.loadDisplayTable(&displayTexts);
    // Before the link-up handler, so that the server hears of the pair before
    // the welcome text.
    marks = new OfflineMarks(session, ui->comboBoxFrom, ui->comboBoxTo, catalogue, this);
    indicator =
        new RunIndicator(this, ui->comboBoxFrom, ui->comboBoxTo, catalogue, displayTexts, session);

    flags = new FlagButtons({ui->pushButton_English, ui->pushButton_Chinese, ui->pushButton_Czech,
                             ui->pushButton_French, ui->pushButton_German, ui->pushButton_Italian,
                             ui->pushButton_Japanese, ui->pushButton_Polish, ui->pushButton_Russian,
                             ui->pushButton_Slovak, ui->pushButton_Spanish},
                            this);
    connect(flags, &FlagButtons::clicked, this, &MainWindow::flagClicked);

    auto *helpMenu = new QMenu(this);
    QAction *helpAction = helpMenu->addAction(QString());
    ui->toolButton->setMenu(helpMenu);
    connect(helpAction, &QAction::triggered, this, &MainWindow::HelpAction);

    const QIcon icon(QStringLiteral(":/image/image/quillora.png"));
    setWindowIcon(icon);
    tray = new SystemTray(this, icon);

    loadLanguageCatalogue(localeName);
    retranslateFromTable();

    connect(session, &ServerSession::linkChanged, this, &MainWindow::setStatus);
    connect(session, &ServerSession::displayTableArrived, this, &MainWindow::takeDisplayTable);
    connect(session, &ServerSession::limitArrived, this,
            [this](int limit) { translationLimit = limit; });
    connect(session, &ServerSession::versionMismatched, ui->plainTextEdit_translate,
            &QPlainTextEdit::clear);
    connect(run, &TranslationRun::finished, this, &MainWindow::showTranslation);
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
    tray->icon()->setVisible(true);
    hide();
    event->ignore();
}

void MainWindow::showEvent(QShowEvent *event)
{
    tray->icon()->hide();
    QMainWindow::showEvent(event);
}

void MainWindow::bringForward()
{
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::firstHide()
{
    ui->plainTextEdit_source->setFocus(Qt::OtherFocusReason);
}

// Languages and the stored selection

void MainWindow::loadLanguageCatalogue(const QString &localeName)
{
    ui->comboBoxFrom->addItems(catalogue.sourceLanguageNames());
    ui->comboBoxTo->addItems(catalogue.targetLanguageNames());
    ui->comboBoxTo->setCurrentIndex(catalogue.defaultTargetIndex(localeName));

    LanguageCatalogue::Selection stored;
    const bool restored = dataFiles.readSelection(&stored);
    if (restored && stored.displayLanguage >= 1 &&
        stored.displayLanguage < catalogue.displayLanguageNames().size())
        displayLanguageIndex = stored.displayLanguage;
    flags->choose(displayLanguageIndex);
    if (!restored || (stored.source == 0 && stored.target == 0))
        return;
    if (stored.source >= 0 && stored.source < ui->comboBoxFrom->count())
        ui->comboBoxFrom->setCurrentIndex(stored.source);
    if (stored.target >= 0 && stored.target < ui->comboBoxTo->count())
        ui->comboBoxTo->setCurrentIndex(stored.target);
}

void MainWindow::saveLanguageSelection()
{
    dataFiles.writeSelection(
        {displayLanguageIndex, ui->comboBoxFrom->currentIndex(), ui->comboBoxTo->currentIndex()});
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

void MainWindow::translateSourceText(bool greetingRun)
{
    greeting = greetingRun;
    const QString source = ui->plainTextEdit_source->toPlainText();
    const QString text = TextPieces::cutToLimit(source, translationLimit);
    indicator->started(text.size(), source.size());
    history.recordTranslation(text, ui->comboBoxFrom->currentIndex(),
                              ui->comboBoxTo->currentIndex(), displayLanguageIndex);
    run->start({catalogue.sourceLanguageCodes().value(ui->comboBoxFrom->currentIndex()),
                catalogue.targetLanguageCodes().value(ui->comboBoxTo->currentIndex()), text});
}

void MainWindow::showTranslation(const QString &result, TranslationRun::Origin origin)
{
    // The server's answer for a pair it said it cannot translate is a notice.
    if (origin == TranslationRun::Origin::Server &&
        !marks->mayTranslateOffline(run->request().source, run->request().target))
        origin = TranslationRun::Origin::Nowhere;
    // A greeting is better shown as it is than as a failure.
    const bool untranslated = greeting && origin == TranslationRun::Origin::Nowhere;
    ui->plainTextEdit_translate->setPlainText(untranslated ? lastWelcomeText : result);
    indicator->finished(origin);
    greeting = false;
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
    announceDisplayLanguage(displayLanguageIndex);
    flags->choose(displayLanguageIndex);
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
    marks->retranslate(displayTexts);
    tray->retranslate(displayTexts, windowTitle());
}

void MainWindow::takeDisplayTable(const QString &table)
{
    dataFiles.storeDisplayTable(table, &displayTexts);
    retranslateFromTable();
}

void MainWindow::announceDisplayLanguage(int index)
{
    session->announceDisplayLanguage(catalogue.displayLanguageNames().value(index));
}

void MainWindow::flagClicked(int index)
{
    // The flag of the current language, clicked again, makes that language
    // the target.
    if (index == displayLanguageIndex)
        ui->comboBoxTo->setCurrentIndex(LanguageCatalogue::targetIndexOfDisplayLanguage(index));
    displayLanguageIndex = index;
    saveLanguageSelection();
    announceDisplayLanguage(index);
    flags->choose(index);
}

void MainWindow::HelpAction()
{
    lastWelcomeText = displayTexts.welcomeText();
    ui->plainTextEdit_source->setPlainText(lastWelcomeText);
    translateSourceText(true);
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
    const int displayLanguage = history.displayLanguage(position);
    announceDisplayLanguage(displayLanguage);
    flags->choose(displayLanguage);
    ui->plainTextEdit_source->setPlainText(history.text(position));
    history.setBrowsing(true);
    translateSourceText();
}
