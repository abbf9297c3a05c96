#include "mainwindow/languagecatalogue.h"
#include "support/filebytes.h"
#include "support/filesizelimit.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestLanguageCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void listSizesAndEnds();
    void sampleRows_data();
    void sampleRows();
    void targetRowsFollowSourceRows();
    void traditionalChineseHasItsOwnCode();
    void displayLanguageNames();

    void localeLanguageCode_data();
    void localeLanguageCode();
    void defaultTargetIndex_data();
    void defaultTargetIndex();
    void targetIndexOfDisplayLanguage_data();
    void targetIndexOfDisplayLanguage();

    void parseSelection_data();
    void parseSelection();
    void formatSelection_data();
    void formatSelection();

    void readMissingFile();
    void readFileWithCrLf();
    void writeThenReadBack();
    void writeReplacesWholeFile();
    void writeIntoMissingDirectoryFails();
    void failedWriteKeepsPreviousFile();
};

void TestLanguageCatalogue::listSizesAndEnds()
{
    const LanguageCatalogue catalogue;
    QCOMPARE(catalogue.sourceLanguageNames().size(), 110);
    QCOMPARE(catalogue.sourceLanguageCodes().size(), 110);
    QCOMPARE(catalogue.targetLanguageNames().size(), 109);
    QCOMPARE(catalogue.targetLanguageCodes().size(), 109);
    QCOMPARE(catalogue.displayLanguageNames().size(), LanguageCatalogue::displayLanguageCount);

    QCOMPARE(catalogue.sourceLanguageNames().first(), QStringLiteral("Detect language"));
    QCOMPARE(catalogue.sourceLanguageCodes().first(), QStringLiteral("auto"));
    QCOMPARE(catalogue.sourceLanguageNames().last(), QStringLiteral("Zulu"));
    QCOMPARE(catalogue.sourceLanguageCodes().last(), QStringLiteral("zu"));
    QCOMPARE(catalogue.targetLanguageNames().first(), QStringLiteral("Afrikaans"));
    QCOMPARE(catalogue.targetLanguageCodes().first(), QStringLiteral("af"));
    QCOMPARE(catalogue.targetLanguageNames().last(), QStringLiteral("Zulu"));
    QCOMPARE(catalogue.targetLanguageCodes().last(), QStringLiteral("zu"));
    QVERIFY(!catalogue.targetLanguageCodes().contains(QStringLiteral("auto")));
}

void TestLanguageCatalogue::sampleRows_data()
{
    QTest::addColumn<int>("targetIndex");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");

    QTest::newRow("Cebuano") << 12 << "Cebuano"
                             << "ceb";
    QTest::newRow("Chinese (Simplified)") << 15 << "Chinese (Simplified)"
                                          << "zh-CN";
    QTest::newRow("Czech") << 18 << "Czech"
                           << "cs";
    QTest::newRow("Dutch") << 20 << "Dutch"
                           << "nl";
    QTest::newRow("English") << 21 << "English"
                             << "en";
    QTest::newRow("Filipino") << 24 << "Filipino"
                              << "tl";
    QTest::newRow("German") << 30 << "German"
                            << "de";
    QTest::newRow("Haitian Creole") << 33 << "Haitian Creole"
                                    << "ht";
    QTest::newRow("Hawaiian") << 35 << "Hawaiian"
                              << "haw";
    QTest::newRow("Hebrew") << 36 << "Hebrew"
                            << "iw";
    QTest::newRow("Hmong") << 38 << "Hmong"
                           << "hmn";
    QTest::newRow("Javanese") << 46 << "Javanese"
                              << "jw";
    QTest::newRow("Kurdish (Kurmanji)") << 52 << "Kurdish (Kurmanji)"
                                        << "ku";
    QTest::newRow("Myanmar (Burmese)") << 67 << "Myanmar (Burmese)"
                                       << "my";
    QTest::newRow("Norwegian") << 69 << "Norwegian"
                               << "no";
    QTest::newRow("Odia (Oriya)") << 70 << "Odia (Oriya)"
                                  << "or";
    QTest::newRow("Portuguese") << 74 << "Portuguese"
                                << "pt";
    QTest::newRow("Scots Gaelic") << 79 << "Scots Gaelic"
                                  << "gd";
    QTest::newRow("Sesotho") << 81 << "Sesotho"
                             << "st";
    QTest::newRow("Spanish") << 88 << "Spanish"
                             << "es";
    QTest::newRow("Ukrainian") << 99 << "Ukrainian"
                               << "uk";
    QTest::newRow("Yoruba") << 107 << "Yoruba"
                            << "yo";
}

