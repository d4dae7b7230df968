#include "tabcontrol/extpagecontrol.h"

#include "tabcontrol/extpageinvalidcall.h"
#include "tabcontrol/exttabbar.h"
#include "tabcontrol/tabedges.h"
#include "widgets/hintballoon.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPixmap>
#include <QProxyStyle>
#include <QStackedWidget>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>

#include <algorithm>

using namespace TabGeometry;

namespace {

// Places the strip, the pane and the pages the way the control draws them;
// everything else comes from the application's style.
class ExtPageLayoutStyle : public QProxyStyle {
public:
    explicit ExtPageLayoutStyle(TExtPageControl* control) : m_control(control) {}

    QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override
    {
        if (widget == m_control) {
            switch (element) {
            case SE_TabWidgetTabBar: return m_control->stripLayout().strip;
            case SE_TabWidgetTabPane: return m_control->stripLayout().pane;
            case SE_TabWidgetTabContents: return m_control->stripLayout().display;
            case SE_TabWidgetLeftCorner:
            case SE_TabWidgetRightCorner: return {};
            default: break;
            }
        }
        return QProxyStyle::subElementRect(element, option, widget);
    }

private:
    TExtPageControl* m_control;
};

QTabWidget::TabPosition qtPosition(TExtPageControl::TExtTabPosition position)
{
    switch (position) {
    case TExtPageControl::tabPosLeft: return QTabWidget::West;
    case TExtPageControl::tabPosRight: return QTabWidget::East;
    case TExtPageControl::tabPosTop: return QTabWidget::North;
    case TExtPageControl::tabPosBottom: return QTabWidget::South;
    }
    return QTabWidget::North;
}

int clamp16(int value) { return std::clamp(value, 0, 65535); }

}

TExtPageControl::TExtPageControl(QWidget* parent) : QTabWidget(parent)
{
    m_hottrack = new TExtHottrack(this);
    m_glyphs = new TExtGlyphs(this);
    m_tabActiveFont = new TFont(this);
    m_tabInactiveFont = new TFont(this);
    connect(m_hottrack, &TExtHottrack::changed, this, qOverload<>(&QWidget::update));
    // Glyphs above their captions make automatically sized tabs taller.
    connect(m_glyphs, &TExtGlyphs::changed, this, &TExtPageControl::attachImageList);
    connect(m_glyphs, &TExtGlyphs::imagesChanged, this, &TExtPageControl::attachImageList);
    connect(m_tabActiveFont, &TFont::changed, this, &TExtPageControl::TabFontChanged);
    connect(m_tabInactiveFont, &TFont::changed, this, &TExtPageControl::TabFontChanged);

    m_tabBar = new TExtTabBar(this);
    setTabBar(m_tabBar);
    m_layoutStyle = new ExtPageLayoutStyle(this);
    m_layoutStyle->setParent(this);
    setStyle(m_layoutStyle);
    setMouseTracking(true);
    connect(this, &QTabWidget::currentChanged, this, qOverload<>(&QWidget::update));
    selectFont();
}

TExtPageControl::~TExtPageControl() = default;

// ---- properties ----------------------------------------------------------

void TExtPageControl::setActivePage(QWidget* page)
{
    const int index = page ? indexOf(page) : -1;
    if (index < 0 || page == currentWidget())
        return;
    if (isPageDisabled(index))
        return;
    if (m_loading) {
        setCurrentIndex(index);
        return;
    }
    if (!canChange())
        return;
    setCurrentIndex(index);
    AlignPages(false);
}

void TExtPageControl::setColor(TColor color)
{
    m_color = color;
    m_parentColor = false;
    update();
}

void TExtPageControl::setParentColor(bool on)
{
    m_parentColor = on;
    update();
}

void TExtPageControl::setTabActiveColor(TColor color)
{
    m_tabActiveColor = color;
    update();
}

void TExtPageControl::setTabInactiveColor(TColor color)
{
    m_tabInactiveColor = color;
    update();
}

void TExtPageControl::setTabActiveFont(const TFont* font)
{
    if (font && font != m_tabActiveFont)
        m_tabActiveFont->assign(*font);
}

