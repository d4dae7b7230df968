#pragma once

#include <QColor>
#include <QLabel>
#include <QUrl>

#include <functional>

// A label that opens a link when clicked: its Target, or its caption when
// the target is blank. Shown under a hand cursor in the link colour, or in
// the visited colour once the desktop has opened it.
class TLinkLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Target READ target WRITE setTarget)

public:
    // Opens a URL on the desktop; true when it could. Replaceable for tests.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit TLinkLabel(const QString& caption, QWidget* parent = nullptr);

    QString target() const { return m_target; }
    void setTarget(const QString& target) { m_target = target; }
    void setColors(const QColor& link, const QColor& visited);
    bool isVisited() const { return m_visited; }

    // What a click opens: the target, or the caption when the target is
    // blank; empty when both are blank.
    QString linkText() const;
    // Opens the link; false when there was nothing to open or the desktop
    // could not open it.
    bool openLink();

    // Test seam: sets the opener of every link label; returns the one it
    // replaces.
    static UrlOpener setUrlOpener(UrlOpener opener);
    // The URL a link text stands for.
    static QUrl urlFor(const QString& linkText);

Q_SIGNALS:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyColor();

    QString m_target;
    QColor m_link;
    QColor m_visitedColor;
    bool m_visited = false;
};
