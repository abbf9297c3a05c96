#include "html/htmldocument.h"

#include <stdexcept>

namespace {

QByteArray checkedBytes(const char *utf8)
{
    if (!utf8)
        throw std::invalid_argument("arg should point to utf8 encoded string and can't be nullptr");
    return QByteArray(utf8);
}

} // namespace

HtmlDocument::HtmlDocument(const QByteArray &html)
    : bytes(html), options(&kGumboDefaultOptions),
      output(gumbo_parse_with_options(options, this->bytes.constData(),
                                      static_cast<size_t>(this->bytes.size())))
{
    if (!output)
        throw std::runtime_error("the data can't be parsed");
}

HtmlDocument::HtmlDocument(const char *utf8) : HtmlDocument(checkedBytes(utf8)) {}

HtmlDocument::HtmlDocument(const QString &text) : HtmlDocument(text.toUtf8()) {}

HtmlDocument::HtmlDocument(HtmlDocument &&other) noexcept
    : bytes(other.bytes), options(other.options), output(other.output)
{
    other.options = nullptr;
    other.output = nullptr;
}

HtmlDocument::~HtmlDocument()
{
    if (output)
        gumbo_destroy_output(options, output);
}

HtmlNode HtmlDocument::rootNode() const
{
    return HtmlNode(output ? output->root : nullptr);
}