void TExtPageControl::setTabInactiveFont(const TFont* font)
{
    if (font && font != m_tabInactiveFont)
        m_tabInactiveFont->assign(*font);
}

void TExtPageControl::setTabHeight(int height)
{
    m_tabHeight = clamp16(height);
    applyItemSize();
    AlignPages(false);
}

void TExtPageControl::setTabWidth(int width)
{
    m_tabWidth = clamp16(width);
    applyItemSize();
    AlignPages(false);
}

void TExtPageControl::setTabWordWrap(bool on)
{
    m_tabWordWrap = on;
    update();
}

void TExtPageControl::setExtTabPosition(TExtTabPosition position)
{
    if (position == m_tabPosition)
        return;
    BeginUpdate();
    const Side from = side();
    const Side to = static_cast<Side>(position);
    const TabSizes sizes = sizesAfterMove(from, to, {m_tabHeight, m_tabWidth});
    m_tabHeight = sizes.tabHeight;
    m_tabWidth = sizes.tabWidth;
    if (isVertical(from) != isVertical(to))
        m_itemSize = TabGeometry::platformItemSize(to, m_tabWidth, m_tabHeight);
    m_tabPosition = position;
    if (position != tabPosTop)
        m_tabStyle = tabStDefault;
    setTabPosition(qtPosition(position));
    m_tabBar->relayoutTabs();
    relayout();
    if (windowExists())
        AlignPages(false);
    EndUpdate();
}

void TExtPageControl::setTabStyle(TExtTabStyle style)
{
    if (style == tabStButton && m_tabPosition != tabPosTop)
        setExtTabPosition(tabPosTop);
    m_tabStyle = style;
    m_tabBar->relayoutTabs();
    relayout();
    update();
}

// ---- virtual operations --------------------------------------------------

void TExtPageControl::FillTabBackground(QPainter& dc, bool active, const QRect& rect)
{
    dc.fillRect(rect, Colors::toQColor(active ? m_tabActiveColor : m_tabInactiveColor));
}

void TExtPageControl::TabFontChanged()
{
    selectFont();
    update();
}

