#ifndef PICTUREBUTTONS_H
#define PICTUREBUTTONS_H

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QString>

class QAbstractButton;
class QWidget;

// The buttons of the window that show a picture instead of a face of their
// own: Help, the eleven flags, and the previous, play and next buttons. Each
// picture is stretched over its whole button, with the button's text and its
// keyboard focus frame on top. A picture is decoded only when its button is
// first painted, so none of that work stands between the start of the program
// and the window on screen.
class PictureButtons : public QObject
{
    Q_OBJECT

public:
    explicit PictureButtons(QWidget *window);

    // A PNG picture from the resources, read without asking the image format
    // plugins, which would be loaded for the asking; null when it cannot be read.
    static QPixmap readPicture(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void add(QWidget *window, const QString &objectName, const QString &picture);
    void paint(QAbstractButton *button);

    struct Picture
    {
        QString file;
        QPixmap pixmap;
    };
    QHash<const QObject *, Picture> pictures;
};

#endif
