#include "html/htmldocument.h"
#include "html/htmlnode.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

// Calls every wrapper operation on one node. Searches start from the node, so
// over a whole document they cover every subtree.
void exercise(const HtmlNode &node)
{
    node.isValid();
    node.isElement();
    node.tag();
    node.tagName();
    node.nodeName();
    node.id();
    node.classList();
    node.hasAttribute(QStringLiteral("class"));
    node.getAttribute(QStringLiteral("id"));
    try {
        for (const HtmlAttribute &attribute : node.attributes()) {
            attribute.name();
            attribute.value();
        }
    } catch (const std::invalid_argument &) {
        // Gumbo turns a zero byte where a name should start into a nameless
        // attribute, which the wrapper reports.
    }
    node.childElementCount();
    node.children();
    node.innerText();
    if (node.gumboNode()->type != GUMBO_NODE_DOCUMENT)
        node.outerHtml();
    node.getElementsByClassName(QStringLiteral("result-container"));
    node.getElementById(QStringLiteral("a"));
    node.getElementsByTagName(GUMBO_TAG_DIV);
    int visited = 0;
    node.forEach([&visited](const HtmlNode &) { ++visited; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const HtmlDocument document(bytes);
    const HtmlNode root = document.rootNode();
    try {
        HtmlNode(root.gumboNode()->parent).outerHtml();
    } catch (const std::runtime_error &) {
    }
    // childNodes() stops at templates; their content is reached directly so
    // that outerHtml runs on every node the parser made.
    std::vector<const GumboNode *> pending{root.gumboNode()};
    while (!pending.empty()) {
        const GumboNode *current = pending.back();
        pending.pop_back();
        exercise(HtmlNode(current));
        if (current->type == GUMBO_NODE_ELEMENT || current->type == GUMBO_NODE_TEMPLATE) {
            const GumboVector &children = current->v.element.children;
            for (unsigned int i = 0; i < children.length; ++i)
                pending.push_back(static_cast<const GumboNode *>(children.data[i]));
        }
    }
    return 0;
}