void TExtPageControl::DrawTabText(const QRect& rect, QPoint offset, QPoint& textPos, bool disabled, Align alignment,
                                  const QString& caption)
{
    QPainter* p = m_canvas.painter;
    if (!p)
        return;
    int flags = Qt::AlignTop | Qt::TextShowMnemonic | (m_tabWordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    switch (alignment) {
    case Align::Left: flags |= Qt::AlignLeft; break;
    case Align::Right: flags |= Qt::AlignRight; break;
    case Align::Center: flags |= Qt::AlignHCenter; break;
    }
    const QFontMetrics fm(m_canvas.font);
    const CaptionLayout layout = layoutCaption(rect, offset, alignment, [&](QSize box) {
        return fm.boundingRect(QRect(QPoint(0, 0), box), flags, caption).size();
    });
    p->save();
    p->setFont(m_canvas.font);
    p->setBackgroundMode(Qt::TransparentMode);
    if (disabled) {
        p->setPen(Colors::toQColor(Colors::clBtnHighlight));
        p->drawText(layout.textRect.translated(1, 1), flags, caption);
        p->setPen(Colors::toQColor(Colors::clGrayText));
        p->drawText(layout.textRect, flags, caption);
    } else {
        p->setPen(m_canvas.fontColor);
        p->drawText(layout.textRect, flags, caption);
    }
    p->restore();
    textPos = layout.textPos;
}

void TExtPageControl::BeginUpdate()
{
    ++EraseLock;
    ++PaintLock;
}

void TExtPageControl::DrawTabContent(int pageIndex, const QRect& rect, unsigned state)
{
    const bool disabled = state & odsDisabled;
    const QString caption = tabText(pageIndex);
    const QSize imageSize = m_glyphs->imageSize();
    const auto glyphPos = m_glyphs->position() == TExtGlyphs::glPosLeft ? GlyphPos::Left : GlyphPos::Top;
    const ContentKind kind = contentKind(m_glyphs->hasBitmap(), disabled, glyphPos);
    const CaptionRequest request = captionRequest(kind, side(), imageSize, m_glyphs->spacing());
    // Without a bitmap the caption follows the tab's state; with one, a
    // disabled tab shows its caption etched and no glyph.
    const bool etched = kind == ContentKind::NoGlyph ? disabled : kind == ContentKind::DisabledWithGlyph;
    QPoint textPos;
    DrawTabText(rect, request.offset, textPos, etched, request.align, caption);
    if (kind != ContentKind::GlyphLeft && kind != ContentKind::GlyphTop)
        return;
    const int image = GetImageIndex(pageIndex);
    const QList<QPixmap>& images = m_glyphs->images();
    if (image < 0 || image >= images.size() || !m_canvas.painter)
        return;
    m_canvas.painter->drawPixmap(glyphPosition(kind, side(), rect, imageSize, textPos), images.at(image));
}

void TExtPageControl::DestroyInactivePageHandles()
{
    for (int i = 0; i < count(); ++i) {
        QWidget* page = widget(i);
        if (!page || page == currentWidget() || !page->testAttribute(Qt::WA_NativeWindow))
            continue;
        if (QWindow* handle = page->windowHandle())
            handle->destroy();
    }
}

void TExtPageControl::DrawTab(int pageIndex, bool active, const QRect& rectFg, const QRect& rectBg, unsigned state)
{
    if (m_canvas.painter)
        m_canvas.painter->fillRect(rectBg, m_canvas.brush);
    if (OnDrawTab) {
        OnDrawTab(this, pageIndex, active, rectFg, rectBg, state);
        return;
    }
    DrawTabContent(pageIndex, rectFg, state);
}

void TExtPageControl::EndUpdate()
{
    if (EraseLock > 0)
        --EraseLock;
    if (PaintLock > 0)
        --PaintLock;
    if (EraseLock == 0 && PaintLock == 0)
        update();
}

int TExtPageControl::GetImageIndex(int pageIndex) const { return pageIndex; }

QRect TExtPageControl::GetPageAreaRect() const
{
    return pageAreaRect(stripLayout().display, side());
}

int TExtPageControl::TabAtPos(QPoint point) const
{
    if (!windowExists())
        return -1;
    const QPoint inStrip = point - m_tabBar->pos();
    if (!m_tabBar->rect().contains(inStrip))
        return -1;
    return tabIndexOfBar(m_tabBar->tabAt(inStrip));
}

QRect TExtPageControl::GetTabRect(int tabIndex) const
{
    const int bar = barIndexOfTab(tabIndex);
    if (bar < 0)
        return QRect(0, 0, 0, 0);
    return m_tabBar->tabRect(bar).translated(m_tabBar->pos());
}

void TExtPageControl::HotTrackRepaint(int, int)
{
    if (!windowExists())
        return;
    HotRepaint = true;
    repaint();
}

void TExtPageControl::AlignPages(bool force)
{
    if (!windowExists() || !(force || isVisible()))
        return;
    auto* stack = findChild<QStackedWidget*>();
    if (!stack)
        return;
    for (int i = 0; i < count(); ++i) {
        if (QWidget* page = widget(i))
            page->setGeometry(stack->contentsRect());
    }
    update();
}

// ---- tabs and pages --------------------------------------------------------

int TExtPageControl::GetPageIndexByTabIndex(int tabIndex) const
{
    if (tabIndex >= 0) {
        for (int page = tabIndex; page < count(); ++page) {
            if (tabIndexOfPage(page) == tabIndex)
                return page;
        }
    }
    throw EExtPageInvalidCall(
        QStringLiteral("Function GetPageIndexByTabIndex of component %1 of class %2 was called with an invalid "
                       "parameter (CurrentTabIndex = %3).")
            .arg(objectName(), QString::fromLatin1(metaObject()->className()))
            .arg(tabIndex));
}

int TExtPageControl::tabIndexOfPage(int pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= count() || !isTabVisible(pageIndex))
        return -1;
    int tab = 0;
    for (int i = 0; i < pageIndex; ++i) {
        if (isTabVisible(i))
            ++tab;
    }
    return tab;
}

int TExtPageControl::tabCount() const
{
    int n = 0;
    for (int i = 0; i < count(); ++i) {
        if (isTabVisible(i))
            ++n;
    }
    return n;
}

