#include "mainwindow/mainwindow.h"

#include "mainwindow/accessiblelabels.h"
#include "mainwindow/textpieces.h"
#include "net/clientstuff.h"
#include "protocol/framecodec.h"
#include "protocol/servervocabulary.h"
#include "platform/keyboardhook.h"
#include "ui_mainwindow.h"
#include "widgets/waitingspinnerwidget.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPalette>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace {

constexpr int defaultTranslationLimit = 50000;
constexpr int reconnectPeriodMs = 3500;
constexpr int firstFocusDelayMs = 500;
constexpr int hotkeyWindowMs = 500;
constexpr int clipboardSettleMs = 500;
const QSize flagSize(50, 30);
const QSize chosenFlagSize(70, 42);

} // namespace

MainWindow::MainWindow(const QString &localeName, QWidget *parent, const Endpoints &endpoints)
    : QMainWindow(parent), ui(new Ui::MainWindow), endpoints(endpoints),
      webTranslator(endpoints.webPage)
{
    Q_INIT_RESOURCE(resources);
    ui->setupUi(this);
    flagButtons = {ui->pushButton_English,  ui->pushButton_Chinese, ui->pushButton_Czech,
                   ui->pushButton_French,   ui->pushButton_German,  ui->pushButton_Italian,
                   ui->pushButton_Japanese, ui->pushButton_Polish,  ui->pushButton_Russian,
                   ui->pushButton_Slovak,   ui->pushButton_Spanish};

    displayTexts.clear();
    dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // The parent folders are missing on a fresh account too.
    if (!QDir(dataDirectory).exists())
        QDir().mkpath(dataDirectory);
    displayTexts.loadAtStartup(dataFilePath(QStringLiteral("config.txt")));

    ui->pushButton_disconnect->hide();
    ui->pushButton_connect->hide();
    ui->label_ip->hide();
    ui->label_port->hide();
    ui->lineEdit_ip->hide();
    ui->lineEdit_port->hide();
    ui->label_arrow->hide();

    client = new ClientStuff();
    spinner = new WaitingSpinnerWidget(this, true, false);

    keyboardHook = KeyboardHook::install([this] { leftControlReleased(); });

    translationLimit = defaultTranslationLimit;
    ctrlReleaseCount = 0;
    displayLanguageIndex = -1;

    ui->pushButton_English->setChecked(true);

    buildHelpMenu();
    buildTrayActions();
    buildTray();

    loadLanguageCatalogue(localeName);
    retranslateFromTable();
    on_pushButton_connect_clicked();

    const QIcon icon(QStringLiteral(":/image/image/quillora.png"));
    trayIcon->setIcon(icon);
    setWindowIcon(icon);

    reconnectTimerId = startTimer(reconnectPeriodMs, Qt::CoarseTimer);

    connect(client, &ClientStuff::hasReadSome, this, &MainWindow::receivedSomething);
    connect(client, &ClientStuff::statusChanged, this, &MainWindow::setStatus);
    connect(client, &ClientStuff::socketError, this, &MainWindow::gotError);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::iconActivated);
    connect(restoreAction, &QAction::triggered, this, &MainWindow::showNormal);
    connect(quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(helpAction, &QAction::triggered, this, &MainWindow::HelpAction);
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL + Qt::Key_Return), QKeySequence(Qt::CTRL + Qt::Key_Enter)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                &MainWindow::translateSourceText);
    }

    QTimer::singleShot(firstFocusDelayMs, this, SLOT(firstHide()));
}

MainWindow::~MainWindow()
{
    keyboardHook.reset();
    killTimer(reconnectTimerId);
    delete client;
    delete ui;
}

QString MainWindow::dataFilePath(const QString &fileName) const
{
    return dataDirectory + QLatin1Char('/') + fileName;
}

void MainWindow::buildHelpMenu()
{
    helpMenu = new QMenu(this);
    helpAction = new QAction(displayText(QStringLiteral("Help"), QStringLiteral("Help")), this);
    helpMenu->addAction(helpAction);
    ui->toolButton->setMenu(helpMenu);
}

void MainWindow::buildTrayActions()
{
    restoreAction = new QAction(tr("&Restore      "), this);
    quitAction = new QAction(tr("&Quit      "), this);
}

void MainWindow::buildTray()
{
    trayIconMenu = new QMenu(this);
    trayIconMenu->addAction(restoreAction);
    trayIconMenu->addAction(quitAction);
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setContextMenu(trayIconMenu);
}

void MainWindow::setReconnectInterval(int milliseconds)
{
    killTimer(reconnectTimerId);
    reconnectTimerId = startTimer(milliseconds, Qt::CoarseTimer);
}

