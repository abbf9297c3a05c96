// Parses arbitrary bytes and calls every wrapper operation on every node the
// parser made, template contents included, for the sanitizers to watch.
#include "html/htmldocument.h"

#include <cstdint>
#include <stdexcept>

namespace {

void exercise(const HtmlNode &node)
{
    node.tagName();
    node.id();
    node.classList();
    node.getAttribute(QStringLiteral("id"));
    try {
        for (const HtmlAttribute &attribute : node.attributes())
            attribute.value();
    } catch (const std::invalid_argument &) {
        // Gumbo turns a zero byte where a name should start into a nameless
        // attribute, which the wrapper reports.
    }
    node.children();
    node.innerText();
    if (node.gumboNode()->type != GUMBO_NODE_DOCUMENT)
        node.outerHtml();
    node.getElementsByClassName(QStringLiteral("result-container"));
    node.getElementById(QStringLiteral("a"));
    node.getElementsByTagName(GUMBO_TAG_DIV);
    node.forEach([](const HtmlNode &) {});
    // childNodes() stops at templates; their content is reached directly.
    if (node.gumboNode()->type == GUMBO_NODE_ELEMENT ||
        node.gumboNode()->type == GUMBO_NODE_TEMPLATE) {
        const GumboVector &children = node.gumboNode()->v.element.children;
        for (unsigned int i = 0; i < children.length; ++i)
            exercise(HtmlNode(static_cast<const GumboNode *>(children.data[i])));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const HtmlDocument document(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    try {
        HtmlNode(document.rootNode().gumboNode()->parent).outerHtml();
    } catch (const std::runtime_error &) {
    }
    exercise(document.rootNode());
    return 0;
}
