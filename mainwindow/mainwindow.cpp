#include "mainwindow/mainwindow.h"

#include "mainwindow/flagbuttons.h"
#include "mainwindow/picturebuttons.h"
#include "mainwindow/quicktranslatehotkey.h"
#include "mainwindow/systemtray.h"
#include "mainwindow/windowtexts.h"
#include "net/serversession.h"
#include "protocol/serveranswer.h"
#include "translate/textpieces.h"
#include "translate/webtranslator.h"
#include "ui_mainwindow.h"
#include "widgets/waitingspinnerwidget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

namespace {

constexpr int firstFocusDelayMs = 500;

} // namespace

MainWindow::MainWindow(const QString &localeName, QWidget *parent, const Endpoints &endpoints)
    : QMainWindow(parent), ui(new Ui::MainWindow),
      translationLimit(ServerAnswer::defaultLimit),
      session(new ServerSession(endpoints.serverHost, endpoints.serverPort.toUShort(), this)),
      webPage(new WebTranslator(endpoints.webPage, this)),
      run(new TranslationRun(webPage, session, this)), hotkey(new QuickTranslateHotkey(this)),
      tray(nullptr), spinner(nullptr), flags(nullptr)
{
    Q_INIT_RESOURCE(resources);
    ui->setupUi(this);
    new PictureButtons(this);
    webPage->setTimeout(endpoints.webTimeoutMs);
    run->setServerTimeout(endpoints.serverTimeoutMs);
    dataFiles.loadDisplayTable(&displayTexts);

    flags = new FlagButtons({ui->pushButton_English, ui->pushButton_Chinese, ui->pushButton_Czech,
                             ui->pushButton_French, ui->pushButton_German, ui->pushButton_Italian,
                             ui->pushButton_Japanese, ui->pushButton_Polish, ui->pushButton_Russian,
                             ui->pushButton_Slovak, ui->pushButton_Spanish},
                            this);
    connect(flags, &FlagButtons::clicked, this, &MainWindow::flagClicked);

    spinner = new WaitingSpinnerWidget(this, true, false);
    spinner->setRoundness(70);
    spinner->setMinimumTrailOpacity(15);
    spinner->setTrailFadePercentage(70);
    spinner->setLineCount(12);
    spinner->setLineLength(10);
    spinner->setLineWidth(5);
    spinner->setInnerRadius(10);
    spinner->setRevolutionsPerSecond(1);
    spinner->setColor(QColor(81, 4, 71, 255));

    auto *helpMenu = new QMenu(this);
    QAction *helpAction = helpMenu->addAction(QString());
    ui->toolButton->setMenu(helpMenu);
    connect(helpAction, &QAction::triggered, this, &MainWindow::HelpAction);

    tray = new SystemTray(this);

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
    tray->hide();
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

void MainWindow::translateSourceText()
{
    const QString source = ui->plainTextEdit_source->toPlainText();
    const QString text = TextPieces::cutToLimit(source, translationLimit);
    showCutNotice(text.size(), source.size());
    history.recordTranslation(text, ui->comboBoxFrom->currentIndex(),
                              ui->comboBoxTo->currentIndex(), displayLanguageIndex);
    spinner->start();
    run->start({catalogue.sourceLanguageCodes().value(ui->comboBoxFrom->currentIndex()),
                catalogue.targetLanguageCodes().value(ui->comboBoxTo->currentIndex()), text});
}

void MainWindow::showTranslation(const QString &result)
{
    ui->plainTextEdit_translate->setPlainText(result);
    spinner->stop();
}

void MainWindow::showCutNotice(int translated, int total)
{
    if (translated < total) {
        statusBar()->showMessage(
            displayTexts
                .displayText(QStringLiteral("cut_notice"),
                             QStringLiteral("Only the first %1 of %2 characters were translated."))
                .arg(translated)
                .arg(total));
    } else if (QStatusBar *bar = findChild<QStatusBar *>()) {
        bar->clearMessage();
    }
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
    const int displayLanguage = history.displayLanguage(position);
    announceDisplayLanguage(displayLanguage);
    flags->choose(displayLanguage);
    ui->plainTextEdit_source->setPlainText(history.text(position));
    history.setBrowsing(true);
    translateSourceText();
}