void MainWindow::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != reconnectTimerId) {
        QMainWindow::timerEvent(event);
        return;
    }
    if (!client->getStatus())
        on_pushButton_connect_clicked();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Without a tray there would be no way back to a hidden window, and no Quit.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        event->accept();
        QCoreApplication::quit();
        return;
    }
    trayIcon->setVisible(true);
    hide();
    event->ignore();
}

void MainWindow::showEvent(QShowEvent *event)
{
    trayIcon->hide();
    QMainWindow::showEvent(event);
}

void MainWindow::bringForward()
{
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        showNormal();
}

void MainWindow::firstHide()
{
    ui->plainTextEdit_source->setFocus(Qt::OtherFocusReason);
}

// Language catalogue and the stored selection

void MainWindow::loadLanguageCatalogue(const QString &localeName)
{
    for (const QString &name : catalogue.sourceLanguageNames())
        ui->comboBoxFrom->addItem(name);
    for (const QString &name : catalogue.targetLanguageNames())
        ui->comboBoxTo->addItem(name);
    ui->comboBoxTo->setCurrentIndex(catalogue.defaultTargetIndex(localeName));
    displayLanguageIndex = 0;

    LanguageCatalogue::Selection stored;
    if (!LanguageCatalogue::readSelectionFile(dataFilePath(QStringLiteral("from_to.db")), &stored))
        return;

    if (stored.displayLanguage >= 1 && stored.displayLanguage < flagButtons.size()) {
        flagButtons.at(stored.displayLanguage)->setChecked(true);
        displayLanguageIndex = stored.displayLanguage;
    } else {
        ui->pushButton_English->setChecked(true);
        displayLanguageIndex = 0;
    }

    if (stored.source == 0 && stored.target == 0)
        return;
    if (stored.source >= 0 && stored.source < catalogue.sourceLanguageNames().size())
        ui->comboBoxFrom->setCurrentIndex(stored.source);
    if (stored.target >= 0 && stored.target < catalogue.targetLanguageNames().size())
        ui->comboBoxTo->setCurrentIndex(stored.target);
}

void MainWindow::saveLanguageSelection()
{
    LanguageCatalogue::Selection selection;
    selection.displayLanguage = displayLanguageIndex;
    selection.source = ui->comboBoxFrom->currentIndex();
    selection.target = ui->comboBoxTo->currentIndex();
    LanguageCatalogue::writeSelectionFile(dataFilePath(QStringLiteral("from_to.db")), selection);
}

void MainWindow::on_comboBoxFrom_activated(int)
{
    saveLanguageSelection();
}

void MainWindow::on_comboBoxTo_activated(int)
{
    saveLanguageSelection();
}

// The translate action

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
    ui->plainTextEdit_source->setPlainText(QString());
    ui->plainTextEdit_translate->setPlainText(QString());
}

void MainWindow::translateSourceText()
{
    // Everything below works on local copies: while a piece is being fetched
    // the event loop runs, and a server message or the hotkey may start
    // another translation before this one resumes.
    const QString source = ui->plainTextEdit_source->toPlainText();
    const QString text = TextPieces::cutToLimit(source, translationLimit);
    showCutNotice(text.size(), source.size());
    history.recordTranslation(text, ui->comboBoxFrom->currentIndex(),
                              ui->comboBoxTo->currentIndex(), displayLanguageIndex);
    const QString sourceCode =
        catalogue.sourceLanguageCodes().value(ui->comboBoxFrom->currentIndex());
    const QString targetCode =
        catalogue.targetLanguageCodes().value(ui->comboBoxTo->currentIndex());

    spinner->setRoundness(70);
    spinner->setMinimumTrailOpacity(15);
    spinner->setTrailFadePercentage(70);
    spinner->setLineCount(12);
    spinner->setLineLength(10);
    spinner->setLineWidth(5);
    spinner->setInnerRadius(10);
    spinner->setRevolutionsPerSecond(1);
    spinner->setColor(QColor(81, 4, 71, 255));
    spinner->start();

    const QString failure = WebTranslator::connectionFailureText();
    QString result;
    for (const QString &piece : TextPieces::split(text)) {
        const QString answer = fetchTranslation(piece, sourceCode, targetCode);
        if (answer == failure) {
            // The server answers later through receivedSomething. With the
            // link down nothing would ever answer, so say so at once.
            if (!client->getStatus()) {
                ui->plainTextEdit_translate->setPlainText(failure);
                spinner->stop();
                return;
            }
            sendMessage(sourceCode + ServerVocabulary::requestSeparator() + targetCode +
                        ServerVocabulary::requestSeparator() + text);
            return;
        }
        result += answer;
    }
    ui->plainTextEdit_translate->setPlainText(result);
    spinner->stop();
}

