#pragma once

#include <QComboBox>

// A drop-down of the installed font families, sorted, each once, with a
// glyph before the scalable (outline) ones. FontName set by program code
// selects the matching name regardless of case, silently; an unknown name
// leaves nothing selected. A user's pick emits Click.
class TFontComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString FontName READ fontName WRITE setFontName)

public:
    explicit TFontComboBox(QWidget* parent = nullptr);

    QString fontName() const;
    void setFontName(const QString& name);

    void showPopup() override;

Q_SIGNALS:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    // The keyboard and the wheel pick from the list too: it must be there.
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // The font list is read on first need: reading it costs start-up time
    // and an empty name needs no list.
    void ensurePopulated();
    bool m_populated = false;
};
