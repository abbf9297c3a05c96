#include "html/htmlnode.h"

#include <algorithm>
#include <stdexcept>

namespace {

const GumboNode *childAt(const GumboVector &vector, unsigned int index)
{
    return static_cast<const GumboNode *>(vector.data[index]);
}

// Pre-order over the element nodes below and including start. An explicit
// stack keeps arbitrarily deep pages from exhausting the call stack. The
// visitor returns false to end the walk early.
template <typename Visitor> void walkElements(const GumboNode *start, Visitor visit)
{
    std::vector<const GumboNode *> pending{start};
    while (!pending.empty()) {
        const GumboNode *current = pending.back();
        pending.pop_back();
        if (current->type != GUMBO_NODE_ELEMENT)
            continue;
        if (!visit(current))
            return;
        const GumboVector &children = current->v.element.children;
        for (unsigned int i = children.length; i-- > 0;)
            pending.push_back(childAt(children, i));
    }
}

const GumboAttribute *elementAttribute(const GumboNode *node, const char *name)
{
    if (node->type != GUMBO_NODE_ELEMENT)
        return nullptr;
    return gumbo_get_attribute(&node->v.element.attributes, name);
}

bool hasPiece(const GumboStringPiece &piece)
{
    return piece.data != nullptr && piece.length > 0;
}

const char *pieceEnd(const GumboStringPiece &piece)
{
    return piece.data + piece.length;
}

QString pieceText(const GumboStringPiece &piece)
{
    if (!hasPiece(piece))
        return QString();
    return QString::fromUtf8(piece.data, static_cast<int>(piece.length));
}

// The last source byte that any node below (and including) the element was
// parsed from. Every source piece points into the parsed bytes, so this is
// always a position inside them, unlike the parser's end position of an
// element whose end tag was implied or missing.
const char *subtreeSourceEnd(const GumboNode *element)
{
    const char *end = pieceEnd(element->v.element.original_tag);
    std::vector<const GumboNode *> pending{element};
    while (!pending.empty()) {
        const GumboNode *current = pending.back();
        pending.pop_back();
        switch (current->type) {
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
            const GumboElement &e = current->v.element;
            if (hasPiece(e.original_tag))
                end = std::max(end, pieceEnd(e.original_tag));
            if (hasPiece(e.original_end_tag))
                end = std::max(end, pieceEnd(e.original_end_tag));
            for (unsigned int i = 0; i < e.children.length; ++i)
                pending.push_back(childAt(e.children, i));
            break;
        }
        case GUMBO_NODE_DOCUMENT:
            break;
        default:
            if (hasPiece(current->v.text.original_text))
                end = std::max(end, pieceEnd(current->v.text.original_text));
            break;
        }
    }
    return end;
}

QString elementSource(const GumboNode *node)
{
    const GumboElement &element = node->v.element;
    if (!hasPiece(element.original_tag))
        return QString();
    const char *begin = element.original_tag.data;
    const char *end = pieceEnd(element.original_tag);
    if (hasPiece(element.original_end_tag) && element.original_end_tag.data >= end)
        end = pieceEnd(element.original_end_tag);
    else
        end = subtreeSourceEnd(node);
    return QString::fromUtf8(begin, static_cast<int>(end - begin));
}

bool classListContains(const GumboNode *node, const QString &className)
{
    const GumboAttribute *attribute = elementAttribute(node, "class");
    if (!attribute)
        return false;
    const QString value = QString::fromUtf8(attribute->value);
    int start = 0;
    while (start < value.size()) {
        int stop = value.indexOf(QLatin1Char(' '), start);
        if (stop < 0)
            stop = value.size();
        if (stop > start &&
            value.midRef(start, stop - start).compare(className, Qt::CaseInsensitive) == 0)
            return true;
        start = stop + 1;
    }
    return false;
}

} // namespace

HtmlAttribute::HtmlAttribute(const GumboAttribute &attribute)
{
    if (!attribute.name || attribute.name[0] == '\0')
        throw std::invalid_argument("attribute name can't be empty");
    attributeName = QString::fromUtf8(attribute.name);
    attributeValue = QString::fromUtf8(attribute.value);
}

HtmlNode::HtmlNode(const GumboNode *gumboNode) : node(gumboNode)
{
    if (!node)
        throw std::runtime_error("can't create Node from nullptr");
}

GumboTag HtmlNode::tag() const
{
    return isElement() ? node->v.element.tag : GUMBO_TAG_UNKNOWN;
}

QString HtmlNode::tagName() const
{
    if (!isElement())
        return QString();
    return QString::fromUtf8(gumbo_normalized_tagname(node->v.element.tag));
}