void MainWindow::showCutNotice(int translated, int total)
{
    if (translated < total) {
        statusBar()->showMessage(
            displayText(QStringLiteral("cut_notice"),
                        QStringLiteral("Only the first %1 of %2 characters were translated."))
                .arg(translated)
                .arg(total));
    } else if (QStatusBar *bar = findChild<QStatusBar *>()) {
        bar->clearMessage();
    }
}

QString MainWindow::fetchTranslation(const QString &piece, const QString &sourceCode,
                                     const QString &targetCode)
{
    return webTranslator.translate(piece, sourceCode, targetCode);
}

// The server link

void MainWindow::sendMessage(const QString &text)
{
    QTcpSocket *socket = client->tcpSocket;
    // A socket still connecting would keep the frame and deliver it once the
    // link is up; a message sent while the link is down is lost instead.
    if (socket->state() == QAbstractSocket::ConnectedState)
        socket->write(FrameCodec::encode(text));
}

void MainWindow::on_pushButton_connect_clicked()
{
    client->connect2host(endpoints.serverHost, endpoints.serverPort.toInt(nullptr, 10));
}

void MainWindow::on_pushButton_disconnect_clicked()
{
    client->closeConnection();
    ui->pushButton_translate->setEnabled(false);
}

void MainWindow::gotError(QAbstractSocket::SocketError)
{
    spinner->stop();
}

void MainWindow::setStatus(bool newStatus)
{
    if (!newStatus)
        return;

    QPalette palette;
    palette.setBrush(QPalette::WindowText, QBrush(Qt::black, Qt::SolidPattern));
    ui->label_arrow->setPalette(palette);
    ui->pushButton_translate->setEnabled(true);
    saveLanguageSelection();
    announceDisplayLanguage(displayLanguageIndex);
    resizeFlagButtons(displayLanguageIndex);
    sendMessage(ServerVocabulary::limitRequest());

    // A link that comes back must not throw away what the user has typed.
    const QString source = ui->plainTextEdit_source->toPlainText();
    if (source.isEmpty() || source == lastWelcomeText || source == welcomeText())
        HelpAction();
}

void MainWindow::receivedSomething(QString msg)
{
    if (msg == ServerVocabulary::versionMismatch()) {
        ui->plainTextEdit_translate->setPlainText(QString());
        return;
    }
    if (msg.contains(ServerVocabulary::displayTableMarker())) {
        reloadDisplayTextTable(msg.remove(ServerVocabulary::displayTableMarker()));
        return;
    }
    if (msg.contains(ServerVocabulary::limitMarker())) {
        const int limit = msg.remove(ServerVocabulary::limitMarker()).toInt(nullptr, 10);
        translationLimit = limit != 0 ? limit : defaultTranslationLimit;
        return;
    }
    ui->plainTextEdit_translate->setPlainText(msg);
    spinner->stop();
}

// Display language and the text table

QString MainWindow::displayText(const QString &key, const QString &fallback) const
{
    return displayTexts.displayText(key, fallback);
}

void MainWindow::retranslateFromTable()
{
    setWindowTitle(displayText(QStringLiteral("app_name1"), QStringLiteral("Quillora Pro")));
    ui->pushButton_clear->setText(displayText(QStringLiteral("clear"), QStringLiteral("clear")));
    ui->pushButton_translate->setText(
        displayText(QStringLiteral("translate"), QStringLiteral("Translate")));
    const QStringList &sourceNames = catalogue.sourceLanguageNames();
    for (int i = 0; i < sourceNames.size(); ++i)
        ui->comboBoxFrom->setItemText(i, displayText(sourceNames.at(i), sourceNames.at(i)));
    const QStringList &targetNames = catalogue.targetLanguageNames();
    for (int i = 0; i < targetNames.size(); ++i)
        ui->comboBoxTo->setItemText(i, displayText(targetNames.at(i), targetNames.at(i)));
    helpAction->setText(displayText(QStringLiteral("Help"), QStringLiteral("Help")));
    restoreAction->setText(displayText(QStringLiteral("restore"), tr("&Restore      ")));
    quitAction->setText(displayText(QStringLiteral("quit"), tr("&Quit      ")));
    trayIcon->setToolTip(windowTitle());
    AccessibleLabels::apply(this, displayTexts, catalogue);
}

void MainWindow::reloadDisplayTextTable(const QString &file)
{
    const QString path = dataFilePath(QStringLiteral("config.txt"));
    DisplayTextTable::writeFile(path, file);
    displayTexts.reload(path);
    retranslateFromTable();
}

