#include "html/htmldocument.h"
#include "html/htmlnode.h"

#include <QFile>

#include <benchmark/benchmark.h>
#include <gumbo.h>

namespace {

// A real current-layout page wrapped in the markup a full mobile page carries
// around it: head with style and script, then navigation, language lists and
// footer links repeated until the page reaches the wanted size. The result
// container stays near the end, so a search has to walk nearly everything.
QByteArray paddedPage(int targetSize)
{
    QFile file(QStringLiteral(QUILLORA_TESTDATA_DIR
                              "/pages/libtranslate-rust__mobile_hl-en_auto-zh-CN_body.html"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray body = file.readAll();

    const QByteArray head =
        "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
        "<title>Google Translate</title><style>body{font-family:Roboto,Arial,sans-serif;"
        "margin:0}.header{display:flex;padding:8px}.result-container{font-size:16px;"
        "padding:8px;white-space:pre-wrap}.language-item a{color:#1a73e8}</style>"
        "<script nonce=\"a1b2c3\">window.WIZ_global_data={\"hl\":\"en\",\"sl\":\"auto\"};"
        "(function(){var s=document.createElement('script');s.async=true;})();</script>";
    const QByteArray block =
        "<div class=\"language-list\"><div class=\"language-item\"><a href=\"./m?sl=auto&amp;"
        "tl=de&amp;q=Hello%20world%21&amp;hl=en\" class=\"lang link\">German</a></div>"
        "<div class=\"language-item selected\"><a href=\"./m?sl=auto&amp;tl=fr&amp;hl=en\">"
        "French &ndash; fran&ccedil;ais</a></div><div class=\"language-item\"><span "
        "class=\"flag fr\"></span><a href=\"./m?sl=auto&amp;tl=ja&amp;hl=en\">Japanese "
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E</a></div><!-- list item --><div "
        "class=\"footer\"><a href=\"https://www.google.com/intl/en/policies/privacy/\">"
        "Privacy</a> &middot; <a href=\"https://www.google.com/intl/en/policies/terms/\">Terms"
        "</a><input type=\"hidden\" name=\"ie\" value=\"UTF-8\"></div></div>\n";

    QByteArray page = head;
    page += "</head><body><div class=\"main\">";
    while (page.size() + body.size() < targetSize)
        page += block;
    page += "</div>";
    // The saved capture starts with the end of the head; drop that part.
    page += body.mid(body.indexOf("<body>") + 6);
    return page;
}

const QByteArray &pageOfSize(int size)
{
    static const QByteArray small = paddedPage(60 * 1024);
    static const QByteArray large = paddedPage(1024 * 1024);
    return size <= 60 * 1024 ? small : large;
}

void wrapperParseSearchText(benchmark::State &state)
{
    const QByteArray &bytes = pageOfSize(int(state.range(0)));
    for (auto _ : state) {
        const HtmlDocument document(bytes);
        const auto found =
            document.rootNode().getElementsByClassName(QStringLiteral("result-container"));
        if (found.empty()) {
            state.SkipWithError("no result container in the generated page");
            break;
        }
        benchmark::DoNotOptimize(found.front().innerText());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
    state.counters["page_bytes"] = bytes.size();
}

void gumboBareParse(benchmark::State &state)
{
    const QByteArray &bytes = pageOfSize(int(state.range(0)));
    for (auto _ : state) {
        GumboOutput *output = gumbo_parse_with_options(&kGumboDefaultOptions, bytes.constData(),
                                                       size_t(bytes.size()));
        benchmark::DoNotOptimize(output->root);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
    state.counters["page_bytes"] = bytes.size();
}

} // namespace

BENCHMARK(wrapperParseSearchText)->Arg(60 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(gumboBareParse)->Arg(60 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
