#include "mainwindow/flagbuttons.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace {

const QSize flagSize(50, 30);
const QSize chosenFlagSize(70, 42);

} // namespace

FlagButtons::FlagButtons(const QList<QAbstractButton *> &buttons, QObject *parent)
    : QObject(parent), group(new QButtonGroup(this))
{
    for (int i = 0; i < buttons.size(); ++i)
        group->addButton(buttons.at(i), i);
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
