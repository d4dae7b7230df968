#pragma once

#include <QTimer>
#include <QWidget>

// A caption turned 90 degrees so that it reads upwards, centred, blinking:
// the text is shown and hidden in turn.
class TRotateLabel : public QWidget {
    Q_OBJECT
public:
    explicit TRotateLabel(const QString& text, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    void setBlinking(bool on);
    bool isBlinking() const { return m_blink.isActive(); }
    bool isTextShown() const { return m_textShown; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QTimer m_blink;
    bool m_textShown = true;
};
