#include "mainwindow/displaytexttable.h"
#include "support/filebytes.h"
#include "support/filesizelimit.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestDisplayTextTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void displayText_data();
    void displayText();
    void emptyValueIsNotFallback();

    void loadAtStartup_data();
    void loadAtStartup();
    void loadMissingFileEmptiesTable();

    void reload_data();
    void reload();
    void reloadMissingFileEmptiesTable();

    void writeFileKeepsBytes_data();
    void writeFileKeepsBytes();
    void writeFileReplacesLongerFile();
    void writeIntoMissingDirectoryFails();
    void failedWriteKeepsPreviousFile();
    void serverTableRoundTrip();

private:
    QTemporaryDir dir;
    QString configPath;
};

void TestDisplayTextTable::initTestCase()
{
    QVERIFY(dir.isValid());
    configPath = dir.filePath(QStringLiteral("config.txt"));
}

void TestDisplayTextTable::displayText_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("fallback");
    QTest::addColumn<QString>("expected");

    const QString clear = QStringLiteral("clear");
    QTest::newRow("plain value") << QStringList{"app_name1=Quillora", "clear=Effacer"} << clear
                                 << clear << "Effacer";
    QTest::newRow("keys are case-sensitive")
        << QStringList{"Clear=Effacer"} << clear << clear << clear;
    QTest::newRow("empty table") << QStringList{} << clear << clear << clear;
    QTest::newRow("empty value") << QStringList{"clear="} << clear << clear << "";
    QTest::newRow("key alone") << QStringList{"clear"} << clear << "fallback" << clear;
    QTest::newRow("every key= removed") << QStringList{"app_name1=A app_name1=B"} << "app_name1"
                                        << "Quillora Pro"
                                        << "A B";
    QTest::newRow("first of duplicates wins")
        << QStringList{"translate=Übersetzen", "translate=Traduire"} << "translate"
        << "Translate"
        << "Übersetzen";
    QTest::newRow("first wins even when empty")
        << QStringList{"translate=", "translate=Traduire"} << "translate"
        << "Translate"
        << "";
    QTest::newRow("CR LF removed")
        << QStringList{"clear=Effacer\r\n"} << clear << clear << "Effacer";
    QTest::newRow("CR and LF inside removed")
        << QStringList{"welcome2=one\rtwo\nthree"} << "welcome2"
        << ""
        << "onetwothree";
    QTest::newRow("value keeps further =") << QStringList{"welcome1=a=b"} << "welcome1"
                                           << ""
                                           << "a=b";
    QTest::newRow("key inside value without =") << QStringList{"Help=Help me"} << "Help"
                                                << "Help"
                                                << "Help me";
    QTest::newRow("key= inside value removed") << QStringList{"Help=Say Help=now"} << "Help"
                                               << "Help"
                                               << "Say now";
    QTest::newRow("longer key does not match")
        << QStringList{"clearance=x"} << clear << clear << clear;
    QTest::newRow("no trimming of the key") << QStringList{" clear=x"} << clear << clear << clear;
    QTest::newRow("key is up to the first =") << QStringList{"a=b=c"} << "a=b"
                                              << "fallback"
                                              << "fallback";
    QTest::newRow("language name") << QStringList{"Czech=Tschechisch"} << "Czech"
                                   << "Czech"
                                   << "Tschechisch";
    QTest::newRow("UTF-8 text") << QStringList{"Czech=Čeština", "Japanese=日本語"} << "Japanese"
                                << "Japanese"
                                << "日本語";
    QTest::newRow("non-matching lines skipped")
        << QStringList{"", "noise", "=odd", "clear=Löschen"} << clear << clear << "Löschen";
}

void TestDisplayTextTable::displayText()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, key);
    QFETCH(QString, fallback);
    QFETCH(QString, expected);

    DisplayTextTable table;
    table.setLines(lines);
    QCOMPARE(table.displayText(key, fallback), expected);
}

void TestDisplayTextTable::emptyValueIsNotFallback()
{
    DisplayTextTable table;
    table.setLines({QStringLiteral("clear=")});
    const QString value = table.displayText(QStringLiteral("clear"), QStringLiteral("clear"));
    QVERIFY(value.isEmpty());
}

void TestDisplayTextTable::loadAtStartup_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("LF") << QByteArray("app_name1=Quillora\nclear=Effacer\n")
                        << QStringList{"app_name1=Quillora", "clear=Effacer"};
    QTest::newRow("CR LF") << QByteArray("app_name1=Quillora\r\nclear=Effacer\r\n")
                           << QStringList{"app_name1=Quillora", "clear=Effacer"};
    QTest::newRow("CR inside a line")
        << QByteArray("clear=Eff\racer\r\n") << QStringList{"clear=Effacer"};
    QTest::newRow("empty lines kept")
        << QByteArray("a=1\n\n\r\nb=2\n") << QStringList{"a=1", "", "", "b=2"};
    QTest::newRow("last line without end") << QByteArray("a=1\nb=2") << QStringList{"a=1", "b=2"};
    QTest::newRow("UTF-8") << QByteArray("Czech=\xc4\x8c"
                                         "e\xc5\xa1tina\r\n")
                           << QStringList{QStringLiteral("Czech=Čeština")};
    QTest::newRow("zero byte ends the line")
        << QByteArray("a=1\0tail\nb=2\n", 13) << QStringList{"a=1", "b=2"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestDisplayTextTable::loadAtStartup()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    QVERIFY(FileBytes::write(configPath, bytes));
    DisplayTextTable table;
    table.loadAtStartup(configPath);
    QCOMPARE(table.lines(), lines);
    for (const QString &line : table.lines())
        QVERIFY(!line.isNull());
}

