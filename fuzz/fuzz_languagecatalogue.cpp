// Feeds the selection-file parser arbitrary bytes. Checks: whatever it reads
// is written back as three CR LF lines that read back the same; CR LF and LF
// line ends read alike; nothing after the third line matters.
#include "mainwindow/languagecatalogue.h"

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray reformatted(const QByteArray &content)
{
    return LanguageCatalogue::formatSelection(LanguageCatalogue::parseSelection(content));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    const QByteArray formatted = reformatted(content);
    QByteArray unixLineEnds = content;
    unixLineEnds.replace("\r\n", "\n");
    int third = -1;
    for (int i = 0; i < 3 && (third = content.indexOf('\n', third + 1)) >= 0;)
        ++i;
    if (formatted.count("\r\n") != 3 || !formatted.endsWith("\r\n") ||
        reformatted(formatted) != formatted || reformatted(unixLineEnds) != formatted ||
        (third >= 0 && reformatted(content.left(third + 1) + "99\r\n") != formatted))
        std::abort();
    return 0;
}