int TExtPageControl::barIndexOfTab(int tabIndex) const
{
    if (tabIndex < 0)
        return -1;
    int tab = 0;
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i))
            continue;
        if (tab == tabIndex)
            return i;
        ++tab;
    }
    return -1;
}

int TExtPageControl::tabIndexOfBar(int barIndex) const { return tabIndexOfPage(barIndex); }

int TExtPageControl::currentTab() const { return tabIndexOfBar(currentIndex()); }

bool TExtPageControl::isPageDisabled(int pageIndex) const
{
    QWidget* page = widget(pageIndex);
    return !isTabEnabled(pageIndex) || (page && !page->isEnabledTo(this));
}

bool TExtPageControl::canChange()
{
    bool allow = true;
    if (OnChanging)
        OnChanging(allow);
    return allow;
}

int TExtPageControl::pageTag(const QWidget* page)
{
    return page ? page->property("Tag").toInt() : 0;
}

void TExtPageControl::setPageTag(QWidget* page, int tag)
{
    if (page)
        page->setProperty("Tag", tag);
}

void TExtPageControl::tabInserted(int index)
{
    QTabWidget::tabInserted(index);
    update();
}

void TExtPageControl::tabRemoved(int index)
{
    QTabWidget::tabRemoved(index);
    update();
}

// ---- loading and scaling ----------------------------------------------------

void TExtPageControl::Loaded()
{
    if (!m_loading)
        return;
    m_loading = false;
    SavedHint = toolTip();
    if (m_initialPage >= 0 && m_initialPage < count())
        setActivePage(widget(m_initialPage));
}

void TExtPageControl::ChangeScale(int multiplier, int divisor)
{
    m_tabHeight = clamp16(scaled(m_tabHeight, multiplier, divisor));
    m_tabWidth = clamp16(scaled(m_tabWidth, multiplier, divisor));
    for (TFont* font : {m_tabActiveFont, m_tabInactiveFont})
        font->setHeight(scaled(font->height(), multiplier, divisor));
    applyItemSize();
    AlignPages(false);
}

// ---- strip: fonts, sizes, image list ----------------------------------------

QFont TExtPageControl::stripFont() const
{
    const QFont active = m_tabActiveFont->toQFont(font());
    const QFont inactive = m_tabInactiveFont->toQFont(font());
    const int activeW = QFontMetrics(active).horizontalAdvance(QLatin1Char('W'));
    const int inactiveW = QFontMetrics(inactive).horizontalAdvance(QLatin1Char('W'));
    return useActiveFont(activeW, inactiveW) ? active : inactive;
}

void TExtPageControl::selectFont()
{
    m_tabBar->setFont(stripFont());
    m_tabBar->relayoutTabs();
    relayout();
}

void TExtPageControl::applyItemSize()
{
    m_itemSize = TabGeometry::platformItemSize(side(), m_tabWidth, m_tabHeight);
    m_tabBar->relayoutTabs();
    relayout();
}

void TExtPageControl::attachImageList()
{
    m_imageListAttached = !m_glyphs->images().isEmpty();
    m_tabBar->relayoutTabs();
    relayout();
    update();
}

QSize TExtPageControl::automaticTabSize(int barIndex) const
{
    const QFontMetrics fm(m_tabBar->font());
    const QSize caption = fm.size(Qt::TextShowMnemonic, tabText(barIndex));
    const QSize image = m_imageListAttached ? m_glyphs->imageSize() : QSize();
    const GlyphPos glyphPos = m_glyphs->position() == TExtGlyphs::glPosTop ? GlyphPos::Top : GlyphPos::Left;
    return TabGeometry::automaticTabSize(caption, image, glyphPos, m_glyphs->spacing());
}

void TExtPageControl::relayout()
{
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(this, &request);
}

TabGeometry::StripLayout TExtPageControl::stripLayout() const
{
    return layoutStrip(rect(), side(), m_tabBar->sizeHint());
}

bool TExtPageControl::windowExists() const { return testAttribute(Qt::WA_WState_Created); }

QRect TExtPageControl::scrollArrowsRect() const
{
    QRect arrows;
    for (QToolButton* button : m_tabBar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
        if (button->isVisible())
            arrows |= button->geometry().translated(m_tabBar->pos());
    }
    return arrows;
}

