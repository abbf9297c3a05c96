#include "mainwindow/picturebuttons.h"

#include "protocol/languagelist.h"

#include <QAbstractButton>
#include <QEvent>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QWidget>
#include <qdrawutil.h>

namespace {

const QString folder = QStringLiteral(":/image/image/");

struct Named
{
    const char *objectName;
    const char *picture;
};

const Named others[] = {
    {"toolButton", "quillora_30_30"},
    {"pushButton_prev", "left_arrow"},
    {"pushButton_play", "play"},
    {"pushButton_next", "right_arrow"},
};

} // namespace

PictureButtons::PictureButtons(QWidget *window) : QObject(window)
{
    for (const Named &entry : others)
        add(window, QLatin1String(entry.objectName), QLatin1String(entry.picture));
    // Every flag is named after its display language, and so is its picture.
    for (const LanguageList::DisplayLanguage &language : LanguageList::builtIn().displayLanguages())
        add(window, QStringLiteral("pushButton_") + language.name, language.name);
}

void PictureButtons::add(QWidget *window, const QString &objectName, const QString &picture)
{
    auto *button = window->findChild<QAbstractButton *>(objectName);
    if (button == nullptr)
        return;
    pictures.insert(button, {folder + picture + QStringLiteral(".png"), QPixmap()});
    button->installEventFilter(this);
    // Where the form leaves the height free, the button is as high as its
    // text, or a line of text when it has none: the picture needs no bevel
    // around it.
    if (button->minimumHeight() < button->maximumHeight()) {
        const QString text = button->text();
        button->setFixedHeight(
            button->fontMetrics()
                .size(Qt::TextShowMnemonic, text.isEmpty() ? QStringLiteral("XXXX") : text)
                .height());
    }
}

QPixmap PictureButtons::readPicture(const QString &path)
{
    // Named as PNG and never guessed at, a picture is read by the toolkit's
    // own decoder; guessing would load and ask every image format plugin.
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

bool PictureButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Paint)
        return false;
    paint(static_cast<QAbstractButton *>(watched));
    return true;
}

void PictureButtons::paint(QAbstractButton *button)
{
    Picture &picture = pictures[button];
    if (picture.pixmap.isNull())
        picture.pixmap = readPicture(picture.file);

    QPainter painter(button);
    QStyleOptionButton option;
    option.initFrom(button);
    if (button->isDown())
        option.state |= QStyle::State_Sunken;
    if (button->isChecked())
        option.state |= QStyle::State_On;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    qDrawBorderPixmap(&painter, option.rect, QMargins(), picture.pixmap);

    QStyle *style = button->style();
    if (!button->text().isEmpty()) {
        QRect textBox = option.rect;
        if (option.state & (QStyle::State_On | QStyle::State_Sunken))
            textBox.translate(style->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, button),
                              style->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, button));
        int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        if (!style->styleHint(QStyle::SH_UnderlineShortcut, &option, button))
            flags |= Qt::TextHideMnemonic;
        style->drawItemText(&painter, textBox, flags, option.palette, button->isEnabled(),
                            button->text(), QPalette::ButtonText);
    }
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect frame;
        frame.QStyleOption::operator=(option);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, button);
    }
}