QString HtmlNode::id() const
{
    const GumboAttribute *attribute = elementAttribute(node, "id");
    return attribute ? QString::fromUtf8(attribute->value) : QString();
}

QStringList HtmlNode::classList() const
{
    const GumboAttribute *attribute = elementAttribute(node, "class");
    if (!attribute)
        return QStringList();
    return QString::fromUtf8(attribute->value).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool HtmlNode::hasAttribute(const QString &name) const
{
    if (name.isEmpty())
        throw std::invalid_argument("attribute can't be empty string");
    return elementAttribute(node, name.toUtf8().constData()) != nullptr;
}

QString HtmlNode::getAttribute(const QString &name) const
{
    if (name.isEmpty())
        throw std::invalid_argument("attribute name can't be empty string");
    const GumboAttribute *attribute = elementAttribute(node, name.toUtf8().constData());
    return attribute ? QString::fromUtf8(attribute->value) : QString();
}

std::vector<HtmlAttribute> HtmlNode::attributes() const
{
    std::vector<HtmlAttribute> result;
    if (!isElement())
        return result;
    const GumboVector &attributes = node->v.element.attributes;
    result.reserve(attributes.length);
    for (unsigned int i = 0; i < attributes.length; ++i)
        result.emplace_back(*static_cast<const GumboAttribute *>(attributes.data[i]));
    return result;
}

std::vector<HtmlNode> HtmlNode::childNodes() const
{
    std::vector<HtmlNode> result;
    if (!isElement())
        return result;
    const GumboVector &children = node->v.element.children;
    result.reserve(children.length);
    for (unsigned int i = 0; i < children.length; ++i)
        result.emplace_back(childAt(children, i));
    return result;
}

std::vector<HtmlNode> HtmlNode::children() const
{
    std::vector<HtmlNode> result;
    if (!isElement())
        return result;
    const GumboVector &children = node->v.element.children;
    for (unsigned int i = 0; i < children.length; ++i) {
        if (childAt(children, i)->type == GUMBO_NODE_ELEMENT)
            result.emplace_back(childAt(children, i));
    }
    return result;
}

int HtmlNode::childElementCount() const
{
    if (!isElement())
        return 0;
    const GumboVector &children = node->v.element.children;
    int count = 0;
    for (unsigned int i = 0; i < children.length; ++i) {
        if (childAt(children, i)->type == GUMBO_NODE_ELEMENT)
            ++count;
    }
    return count;
}

QString HtmlNode::outerHtml() const
{
    switch (node->type) {
    case GUMBO_NODE_DOCUMENT:
        throw std::runtime_error("invalid node type");
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
        return elementSource(node);
    default:
        return pieceText(node->v.text.original_text);
    }
}

QString HtmlNode::innerText() const
{
    QString text;
    if (!isElement())
        return text;
    const GumboVector &children = node->v.element.children;
    for (unsigned int i = 0; i < children.length; ++i) {
        const GumboNode *child = childAt(children, i);
        if (child->type == GUMBO_NODE_TEXT)
            text += QString::fromUtf8(child->v.text.text);
    }
    return text;
}

std::vector<HtmlNode> HtmlNode::getElementsByClassName(const QString &className) const
{
    if (className.isEmpty())
        throw std::invalid_argument("class name can't be empty string");
    std::vector<HtmlNode> result;
    walkElements(node, [&](const GumboNode *element) {
        if (classListContains(element, className))
            result.emplace_back(element);
        return true;
    });
    return result;
}

std::vector<HtmlNode> HtmlNode::getElementById(const QString &id) const
{
    if (id.isEmpty())
        throw std::invalid_argument("id can't be empty string");
    std::vector<HtmlNode> result;
    walkElements(node, [&](const GumboNode *element) {
        const GumboAttribute *attribute = elementAttribute(element, "id");
        if (attribute &&
            QString::fromUtf8(attribute->value).compare(id, Qt::CaseInsensitive) == 0) {
            result.emplace_back(element);
            return false;
        }
        return true;
    });
    return result;
}

std::vector<HtmlNode> HtmlNode::getElementsByTagName(GumboTag tag) const
{
    std::vector<HtmlNode> result;
    walkElements(node, [&](const GumboNode *element) {
        if (element->v.element.tag == tag)
            result.emplace_back(element);
        return true;
    });
    return result;
}

void HtmlNode::forEach(const std::function<void(const HtmlNode &)> &callback) const
{
    walkElements(node, [&](const GumboNode *element) {
        callback(HtmlNode(element));
        return true;
    });
}
