#pragma once

#include <QButtonGroup>
#include <QGroupBox>

// A framed group of radio buttons laid out in columns; "ItemIndex" is the
// selected item (-1 for none), set silently by program code. Change runs when
// the user picks another item.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int ItemIndex READ itemIndex WRITE setItemIndexSilently)

public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    int itemIndex() const;
    void setItemIndexSilently(int index);
    int itemCount() const { return int(m_group.buttons().size()); }
    QAbstractButton* item(int index) const { return m_group.button(index); }
    void setItemText(int index, const QString& text);

Q_SIGNALS:
    void Change();

private:
    QButtonGroup m_group;
    int m_lastIndex = -1;
};
