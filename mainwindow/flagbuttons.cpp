#include "mainwindow/flagbuttons.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QWidget>

namespace {

const QSize flagSize(50, 30);
const QSize chosenFlagSize(70, 42);

} // namespace

FlagButtons::FlagButtons(QWidget *window, const QStringList &languageNames)
    : QObject(window), group(new QButtonGroup(this))
{
    for (int i = 0; i < languageNames.size(); ++i)
        group->addButton(window->findChild<QAbstractButton *>(QStringLiteral("pushButton_") +
                                                              languageNames.at(i)),
                         i);
    connect(group, &QButtonGroup::idClicked, this, &FlagButtons::clicked);
}

void FlagButtons::choose(int index)
{
    for (QAbstractButton *flag : group->buttons()) {
        const QSize size = group->id(flag) == index ? chosenFlagSize : flagSize;
        flag->setMinimumSize(size);
        flag->setMaximumSize(size);
    }
    if (QAbstractButton *chosen = group->button(index))
        chosen->setChecked(true);
}
