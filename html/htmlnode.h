#ifndef HTMLNODE_H
#define HTMLNODE_H

#include <QString>
#include <QStringList>

#include <functional>
#include <gumbo.h>
#include <vector>

// One attribute of an element, copied out of the parse tree.
class HtmlAttribute
{
public:
    explicit HtmlAttribute(const GumboAttribute &attribute);

    QString name() const { return attributeName; }
    QString value() const { return attributeValue; }

private:
    QString attributeName;
    QString attributeValue;
};

// A borrowed handle to one node of a parse tree: a single pointer, valid only
// while the HtmlDocument it came from lives. Template elements count as nodes
// of their own kind, so searches and the element operations pass them by.
class HtmlNode
{
public:
    explicit HtmlNode(const GumboNode *node);

    bool isValid() const { return node != nullptr; }
    bool isElement() const { return node->type == GUMBO_NODE_ELEMENT; }
    GumboTag tag() const;
    QString tagName() const;
    QString nodeName() const { return tagName(); }

    QString id() const;
    QStringList classList() const;
    bool hasAttribute(const QString &name) const;
    QString getAttribute(const QString &name) const;
    std::vector<HtmlAttribute> attributes() const;

    std::vector<HtmlNode> childNodes() const;
    std::vector<HtmlNode> children() const;
    int childElementCount() const;

    // The node as it stood in the parsed bytes, character references intact.
    QString outerHtml() const;
    // The decoded text of the direct text children, nested elements left out.
    QString innerText() const;

    // Searches walk this node and its descendants in document order.
    std::vector<HtmlNode> getElementsByClassName(const QString &className) const;
    std::vector<HtmlNode> getElementById(const QString &id) const;
    std::vector<HtmlNode> getElementsByTagName(GumboTag tag) const;
    void forEach(const std::function<void(const HtmlNode &)> &callback) const;

    const GumboNode *gumboNode() const { return node; }
    bool operator==(const HtmlNode &other) const { return node == other.node; }
    bool operator!=(const HtmlNode &other) const { return node != other.node; }

private:
    const GumboNode *node;
};

#endif
