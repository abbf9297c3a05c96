#ifndef HTMLDOCUMENT_H
#define HTMLDOCUMENT_H

#include "html/htmlnode.h"

#include <QByteArray>
#include <QString>

#include <gumbo.h>

// One parsed HTML page. The parse tree's source pieces point into the bytes,
// so the document keeps its own shared copy of them for as long as it lives.
class HtmlDocument
{
public:
    explicit HtmlDocument(const QByteArray &bytes);
    explicit HtmlDocument(const char *utf8);
    explicit HtmlDocument(const QString &text);
    HtmlDocument(HtmlDocument &&other) noexcept;
    HtmlDocument(const HtmlDocument &) = delete;
    HtmlDocument &operator=(const HtmlDocument &) = delete;
    HtmlDocument &operator=(HtmlDocument &&) = delete;
    ~HtmlDocument();

    // The top element of the page; the document node above it stays hidden.
    HtmlNode rootNode() const;

    const QByteArray &source() const { return bytes; }

private:
    QByteArray bytes;
    const GumboOptions *options;
    GumboOutput *output;
};

#endif