QColor TExtPageControl::parentBackground() const
{
    if (const QWidget* parent = parentWidget())
        return parent->palette().color(parent->backgroundRole());
    return palette().color(QPalette::Window);
}

QColor TExtPageControl::pageColor() const
{
    return m_parentColor ? parentBackground() : Colors::toQColor(m_color);
}

// ---- hot tracking, hints, input --------------------------------------------

void TExtPageControl::mouseHitTest(QPoint controlPos)
{
    MouseInControl = true;
    const int tab = TabAtPos(controlPos);
    if (m_hottrack->enabled() && tab != m_hottrack->HotIndex) {
        const int old = m_hottrack->HotIndex;
        m_hottrack->HotIndex = tab;
        HotTrackRepaint(old, tab);
    }
    if (m_showHint && tab != LastHintTab) {
        LastHintTab = tab;
        THintBalloon::cancelHint();
        QString hint;
        if (tab >= 0) {
            const int page = GetPageIndexByTabIndex(tab);
            if (page < m_tabHints.size())
                hint = m_tabHints.at(page);
        }
        setTabHint(hint);
    }
}

void TExtPageControl::setTabHint(const QString& hint)
{
    m_settingTabHint = true;
    setToolTip(hint);
    m_settingTabHint = false;
}

void TExtPageControl::mouseLeftControl()
{
    MouseInControl = false;
    if (m_hottrack->HotIndex != -1) {
        const int old = m_hottrack->HotIndex;
        m_hottrack->HotIndex = -1;
        HotTrackRepaint(old, -1);
    }
    if (LastHintTab != -1) {
        LastHintTab = -1;
        setTabHint(SavedHint);
    }
}

bool TExtPageControl::acceptTabPress(int barIndex)
{
    if (barIndex < 0)
        return true;
    if (isPageDisabled(barIndex))
        return false;
    if (barIndex != currentIndex() && !canChange())
        return false;
    return true;
}

void TExtPageControl::activateByAccelerator(int barIndex)
{
    if (focusPolicy() == Qt::NoFocus && m_tabBar->focusPolicy() == Qt::NoFocus)
        return;
    setActivePage(widget(barIndex));
}

std::optional<QPoint> TExtPageControl::hintPosition(QPoint globalPos) const
{
    const int tab = TabAtPos(mapFromGlobal(globalPos));
    if (tab < 0)
        return std::nullopt;
    const QRect r = GetTabRect(tab);
    return mapToGlobal(QPoint(r.left() + 3, r.top() + r.height() + 1));
}

void TExtPageControl::mouseMoveEvent(QMouseEvent* event)
{
    QTabWidget::mouseMoveEvent(event);
    mouseHitTest(event->position().toPoint());
}

void TExtPageControl::enterEvent(QEnterEvent* event)
{
    QTabWidget::enterEvent(event);
    MouseInControl = true;
}

void TExtPageControl::leaveEvent(QEvent* event)
{
    QTabWidget::leaveEvent(event);
    mouseLeftControl();
}

void TExtPageControl::showEvent(QShowEvent* event)
{
    Loaded();
    QTabWidget::showEvent(event);
}

bool TExtPageControl::event(QEvent* event)
{
    // A hint the program gives the control after loading is the one to
    // come back to, not the one it had when loading finished.
    if (event->type() == QEvent::ToolTipChange && !m_settingTabHint && !m_loading)
        SavedHint = toolTip();
    return QTabWidget::event(event);
}

void TExtPageControl::changeEvent(QEvent* event)
{
    QTabWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        selectFont();
        update();
    } else if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) {
        update();
    }
}

// ---- painting --------------------------------------------------------------

void TExtPageControl::paintEvent(QPaintEvent* event)
{
    if (PaintLock > 0)
        return;
    const bool onActiveForm = window() && window()->isActiveWindow();
    const bool direct = !HotRepaint && (FirstPaint || !onActiveForm);
    if (direct) {
        FirstPaint = false;
        QPainter p(this);
        paintAll(p);
    } else {
        const qreal dpr = devicePixelRatioF();
        QPixmap buffer(size() * dpr);
        buffer.setDevicePixelRatio(dpr);
        {
            QPainter bp(&buffer);
            BufferedErase = true;
            eraseBackground(bp);
            BufferedErase = false;
            standardPaint(bp);
        }
        QPainter p(this);
        p.setClipRegion(event->region());
        p.drawPixmap(0, 0, buffer);
    }
    m_lastPaintBuffered = !direct;
    HotRepaint = false;
}