void TestLanguageCatalogue::sampleRows()
{
    QFETCH(int, targetIndex);
    QFETCH(QString, name);
    QFETCH(QString, code);

    const LanguageCatalogue catalogue;
    QCOMPARE(catalogue.targetLanguageNames().at(targetIndex), name);
    QCOMPARE(catalogue.targetLanguageCodes().at(targetIndex), code);
    QCOMPARE(catalogue.sourceLanguageNames().at(targetIndex + 1), name);
    QCOMPARE(catalogue.sourceLanguageCodes().at(targetIndex + 1), code);
}

void TestLanguageCatalogue::targetRowsFollowSourceRows()
{
    const LanguageCatalogue catalogue;
    QCOMPARE(catalogue.sourceLanguageNames().mid(1), catalogue.targetLanguageNames());
    QCOMPARE(catalogue.sourceLanguageCodes().mid(1), catalogue.targetLanguageCodes());
    // Names double as keys of the display-text table, so none may repeat.
    QStringList names = catalogue.sourceLanguageNames();
    QCOMPARE(names.removeDuplicates(), 0);
}

void TestLanguageCatalogue::traditionalChineseHasItsOwnCode()
{
    const LanguageCatalogue catalogue;
    QCOMPARE(catalogue.targetLanguageNames().at(14), QStringLiteral("Chinese (Traditional)"));
    QCOMPARE(catalogue.targetLanguageCodes().at(14), QStringLiteral("zh-TW"));
    QCOMPARE(catalogue.targetLanguageCodes().count(QStringLiteral("zh-CN")), 1);
    QStringList codes = catalogue.targetLanguageCodes();
    QCOMPARE(codes.removeDuplicates(), 0);
}

void TestLanguageCatalogue::displayLanguageNames()
{
    const LanguageCatalogue catalogue;
    const QStringList expected = {"English",  "Chinese", "Czech",   "French", "German", "Italian",
                                  "Japanese", "Polish",  "Russian", "Slovak", "Spanish"};
    QCOMPARE(catalogue.displayLanguageNames(), expected);
}

void TestLanguageCatalogue::localeLanguageCode_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("code");

    QTest::newRow("zh_CN keeps its country") << "zh_CN"
                                             << "zh-CN";
    QTest::newRow("zh_TW drops it") << "zh_TW"
                                    << "zh";
    QTest::newRow("lower-case zh_cn is not special") << "zh_cn"
                                                     << "zh";
    QTest::newRow("en_US") << "en_US"
                           << "en";
    QTest::newRow("first underscore only") << "sr_RS_latin"
                                           << "sr";
    QTest::newRow("no underscore") << "fr"
                                   << "fr";
    QTest::newRow("C") << "C"
                       << "C";
    QTest::newRow("empty") << ""
                           << "";
}

void TestLanguageCatalogue::localeLanguageCode()
{
    QFETCH(QString, localeName);
    QFETCH(QString, code);
    QCOMPARE(LanguageCatalogue::localeLanguageCode(localeName), code);
}

void TestLanguageCatalogue::defaultTargetIndex_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<int>("targetIndex");

    QTest::newRow("en_US") << "en_US" << 21;
    QTest::newRow("de_DE") << "de_DE" << 30;
    QTest::newRow("pt_BR") << "pt_BR" << 74;
    QTest::newRow("zh_CN") << "zh_CN" << 15;
    QTest::newRow("ja_JP") << "ja_JP" << 45;
    QTest::newRow("zh_TW") << "zh_TW" << 20;
    QTest::newRow("he_IL") << "he_IL" << 20;
    QTest::newRow("nb_NO") << "nb_NO" << 20;
    QTest::newRow("POSIX") << "POSIX" << 20;
    QTest::newRow("empty") << "" << 20;
    QTest::newRow("whole name as code") << "fr" << 26;
}

void TestLanguageCatalogue::defaultTargetIndex()
{
    QFETCH(QString, localeName);
    QFETCH(int, targetIndex);
    const LanguageCatalogue catalogue;
    QCOMPARE(catalogue.defaultTargetIndex(localeName), targetIndex);
}

