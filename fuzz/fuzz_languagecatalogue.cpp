// Feeds the selection-file parser arbitrary bytes. Checks: whatever it reads
// is written back as three CR LF lines that read back the same; CR LF and LF
// line ends read alike; nothing after the third line matters.
#include "mainwindow/languagecatalogue.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool sameSelection(const LanguageCatalogue::Selection &a, const LanguageCatalogue::Selection &b)
{
    return a.displayLanguage == b.displayLanguage && a.source == b.source && a.target == b.target;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const LanguageCatalogue::Selection selection = LanguageCatalogue::parseSelection(content);

    const QByteArray formatted = LanguageCatalogue::formatSelection(selection);
    check(formatted.count("\r\n") == 3 && formatted.endsWith("\r\n"));
    check(sameSelection(LanguageCatalogue::parseSelection(formatted), selection));

    QByteArray unixLineEnds = content;
    unixLineEnds.replace("\r\n", "\n");
    check(sameSelection(LanguageCatalogue::parseSelection(unixLineEnds), selection));

    if (content.count('\n') >= 3) {
        int third = -1;
        for (int i = 0; i < 3; ++i)
            third = content.indexOf('\n', third + 1);
        const QByteArray tail = content.left(third + 1) + "99\r\n";
        check(sameSelection(LanguageCatalogue::parseSelection(tail), selection));
    }
    return 0;
}
