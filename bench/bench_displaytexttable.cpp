// What relabelling the window costs: one lookup per language of both boxes
// plus the few fixed keys, in a table as large as a full server table, and
// reading that table from disk at start-up.
#include "mainwindow/displaytexttable.h"
#include "mainwindow/languagecatalogue.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QStringList fullTable(const LanguageCatalogue &catalogue)
{
    QStringList lines = {"app_name1=Quillora Pro", "clear=Vymazat", "translate=Přeložit",
                         "Help=Nápověda", "welcome1=Vítejte"};
    for (const QString &name : catalogue.sourceLanguageNames())
        lines.append(name + QStringLiteral("=") + name.toUpper());
    return lines;
}

void relabel(const DisplayTextTable &table, const LanguageCatalogue &catalogue)
{
    for (const char *key : {"app_name1", "clear", "translate"})
        benchmark::DoNotOptimize(table.displayText(QLatin1String(key), QLatin1String(key)));
    for (const QString &name : catalogue.sourceLanguageNames())
        benchmark::DoNotOptimize(table.displayText(name, name));
    for (const QString &name : catalogue.targetLanguageNames())
        benchmark::DoNotOptimize(table.displayText(name, name));
    benchmark::DoNotOptimize(table.displayText(QStringLiteral("Help"), QStringLiteral("Help")));
}

void BM_RelabelFromFullTable(benchmark::State &state)
{
    const LanguageCatalogue catalogue;
    DisplayTextTable table;
    table.setLines(fullTable(catalogue));
    for (auto _ : state)
        relabel(table, catalogue);
}
BENCHMARK(BM_RelabelFromFullTable)->Unit(benchmark::kMicrosecond);

void BM_RelabelFromEmptyTable(benchmark::State &state)
{
    const LanguageCatalogue catalogue;
    const DisplayTextTable table;
    for (auto _ : state)
        relabel(table, catalogue);
}
BENCHMARK(BM_RelabelFromEmptyTable)->Unit(benchmark::kMicrosecond);

void BM_LoadAtStartup(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.txt"));
    DisplayTextTable::writeFile(path, fullTable(LanguageCatalogue()).join(QStringLiteral("\r\n")));
    DisplayTextTable table;
    for (auto _ : state) {
        table.loadAtStartup(path);
        benchmark::DoNotOptimize(table.lines().size());
    }
}
BENCHMARK(BM_LoadAtStartup)->Unit(benchmark::kMicrosecond);

void BM_SetContent(benchmark::State &state)
{
    const QString content = fullTable(LanguageCatalogue()).join(QStringLiteral("\r\n"));
    DisplayTextTable table;
    for (auto _ : state) {
        table.setContent(content);
        benchmark::DoNotOptimize(table.lines().size());
    }
}
BENCHMARK(BM_SetContent)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