void TestLanguageCatalogue::targetIndexOfDisplayLanguage_data()
{
    QTest::addColumn<int>("displayLanguage");
    QTest::addColumn<int>("targetIndex");
    QTest::addColumn<QString>("targetName");

    QTest::newRow("English") << 0 << 21 << "English";
    QTest::newRow("Chinese") << 1 << 15 << "Chinese (Simplified)";
    QTest::newRow("Czech") << 2 << 18 << "Czech";
    QTest::newRow("French") << 3 << 26 << "French";
    QTest::newRow("German") << 4 << 30 << "German";
    QTest::newRow("Italian") << 5 << 44 << "Italian";
    QTest::newRow("Japanese") << 6 << 45 << "Japanese";
    QTest::newRow("Polish") << 7 << 73 << "Polish";
    QTest::newRow("Russian") << 8 << 77 << "Russian";
    QTest::newRow("Slovak") << 9 << 85 << "Slovak";
    QTest::newRow("Spanish") << 10 << 88 << "Spanish";
    QTest::newRow("below range") << -1 << -1 << "";
    QTest::newRow("above range") << 11 << -1 << "";
}

void TestLanguageCatalogue::targetIndexOfDisplayLanguage()
{
    QFETCH(int, displayLanguage);
    QFETCH(int, targetIndex);
    QFETCH(QString, targetName);

    QCOMPARE(LanguageCatalogue::targetIndexOfDisplayLanguage(displayLanguage), targetIndex);
    if (targetIndex >= 0) {
        const LanguageCatalogue catalogue;
        QCOMPARE(catalogue.targetLanguageNames().at(targetIndex), targetName);
    }
}

void TestLanguageCatalogue::parseSelection_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("displayLanguage");
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("target");

    QTest::newRow("3 0 0") << QByteArray("3\r\n0\r\n0\r\n") << 3 << 0 << 0;
    QTest::newRow("0 0 5") << QByteArray("0\r\n0\r\n5\r\n") << 0 << 0 << 5;
    QTest::newRow("12 200 7") << QByteArray("12\r\n200\r\n7\r\n") << 12 << 200 << 7;
    QTest::newRow("LF line ends") << QByteArray("4\n17\n99\n") << 4 << 17 << 99;
    QTest::newRow("mixed line ends") << QByteArray("4\n17\r\n99") << 4 << 17 << 99;
    QTest::newRow("last line without end") << QByteArray("1\r\n2\r\n3") << 1 << 2 << 3;
    QTest::newRow("negative values") << QByteArray("-1\r\n-20\r\n-300\r\n") << -1 << -20 << -300;
    QTest::newRow("empty file") << QByteArray() << 0 << 0 << 0;
    QTest::newRow("one line") << QByteArray("6\r\n") << 6 << 0 << 0;
    QTest::newRow("two lines") << QByteArray("6\r\n8\r\n") << 6 << 8 << 0;
    QTest::newRow("garbage lines") << QByteArray("abc\r\n12x\r\n2.5\r\n") << 0 << 0 << 0;
    QTest::newRow("garbage between numbers") << QByteArray("5\r\nfoo\r\n9\r\n") << 5 << 0 << 9;
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n7\r\n") << 0 << 0 << 7;
    QTest::newRow("out of 32-bit range") << QByteArray("99999999999\r\n1\r\n2\r\n") << 0 << 1 << 2;
    QTest::newRow("lines after the third ignored")
        << QByteArray("1\r\n2\r\n3\r\n4\r\n") << 1 << 2 << 3;
    QTest::newRow("hexadecimal is not decimal")
        << QByteArray("0x10\r\n010\r\n3\r\n") << 0 << 10 << 3;
}

void TestLanguageCatalogue::parseSelection()
{
    QFETCH(QByteArray, content);
    QFETCH(int, displayLanguage);
    QFETCH(int, source);
    QFETCH(int, target);

    const LanguageCatalogue::Selection selection = LanguageCatalogue::parseSelection(content);
    QCOMPARE(selection.displayLanguage, displayLanguage);
    QCOMPARE(selection.source, source);
    QCOMPARE(selection.target, target);
}

