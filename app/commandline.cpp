#include "app/commandline.h"

#include "app/singleinstance.h"
#include "mainwindow/languagecatalogue.h"
#include "net/serversession.h"
#include "protocol/serveranswer.h"
#include "translate/textpieces.h"
#include "translate/translationrun.h"
#include "translate/webtranslator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QTextStream>
#include <QTimer>

namespace {

// Terminals and pipes of today speak UTF-8, whatever the locale says.
QTextStream &stream(FILE *file)
{
    auto *result = new QTextStream(file);
    result->setCodec("UTF-8");
    return *result;
}

QTextStream &err()
{
    static QTextStream &error = stream(stderr);
    return error;
}

QTextStream &out()
{
    static QTextStream &output = stream(stdout);
    return output;
}

const char *const details = R"(
With no option, Quillora opens its window (or brings the running one
forward). CODE is a language code of the language boxes: en, de, fr, es,
zh-CN, ... and auto, which detects the source language. --translate reads
the text from standard input when none is given, prints the translation and
exits 0; when neither the translation page nor the companion server answers
it exits 1 with a message on standard error.

--quick-translate is made for a desktop keyboard shortcut: where the global
hotkey cannot see the keys (a Wayland session), bind the shortcut to
"quillora --quick-translate".
)";

// The options in the order --help lists them: help, version, translate,
// from, to, quick-translate.
QList<QCommandLineOption> declare(QCommandLineParser *parser)
{
    parser->setApplicationDescription(QStringLiteral("Quillora, a desktop translator.") +
                                      QString::fromUtf8(details));
    const QList<QCommandLineOption> options{
        {{QStringLiteral("h"), QStringLiteral("help")},
         QStringLiteral("Print this help and exit.")},
        {{QStringLiteral("v"), QStringLiteral("version")},
         QStringLiteral("Print the version and exit.")},
        {QStringLiteral("translate"),
         QStringLiteral("Translate TEXT, or standard input, and exit.")},
        {QStringLiteral("from"), QStringLiteral("Language of the text (default auto)."),
         QStringLiteral("CODE"), QStringLiteral("auto")},
        {QStringLiteral("to"),
         QStringLiteral("Language to translate into (default the language of the locale)."),
         QStringLiteral("CODE")},
        {QStringLiteral("quick-translate"),
         QStringLiteral("Have the running Quillora translate the current selection.")}};
    parser->addOptions(options);
    parser->addPositionalArgument(QStringLiteral("TEXT"),
                                  QStringLiteral("With --translate: the text to translate."));
    return options;
}

} // namespace

bool CommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QList<QCommandLineOption> options = declare(&parser);
    const QCommandLineOption &help = options[0], &version = options[1], &translate = options[2],
                             &from = options[3], &to = options[4], &quick = options[5];

    const auto refuse = [](const QString &problem) {
        err() << "quillora: " << problem << "\nTry 'quillora --help'.\n";
        err().flush();
        return false;
    };
    const bool understood = parser.parse(arguments);
    const bool window = !parser.isSet(help) && !parser.isSet(version) && !parser.isSet(translate) &&
                        !parser.isSet(quick);
    // Qt's own options (-platform, -display, ...) are the window's, and
    // QApplication takes them off the command line itself.
    if (!understood && window && !parser.unknownOptionNames().isEmpty())
        return true;
    if (!understood)
        return refuse(parser.errorText());
    words = parser.positionalArguments();
    const LanguageCatalogue catalogue;
    source = parser.value(from);
    target = parser.isSet(to) ? parser.value(to)
                              : catalogue.targetLanguageCodes().value(
                                    catalogue.defaultTargetIndex(QLocale::system().name()));
    if (parser.isSet(help))
        chosen = Action::Help;
    else if (parser.isSet(version))
        chosen = Action::Version;
    else if (parser.isSet(translate))
        chosen = Action::Translate;
    else if (parser.isSet(quick))
        chosen = Action::QuickTranslate;
    if (chosen != Action::Translate && (parser.isSet(from) || parser.isSet(to)))
        return refuse(QStringLiteral("--from and --to go with --translate"));
    if (chosen != Action::Translate && !words.isEmpty())
        return refuse(QStringLiteral("unexpected argument %1").arg(words.first()));
    if (!catalogue.sourceLanguageCodes().contains(source))
        return refuse(QStringLiteral("unknown source language code %1").arg(source));
    if (!catalogue.targetLanguageCodes().contains(target))
        return refuse(QStringLiteral("unknown target language code %1").arg(target));
    return true;
}

