#include "widgets/radiogroup.h"

#include <QGridLayout>
#include <QRadioButton>
#include <QSignalBlocker>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent)
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 2, 4, 2);
    layout->setHorizontalSpacing(4);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(QStringLiteral("item%1").arg(i));
        m_group.addButton(button, i);
        layout->addWidget(button, i / columns, i % columns);
    }
    // idClicked comes from the user only (mouse or keyboard), never from code.
    connect(&m_group, &QButtonGroup::idClicked, this, [this](int id) {
        if (id != m_lastIndex) {
            m_lastIndex = id;
            Q_EMIT Change();
        }
    });
}

int TRadioGroup::itemIndex() const { return m_group.checkedId(); }

void TRadioGroup::setItemIndexSilently(int index)
{
    QAbstractButton* button = m_group.button(index);
    if (!button)
        return;
    const QSignalBlocker block(&m_group);
    button->setChecked(true);
    m_lastIndex = index;
}

void TRadioGroup::setItemText(int index, const QString& text)
{
    if (QAbstractButton* button = m_group.button(index))
        button->setText(text);
}
