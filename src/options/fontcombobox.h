#pragma once

#include <QComboBox>

// A drop-down of the installed font families, sorted, each once, with a
// glyph before the scalable (outline) ones. FontName set by program code
// selects the matching name regardless of case, silently. A name that is
// not installed is kept, shown greyed as the selected entry, until the user
// picks another font: an option must not lose a font that is only missing
// today (a font package removed, a home folder shared between machines).
// A user's pick emits Click.
class TFontComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString FontName READ fontName WRITE setFontName)

public:
    explicit TFontComboBox(QWidget* parent = nullptr);

    QString fontName() const;
    void setFontName(const QString& name);
    // True when the selected name is not an installed family.
    bool isNotInstalled() const;

    void showPopup() override;

    // The family part of a font database name: the database tells families
    // of one name made by several foundries apart as "Family [Foundry]".
    static QString familyName(const QString& databaseName);
    // Each family of databaseNames once, by its family name, sorted without
    // regard to case.
    static QStringList familyNames(const QStringList& databaseNames);

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
    void userPicked(int index);
    void dropMissingName();
    int missingIndex() const;
    bool m_populated = false;
};