bool CommandLine::displayAvailable()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt gives up with an abort when the desktop platform finds no display;
    // other platforms (offscreen, vnc, ...) need none.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

int CommandLine::run(const Endpoints &endpoints) const
{
    int exitCode = 1;
    switch (chosen) {
    case Action::Help: {
        QCommandLineParser parser;
        declare(&parser);
        out() << parser.helpText();
        exitCode = 0;
        break;
    }
    case Action::Version:
        out() << "quillora " << QUILLORA_VERSION << '\n';
        exitCode = 0;
        break;
    case Action::Translate:
        exitCode = translate(endpoints);
        break;
    case Action::QuickTranslate:
        exitCode = quickTranslate();
        break;
    case Action::Window:
        break;
    }
    out().flush();
    err().flush();
    return exitCode;
}

int CommandLine::quickTranslate() const
{
    if (SingleInstance().askRunningCopyToQuickTranslate())
        return 0;
    err() << "quillora: Quillora is not running; start it first\n";
    return 1;
}

int CommandLine::translate(const Endpoints &endpoints) const
{
    QString text = words.join(QLatin1Char(' '));
    if (words.isEmpty()) {
        QFile input;
        if (input.open(stdin, QIODevice::ReadOnly))
            text = QString::fromUtf8(input.readAll());
        // What a terminal or "echo" adds is no part of the text.
        while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
            text.chop(1);
    }
    if (text.trimmed().isEmpty()) {
        err() << "quillora: nothing to translate\n";
        return 2;
    }

    ServerSession session(endpoints.serverHost, endpoints.serverPort.toUShort());
    WebTranslator page(endpoints.webPage);
    page.setTimeout(endpoints.webTimeoutMs);
    TranslationRun run(&page, &session);
    run.setServerTimeout(endpoints.serverTimeoutMs);
    QEventLoop loop;
    int exitCode = 1;
    bool started = false;
    // As in the window, the text is cut to the server's limit, which is known
    // once the link is up; without a server the page alone is tried.
    const auto begin = [&](int limit) {
        if (started)
            return;
        started = true;
        const QString cut = TextPieces::cutToLimit(text, limit);
        if (cut.size() < text.size())
            err() << "quillora: only the first " << cut.size() << " of " << text.size()
                  << " characters are translated\n";
        run.start({source, target, cut});
    };
    QTimer patience;
    patience.setSingleShot(true);
    QObject::connect(&patience, &QTimer::timeout, [&] { begin(ServerAnswer::defaultLimit); });
    QObject::connect(&session, &ServerSession::linkChanged, [&](bool up) {
        if (up)
            session.requestLimit();
    });
    QObject::connect(&session, &ServerSession::limitArrived, begin);
    QObject::connect(&session, &ServerSession::dialFailed,
                     [&] { begin(ServerAnswer::defaultLimit); });
    QObject::connect(&run, &TranslationRun::finished,
                     [&](const QString &result, TranslationRun::Origin origin) {
                         if (!started)
                             return;
                         if (origin == TranslationRun::Origin::Nowhere) {
                             err() << "quillora: cannot translate: neither the translation page "
                                      "nor the companion server answered\n";
                         } else {
                             out() << result << '\n';
                             exitCode = 0;
                         }
                         loop.quit();
                     });
    session.start();
    patience.start(ServerSession::reconnectPeriodMs);
    loop.exec();
    return exitCode;
}