void TExtPageControl::paintAll(QPainter& p)
{
    eraseBackground(p);
    standardPaint(p);
}

void TExtPageControl::eraseBackground(QPainter& p)
{
    if (EraseLock > 0)
        return;
    p.save();
    p.setBrushOrigin(x() % 8, y() % 8);
    const QRect pageArea = GetPageAreaRect();
    p.fillRect(pageArea, pageColor());
    if (OnDrawBkgndInside) {
        const int tab = currentTab();
        OnDrawBkgndInside(this, p, tab >= 0 ? GetPageIndexByTabIndex(tab) : -1, pageArea);
    }
    QRegion region = QRegion(rect()) - QRegion(pageArea);
    const int tabs = tabCount();
    if (!BufferedErase && tabs > 0) {
        const int selected = currentTab();
        const QRect arrows = scrollArrowsRect();
        for (int tab = 0; tab < tabs; ++tab) {
            const QRect r = GetTabRect(tab);
            FillTabBackground(p, tab == selected, r);
            if (!r.intersects(arrows))
                region -= QRegion(r);
        }
    }
    const QColor outside = parentBackground();
    p.setClipRegion(region);
    p.fillRect(rect(), outside);
    p.setClipping(false);
    if (OnDrawBkgndOutside) {
        p.setBackground(outside);
        OnDrawBkgndOutside(this, p, region);
    }
    p.restore();
}

void TExtPageControl::standardPaint(QPainter& p)
{
    const StripLayout layout = stripLayout();
    const bool buttons = m_tabStyle == tabStButton;
    if (!buttons)
        TabEdges::drawPaneBorder(p, layout.pane, palette());

    const int tabs = tabCount();
    const int selected = currentTab();
    p.save();
    p.setClipRect(layout.strip.adjusted(-2, -2, 2, 2));
    // The selected tab stands out over its neighbours: drawn last.
    for (int pass = 0; pass < 2; ++pass) {
        for (int tab = 0; tab < tabs; ++tab) {
            const bool isSelected = tab == selected;
            if (isSelected != (pass == 1))
                continue;
            const QRect r1 = GetTabRect(tab);
            const QRect item = isSelected ? selectedItemRect(r1, side()) : r1;
            const unsigned state = isSelected ? odsSelected : 0u;
            drawOneTab(p, tab, state, item);
            if (buttons)
                TabEdges::drawButton(p, r1, isSelected, palette());
            else
                TabEdges::drawTab(p, item, side(), palette());
        }
    }
    p.restore();
}

void TExtPageControl::drawOneTab(QPainter& p, int tabIndex, unsigned state, const QRect& itemRect)
{
    if (tabIndex < 0)
        return;
    const int pageIndex = GetPageIndexByTabIndex(tabIndex);
    if (isPageDisabled(pageIndex))
        state |= odsDisabled;
    const bool selected = state & odsSelected;
    const QRect r1 = GetTabRect(tabIndex);
    const TabRects rects = tabDrawRects(selected, geometryStyle(), side(), itemRect, r1);

    m_canvas.painter = &p;
    const TFont* font = selected ? m_tabActiveFont : m_tabInactiveFont;
    m_canvas.brush = Colors::toQColor(selected ? m_tabActiveColor : m_tabInactiveColor);
    m_canvas.font = font->toQFont(this->font());
    m_canvas.fontColor = Colors::toQColor(font->color());
    const TColor hot = selected ? m_hottrack->tabActiveColor() : m_hottrack->tabInactiveColor();
    if (m_hottrack->enabled() && hot != clNone && m_hottrack->HotIndex == tabIndex)
        m_canvas.fontColor = Colors::toQColor(hot);
    p.save();
    DrawTab(pageIndex, selected, rects.fg, rects.bg, state);
    p.restore();
    m_canvas.painter = nullptr;
}