void MainWindow::announceDisplayLanguage(int index)
{
    sendMessage(ServerVocabulary::displayLanguageAnnouncement() +
                catalogue.displayLanguageNames().value(index));
}

void MainWindow::changeDisplayLanguage(int index)
{
    if (index == displayLanguageIndex)
        ui->comboBoxTo->setCurrentIndex(LanguageCatalogue::targetIndexOfDisplayLanguage(index));
    displayLanguageIndex = index;
    saveLanguageSelection();
    announceDisplayLanguage(index);
}

void MainWindow::resizeFlagButtons(int index)
{
    for (QPushButton *flag : qAsConst(flagButtons)) {
        flag->setMinimumSize(flagSize);
        flag->setMaximumSize(flagSize);
    }
    if (index >= 0 && index < flagButtons.size()) {
        flagButtons.at(index)->setMinimumSize(chosenFlagSize);
        flagButtons.at(index)->setMaximumSize(chosenFlagSize);
    }
}

void MainWindow::flagClicked(int index)
{
    changeDisplayLanguage(index);
    resizeFlagButtons(index);
}

void MainWindow::on_pushButton_English_clicked()
{
    flagClicked(0);
}

void MainWindow::on_pushButton_Chinese_clicked()
{
    flagClicked(1);
}

void MainWindow::on_pushButton_Czech_clicked()
{
    flagClicked(2);
}

void MainWindow::on_pushButton_French_clicked()
{
    flagClicked(3);
}

void MainWindow::on_pushButton_German_clicked()
{
    flagClicked(4);
}

void MainWindow::on_pushButton_Italian_clicked()
{
    flagClicked(5);
}

void MainWindow::on_pushButton_Japanese_clicked()
{
    flagClicked(6);
}

void MainWindow::on_pushButton_Polish_clicked()
{
    flagClicked(7);
}

void MainWindow::on_pushButton_Russian_clicked()
{
    flagClicked(8);
}

void MainWindow::on_pushButton_Slovak_clicked()
{
    flagClicked(9);
}

void MainWindow::on_pushButton_Spanish_clicked()
{
    flagClicked(10);
}

QString MainWindow::welcomeText() const
{
    const QChar lineFeed(QLatin1Char('\n'));
    return displayText(QStringLiteral("welcome1"),
                       QStringLiteral("Welcome to Quillora - translations done faster")) +
           lineFeed + displayText(QStringLiteral("welcome2"), QString()) + lineFeed +
           displayText(QStringLiteral("welcome3"), QString()) + lineFeed +
           displayText(QStringLiteral("welcome4"), QString()) + lineFeed;
}

void MainWindow::HelpAction()
{
    lastWelcomeText = welcomeText();
    ui->plainTextEdit_source->setPlainText(lastWelcomeText);
    translateSourceText();
}

// History navigation

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
    if (displayLanguage >= 0 && displayLanguage < flagButtons.size())
        flagButtons.at(displayLanguage)->setChecked(true);
    resizeFlagButtons(displayLanguage);
    ui->plainTextEdit_source->setPlainText(history.text(position));
    history.setBrowsing(true);
    translateSourceText();
}

// Quick-translate hotkey

void MainWindow::leftControlReleased()
{
    ++ctrlReleaseCount;
    if (ctrlReleaseCount == 1)
        QTimer::singleShot(hotkeyWindowMs, this, SLOT(doKeyProcess()));
}

void MainWindow::doKeyProcess()
{
    if (ctrlReleaseCount == 2) {
        const bool fromPrimary =
            keyboardHook->selectionPlace() == KeyboardHook::SelectionPlace::PrimarySelection;
        if (!isActiveWindow()) {
            keyboardHook->copyForegroundSelection();
        } else if (!fromPrimary) {
            if (ui->plainTextEdit_source->hasFocus())
                ui->plainTextEdit_source->copy();
            else if (ui->plainTextEdit_translate->hasFocus())
                ui->plainTextEdit_translate->copy();
        }
        // The other application needs a moment to hand its selection over.
        QThread::msleep(clipboardSettleMs);

        showNormal();
        activateWindow();
        ui->plainTextEdit_source->setFocus(Qt::OtherFocusReason);

        QString text = QGuiApplication::clipboard()->text(fromPrimary ? QClipboard::Selection
                                                                      : QClipboard::Clipboard);
        if (text.contains(QLatin1String("file://")))
            text.clear();
        ui->plainTextEdit_source->setPlainText(text);
        translateSourceText();
    }
    ctrlReleaseCount = 0;
}
