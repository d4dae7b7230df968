#pragma once

#include <QCheckBox>

// A check box whose "Checked" is set silently by program code. Change runs
// for every toggle by the user (mouse, space bar, accelerator); Click only
// for a mouse click.
class TCheckBox : public QCheckBox {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ isChecked WRITE setCheckedSilently)

public:
    explicit TCheckBox(const QString& text, QWidget* parent = nullptr);

    void setCheckedSilently(bool checked);

Q_SIGNALS:
    void Change();
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_mouseRelease = false;
};