void TestLanguageCatalogue::formatSelection_data()
{
    QTest::addColumn<int>("displayLanguage");
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("target");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("defaults") << 0 << 0 << 20 << QByteArray("0\r\n0\r\n20\r\n");
    QTest::newRow("largest indices") << 10 << 109 << 108 << QByteArray("10\r\n109\r\n108\r\n");
    QTest::newRow("negative") << -1 << -5 << 0 << QByteArray("-1\r\n-5\r\n0\r\n");
}

void TestLanguageCatalogue::formatSelection()
{
    QFETCH(int, displayLanguage);
    QFETCH(int, source);
    QFETCH(int, target);
    QFETCH(QByteArray, bytes);

    LanguageCatalogue::Selection selection;
    selection.displayLanguage = displayLanguage;
    selection.source = source;
    selection.target = target;
    QCOMPARE(LanguageCatalogue::formatSelection(selection), bytes);

    const LanguageCatalogue::Selection parsed = LanguageCatalogue::parseSelection(bytes);
    QCOMPARE(parsed.displayLanguage, displayLanguage);
    QCOMPARE(parsed.source, source);
    QCOMPARE(parsed.target, target);
}

void TestLanguageCatalogue::readMissingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    LanguageCatalogue::Selection selection;
    selection.displayLanguage = 4;
    QVERIFY(!LanguageCatalogue::readSelectionFile(dir.filePath("from_to.db"), &selection));
    QCOMPARE(selection.displayLanguage, 4);
    QVERIFY(!LanguageCatalogue::readSelectionFile(dir.path(), &selection));
}

void TestLanguageCatalogue::readFileWithCrLf()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("from_to.db");
    QVERIFY(FileBytes::write(path, "3\r\n0\r\n5\r\nrest is never read\r\n"));

    LanguageCatalogue::Selection selection;
    QVERIFY(LanguageCatalogue::readSelectionFile(path, &selection));
    QCOMPARE(selection.displayLanguage, 3);
    QCOMPARE(selection.source, 0);
    QCOMPARE(selection.target, 5);
}

void TestLanguageCatalogue::writeThenReadBack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("from_to.db");

    LanguageCatalogue::Selection selection;
    selection.displayLanguage = 2;
    selection.source = 0;
    selection.target = 77;
    QVERIFY(LanguageCatalogue::writeSelectionFile(path, selection));
    QCOMPARE(FileBytes::read(path), QByteArray("2\r\n0\r\n77\r\n"));

    LanguageCatalogue::Selection readBack;
    QVERIFY(LanguageCatalogue::readSelectionFile(path, &readBack));
    QCOMPARE(readBack.displayLanguage, 2);
    QCOMPARE(readBack.source, 0);
    QCOMPARE(readBack.target, 77);
}

void TestLanguageCatalogue::writeReplacesWholeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("from_to.db");
    QVERIFY(FileBytes::write(path, "10\r\n109\r\n108\r\nand a long tail that must go\r\n"));

    LanguageCatalogue::Selection selection;
    selection.target = 1;
    QVERIFY(LanguageCatalogue::writeSelectionFile(path, selection));
    QCOMPARE(FileBytes::read(path), QByteArray("0\r\n0\r\n1\r\n"));
}

void TestLanguageCatalogue::writeIntoMissingDirectoryFails()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(!LanguageCatalogue::writeSelectionFile(dir.filePath("missing/from_to.db"),
                                                   LanguageCatalogue::Selection()));
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
}

void TestLanguageCatalogue::failedWriteKeepsPreviousFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("from_to.db");
    const QByteArray previous("5\r\n12\r\n30\r\n");
    QVERIFY(FileBytes::write(path, previous));

    LanguageCatalogue::Selection selection;
    selection.displayLanguage = 1;
    selection.source = 2;
    selection.target = 3;
    bool capped = false;
    bool saved = false;
    {
        // Permission bits do not stop root, but a file-size cap does: only
        // part of the new content can be written anywhere. Nothing may be
        // reported while the cap holds, as the test log is a file too.
        FileSizeLimit limit(4);
        capped = limit.isActive();
        saved = LanguageCatalogue::writeSelectionFile(path, selection);
    }
    QVERIFY(capped);
    QVERIFY(!saved);
    QCOMPARE(FileBytes::read(path), previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("from_to.db")});
}

QTEST_APPLESS_MAIN(TestLanguageCatalogue)
#include "tst_languagecatalogue.moc"