void TestDisplayTextTable::loadMissingFileEmptiesTable()
{
    DisplayTextTable table;
    table.setLines({QStringLiteral("clear=Effacer")});
    table.loadAtStartup(dir.filePath(QStringLiteral("missing.txt")));
    QVERIFY(table.lines().isEmpty());
    QCOMPARE(table.displayText(QStringLiteral("clear"), QStringLiteral("clear")),
             QStringLiteral("clear"));
}

void TestDisplayTextTable::reload_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("LF") << QByteArray("translate=Traduire\nclear=Effacer\n")
                        << QStringList{"translate=Traduire", "clear=Effacer"};
    QTest::newRow("CR LF") << QByteArray("translate=Traduire\r\nclear=Effacer\r\n")
                           << QStringList{"translate=Traduire", "clear=Effacer"};
    QTest::newRow("empty lines kept")
        << QByteArray("a=1\n\nb=2\n") << QStringList{"a=1", "", "b=2"};
    QTest::newRow("last line without end") << QByteArray("a=1\nb=2") << QStringList{"a=1", "b=2"};
    QTest::newRow("UTF-8") << QByteArray("Japanese=\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\n")
                           << QStringList{QStringLiteral("Japanese=日本語")};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestDisplayTextTable::reload()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    QVERIFY(FileBytes::write(configPath, bytes));
    DisplayTextTable table;
    table.setLines({QStringLiteral("stale=line")});
    table.reload(configPath);
    QCOMPARE(table.lines(), lines);
}

void TestDisplayTextTable::reloadMissingFileEmptiesTable()
{
    DisplayTextTable table;
    table.setLines({QStringLiteral("clear=Effacer")});
    table.reload(dir.filePath(QStringLiteral("missing.txt")));
    QVERIFY(table.lines().isEmpty());
}

void TestDisplayTextTable::writeFileKeepsBytes_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("CR LF preserved") << QStringLiteral("clear=Effacer\r\ntranslate=Traduire\r\n")
                                     << QByteArray("clear=Effacer\r\ntranslate=Traduire\r\n");
    QTest::newRow("no line end added") << QStringLiteral("a=1\nb=2") << QByteArray("a=1\nb=2");
    QTest::newRow("UTF-8 without BOM") << QStringLiteral("Czech=Čeština\n")
                                       << QByteArray("Czech=\xc4\x8c"
                                                     "e\xc5\xa1tina\n");
    QTest::newRow("lone CR kept") << QStringLiteral("a\rb") << QByteArray("a\rb");
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestDisplayTextTable::writeFileKeepsBytes()
{
    QFETCH(QString, content);
    QFETCH(QByteArray, bytes);

    QVERIFY(DisplayTextTable::writeFile(configPath, content));
    QCOMPARE(FileBytes::read(configPath), bytes);
}

void TestDisplayTextTable::writeFileReplacesLongerFile()
{
    QVERIFY(FileBytes::write(configPath, QByteArray(4096, 'x')));
    QVERIFY(DisplayTextTable::writeFile(configPath, QStringLiteral("clear=Effacer\n")));
    QCOMPARE(FileBytes::read(configPath), QByteArray("clear=Effacer\n"));
}

void TestDisplayTextTable::writeIntoMissingDirectoryFails()
{
    QVERIFY(!DisplayTextTable::writeFile(dir.filePath(QStringLiteral("missing/config.txt")),
                                         QStringLiteral("clear=Effacer\n")));
}

void TestDisplayTextTable::failedWriteKeepsPreviousFile()
{
    QTemporaryDir own;
    QVERIFY(own.isValid());
    const QString path = own.filePath(QStringLiteral("config.txt"));
    const QByteArray previous("app_name1=Quillora\r\nclear=Effacer\r\n");
    QVERIFY(FileBytes::write(path, previous));

    bool capped = false;
    bool written = false;
    {
        // A file-size cap fails the write part-way even as root. Nothing may
        // be reported while it holds, as the test log may be a file too.
        FileSizeLimit limit(8);
        capped = limit.isActive();
        written = DisplayTextTable::writeFile(
            path, QStringLiteral("app_name1=Quillora Pro\r\nclear=Löschen\r\n"));
    }
    QVERIFY(capped);
    QVERIFY(!written);
    QCOMPARE(FileBytes::read(path), previous);
    QCOMPARE(QDir(own.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("config.txt")});

    // The table read back after a failed write is the previous one.
    DisplayTextTable table;
    table.reload(path);
    QCOMPARE(table.displayText(QStringLiteral("clear"), QStringLiteral("clear")),
             QStringLiteral("Effacer"));
}

void TestDisplayTextTable::serverTableRoundTrip()
{
    const QString sent =
        QStringLiteral("app_name1=Quillora Pro\r\nclear=Smazat\r\nCzech=Čeština\r\n");
    QVERIFY(DisplayTextTable::writeFile(configPath, sent));

    DisplayTextTable reloaded;
    reloaded.reload(configPath);
    DisplayTextTable started;
    started.loadAtStartup(configPath);

    const QStringList expected = {"app_name1=Quillora Pro", "clear=Smazat",
                                  QStringLiteral("Czech=Čeština")};
    QCOMPARE(reloaded.lines(), expected);
    QCOMPARE(started.lines(), expected);
    QCOMPARE(reloaded.displayText(QStringLiteral("Czech"), QStringLiteral("Czech")),
             QStringLiteral("Čeština"));
}

QTEST_APPLESS_MAIN(TestDisplayTextTable)
#include "tst_displaytexttable.moc"
