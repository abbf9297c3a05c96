// Daily use: fresh account, Ctrl shortcuts, nested fetches, keyboard, labels.

#include "mainwindow/mainwindow.h"
#include "mainwindow/systemtray.h"
#include "platform/controlreleasefilter.h"
#include "protocol/servervocabulary.h"
#include "support/windowharness.h"
#include "translate/webtranslator.h"

#include <QtTest>
#include <QtWidgets>

class TestDailyUse : public QObject
{
    Q_OBJECT

    WindowHarness harness;

    static QByteArray pageOf(const char *t) { return "<p class=result-container>" + QByteArray(t); }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QVERIFY(harness.startPage(pageOf("done"))); }
    void cleanup() { harness.stop(); }

    void onlyCleanTapsCount_data()
    {
        // C: left Ctrl, A: Alt, k: another key; + down, - up; =releases counted.
        QTest::addColumn<QString>("events");
        QTest::newRow("two clean taps") << "C+ C- C+ C- =2";
        QTest::newRow("Ctrl+A, Ctrl+C") << "C+ k+ k- C- C+ k+ k- C- =0";
        QTest::newRow("key let go after Ctrl") << "C+ k+ C- k- =0";
        QTest::newRow("held Ctrl repeats, then a shortcut") << "C+ C+ C- C+ k+ k- C- =1";
        QTest::newRow("tap under Alt") << "A+ C+ C- A- =0";
        QTest::newRow("release never pressed") << "C- =0";
    }

    void onlyCleanTapsCount()
    {
        QFETCH(QString, events);
        ControlReleaseFilter filter('C', {'A'});
        for (const QString &event : events.section(" =", 0, 0).split(' ')) {
            const unsigned key = event.at(0).unicode();
            event.endsWith('+') ? filter.keyPressed(key) : filter.keyReleased(key);
        }
        QCOMPARE(filter.takeReleases(), events.section('=', 1).toInt());
    }

    void freshAccountKeepsSettings()
    {
        QTemporaryDir root;
        const auto restoreHome = qScopeGuard([home = qgetenv("HOME")] { qputenv("HOME", home); });
        qputenv("HOME", QFile::encodeName(root.filePath("new/user")));
        QVERIFY(harness.openWindowWithoutServer("en_US"));
        harness.button("pushButton_Czech")->click();
        QCOMPARE(WindowHarness::dataFile("from_to.db"), QByteArray("2\r\n0\r\n21\r\n"));
    }

    void emptyResultFailsOnlyForText()
    {
        for (const char *blank : {"\n\n", " \t "})
            QCOMPARE(WebTranslator::extractTranslation(pageOf(""), blank), QString());
        QCOMPARE(WebTranslator::extractTranslation(pageOf(""), " x\n"),
                 WebTranslator::connectionFailureText());
    }

    void keyboard_data()
    {
        // The focused control and the keys | then the focused control, the
        // result box and the source box, which held "typed".
        QTest::addColumn<QString>("keyCase");
        QTest::newRow("Tab leaves the source")
            << "plainTextEdit_source Tab|pushButton_clear  typed";
        QTest::newRow("Tab leaves the result") << "plainTextEdit_translate Tab|toolButton  typed";
        QTest::newRow("Ctrl+Return in the source") << "plainTextEdit_source Ctrl+Return|"
                                                      "plainTextEdit_source done typed";
        QTest::newRow("Ctrl+Enter, Translate disabled") << "plainTextEdit_source Ctrl+Enter|"
                                                           "plainTextEdit_source  typed";
        QTest::newRow("Return on play") << "pushButton_play Return|pushButton_play done typed";
        QTest::newRow("Return on Clear") << "pushButton_clear Return|pushButton_clear  ";
        QTest::newRow("Ctrl+Shift+S swaps") << "plainTextEdit_source Ctrl+Shift+S|"
                                               "plainTextEdit_source typed ";
    }

    void keyboard()
    {
        QFETCH(QString, keyCase);
        MainWindow *window = harness.openWindowWithoutServer("en_US");
        QVERIFY(window);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTRY_VERIFY(harness.sourceBox()->hasFocus());
        harness.sourceBox()->setPlainText("typed");
        harness.comboBox("comboBoxFrom")->setCurrentIndex(22);
        harness.button("pushButton_translate")
            ->setEnabled(!QByteArray(QTest::currentDataTag()).contains("disabled"));
        window->findChild<QWidget *>(keyCase.section(' ', 0, 0))->setFocus();
        QTest::keySequence(QApplication::focusWidget(),
                           QKeySequence(keyCase.section(' ', 1).section('|', 0, 0)));
        const auto outcome = [&] {
            return QApplication::focusWidget()->objectName() + ' ' +
                   harness.resultBox()->toPlainText() + ' ' + harness.sourceBox()->toPlainText();
        };
        QTRY_COMPARE(outcome(), keyCase.section('|', 1));
        QVERIFY(!harness.spinner()->isSpinning());
    }

    void labelsFollowDisplayLanguage()
    {
        QVERIFY(harness.startPeer());
        MainWindow *window = harness.openWindow("en_US");
        QVERIFY(harness.peer()->waitForTexts(2));
        harness.peer()->sendText(ServerVocabulary::displayTableMarker() +
                                 "previous=Zurück\nEnglish=Englisch\nrestore=&Wiederherstellen\n");
        QTRY_COMPARE(harness.button("pushButton_prev")->toolTip(), QString("Zurück"));
        const QString expected =
            "pushButton_prev=Zurück;pushButton_English=Englisch;toolButton=Help;"
            "pushButton_next=Next translation;plainTextEdit_source=Text to translate";
        for (const QString &entry : expected.split(';')) {
            const QWidget *control = window->findChild<QWidget *>(entry.section('=', 0, 0));
            QCOMPARE(control->objectName() + '=' + control->accessibleName(), entry);
            QCOMPARE(control->objectName() + '=' + control->toolTip(), entry);
        }
        const QList<QAction *> tray = window->systemTray()->icon()->contextMenu()->actions();
        QCOMPARE(tray.value(0)->text() + tray.value(1)->text(), "&Wiederherstellen&Quit      ");
    }

    void hotkeyReadsPrimaryAndKeepsClipboard()
    {
        MainWindow *window = harness.openWindowWithoutServer("en_US");
        QVERIFY(window);
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText("kept on the clipboard", QClipboard::Clipboard);
        clipboard->setText("selected", QClipboard::Selection);
        window->quickTranslateHotkey()->leftControlReleased();
        window->quickTranslateHotkey()->leftControlReleased();
        QTRY_COMPARE(harness.page()->requestedTexts(), QStringList{"selected"});
        QCOMPARE(clipboard->text(QClipboard::Clipboard), QString("kept on the clipboard"));
    }
};

QTEST_MAIN(TestDailyUse)
#include "tst_x11_dailyuse.moc"
