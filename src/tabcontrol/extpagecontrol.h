#pragma once

#include "platform/colors.h"
#include "platform/tfont.h"
#include "tabcontrol/extglyphs.h"
#include "tabcontrol/exthottrack.h"
#include "tabcontrol/tabgeometry.h"
#include "widgets/hintpositioner.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QTabWidget>

#include <functional>

class QPainter;
class QProxyStyle;
class TExtTabBar;

// A page control whose tabs it paints itself: the active tab and the
// inactive tabs have their own background colour and font, the tab under
// the mouse can take a highlight caption colour, each tab can show a glyph
// cut from a strip bitmap and a hint of its own, and the tabs can sit on any
// side. Its tab strip (TExtTabBar) lays out and hit-tests the tabs; this
// control paints the tabs and everything round them.
//
// Tab index and page index differ when pages are hidden: tab n is the n-th
// visible page.
class TExtPageControl : public QTabWidget, public HintPositioner {
    Q_OBJECT
    Q_PROPERTY(QWidget* ActivePage READ activePage WRITE setActivePage)
    Q_PROPERTY(int Color READ color WRITE setColor)
    Q_PROPERTY(bool ParentColor READ parentColor WRITE setParentColor)
    Q_PROPERTY(TExtHottrack* Hottrack READ hottrack)
    Q_PROPERTY(int InitialPage READ initialPage WRITE setInitialPage)
    Q_PROPERTY(int TabActiveColor READ tabActiveColor WRITE setTabActiveColor)
    Q_PROPERTY(TFont* TabActiveFont READ tabActiveFont WRITE setTabActiveFont)
    Q_PROPERTY(TExtGlyphs* TabGlyphs READ tabGlyphs)
    Q_PROPERTY(int TabHeight READ tabHeight WRITE setTabHeight)
    Q_PROPERTY(QStringList TabHints READ tabHints WRITE setTabHints)
    Q_PROPERTY(int TabInactiveColor READ tabInactiveColor WRITE setTabInactiveColor)
    Q_PROPERTY(TFont* TabInactiveFont READ tabInactiveFont WRITE setTabInactiveFont)
    Q_PROPERTY(TExtTabPosition TabPosition READ extTabPosition WRITE setExtTabPosition)
    Q_PROPERTY(TExtTabStyle TabStyle READ tabStyle WRITE setTabStyle)
    Q_PROPERTY(int TabWidth READ tabWidth WRITE setTabWidth)
    Q_PROPERTY(bool TabWordWrap READ tabWordWrap WRITE setTabWordWrap)
    Q_PROPERTY(bool ShowHint READ showHint WRITE setShowHint)

public:
    enum TExtTabPosition { tabPosLeft, tabPosRight, tabPosTop, tabPosBottom };
    Q_ENUM(TExtTabPosition)
    enum TExtTabStyle { tabStDefault, tabStButton };
    Q_ENUM(TExtTabStyle)

    // States of a draw request.
    enum OwnerDrawState : unsigned { odsSelected = 0x1, odsGrayed = 0x2, odsDisabled = 0x4, odsFocus = 0x10 };

    static constexpr TColor clNone = 0x1FFFFFFF;

    // What the drawing events draw with: the painter of the request, the
    // tab's colour, its caption font and the caption colour.
    struct Canvas {
        QPainter* painter = nullptr;
        QColor brush;
        QFont font;
        QColor fontColor;
    };

    using DrawTabEvent = std::function<void(TExtPageControl* control, int pageIndex, bool activeTab,
                                            const QRect& rectFg, const QRect& rectBg, unsigned state)>;
    using DrawBkgndInsideEvent =
        std::function<void(TExtPageControl* control, QPainter& dc, int currPage, const QRect& rectBg)>;
    using DrawBkgndOutsideEvent = std::function<void(TExtPageControl* control, QPainter& dc, const QRegion& rgnBg)>;
    // The can-change query: set allowChange to false to keep the current page.
    using ChangingEvent = std::function<void(bool& allowChange)>;

    explicit TExtPageControl(QWidget* parent = nullptr);
    ~TExtPageControl() override;

    // Drawing events.
    DrawTabEvent OnDrawTab;
    DrawBkgndInsideEvent OnDrawBkgndInside;
    DrawBkgndOutsideEvent OnDrawBkgndOutside;
    ChangingEvent OnChanging;

    // Published properties.
    QWidget* activePage() const { return currentWidget(); }
    void setActivePage(QWidget* page);
    TColor color() const { return m_color; }
    void setColor(TColor color);
    bool parentColor() const { return m_parentColor; }
    void setParentColor(bool on);
    TExtHottrack* hottrack() const { return m_hottrack; }
    int initialPage() const { return m_initialPage; }
    void setInitialPage(int index) { m_initialPage = index; }
    TColor tabActiveColor() const { return m_tabActiveColor; }
    void setTabActiveColor(TColor color);
    TFont* tabActiveFont() const { return m_tabActiveFont; }
    void setTabActiveFont(const TFont* font);
    TExtGlyphs* tabGlyphs() const { return m_glyphs; }
    int tabHeight() const { return m_tabHeight; }
    void setTabHeight(int height);
    QStringList tabHints() const { return m_tabHints; }
    void setTabHints(const QStringList& hints) { m_tabHints = hints; }
    TColor tabInactiveColor() const { return m_tabInactiveColor; }
    void setTabInactiveColor(TColor color);
    TFont* tabInactiveFont() const { return m_tabInactiveFont; }
    void setTabInactiveFont(const TFont* font);
    TExtTabPosition extTabPosition() const { return m_tabPosition; }
    void setExtTabPosition(TExtTabPosition position);
    TExtTabStyle tabStyle() const { return m_tabStyle; }
    void setTabStyle(TExtTabStyle style);
    int tabWidth() const { return m_tabWidth; }
    void setTabWidth(int width);
    bool tabWordWrap() const { return m_tabWordWrap; }
    void setTabWordWrap(bool on);
    bool showHint() const { return m_showHint; }
    void setShowHint(bool on) { m_showHint = on; }

    // Virtual operations, in the order subclasses know them.
    virtual void FillTabBackground(QPainter& dc, bool active, const QRect& rect);
    virtual void TabFontChanged();
    virtual void DrawTabText(const QRect& rect, QPoint offset, QPoint& textPos, bool disabled,
                             TabGeometry::Align alignment, const QString& caption);
    virtual void BeginUpdate();
    virtual void DrawTabContent(int pageIndex, const QRect& rect, unsigned state);
    virtual void DestroyInactivePageHandles();
    virtual void DrawTab(int pageIndex, bool active, const QRect& rectFg, const QRect& rectBg, unsigned state);
    virtual void EndUpdate();
    virtual int GetImageIndex(int pageIndex) const;
    virtual QRect GetPageAreaRect() const;
    virtual int TabAtPos(QPoint point) const;
    virtual QRect GetTabRect(int tabIndex) const;
    virtual void HotTrackRepaint(int oldIndex, int newIndex);
    virtual void AlignPages(bool force);

    // The page whose tab has the given index; raises EExtPageInvalidCall
    // when there is none.
    int GetPageIndexByTabIndex(int tabIndex) const;
    // The tab index of a page, -1 while the page is hidden.
    int tabIndexOfPage(int pageIndex) const;
    // Number of tabs (visible pages).
    int tabCount() const;

    // Loading has finished: keeps the control's own hint and shows
    // InitialPage. Runs by itself before the first show if not called.
    void Loaded();
    bool isLoading() const { return m_loading; }

    // Scales the tab sizes and both fonts' heights with a change of resolution.
    void ChangeScale(int multiplier, int divisor);

    // The tab strip's item size (width, height as the strip takes them).
    TabGeometry::ItemSize platformItemSize() const { return m_itemSize; }
    // Whether the strip has the glyph image list (every tab then reserves
    // room for a glyph).
    bool hasImageList() const { return m_imageListAttached; }
    // The font the strip sizes its tabs with: the wider of the two tab fonts.
    QFont stripFont() const;
    TExtTabBar* extTabBar() const { return m_tabBar; }
    // The canvas of the draw request under way.
    const Canvas& canvas() const { return m_canvas; }
    // Whether the last paint went through the off-screen bitmap.
    bool lastPaintBuffered() const { return m_lastPaintBuffered; }

    // The page colour (Color, or the parent's when ParentColor) and the parent's.
    QColor pageColor() const;
    QColor parentBackground() const;

    // A page's Tag (TExtPageControlTag shows glyph number Tag).
    static int pageTag(const QWidget* page);
    static void setPageTag(QWidget* page, int tag);

    // HintPositioner: a hint over a tab goes below its left edge.
    std::optional<QPoint> hintPosition(QPoint globalPos) const override;

    TabGeometry::StripLayout stripLayout() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;

private:
    friend class TExtTabBar;

    TabGeometry::Side side() const { return static_cast<TabGeometry::Side>(m_tabPosition); }
    TabGeometry::Style geometryStyle() const
    {
        return m_tabStyle == tabStButton ? TabGeometry::Style::Button : TabGeometry::Style::Default;
    }
    bool windowExists() const;
    int barIndexOfTab(int tabIndex) const;
    int tabIndexOfBar(int barIndex) const;
    int currentTab() const;
    bool isPageDisabled(int pageIndex) const;
    bool canChange();
    void selectFont();
    void applyItemSize();
    void relayout();
    void attachImageList();
    QRect scrollArrowsRect() const;
    QSize automaticTabSize(int barIndex) const;

    // Hot tracking and hints: the mouse is at a point of the control.
    void mouseHitTest(QPoint controlPos);
    void mouseLeftControl();
    void setTabHint(const QString& hint);
    // A press on a tab of the strip; false when it must be ignored.
    bool acceptTabPress(int barIndex);
    // An accelerator for a tab of the strip.
    void activateByAccelerator(int barIndex);

    // Painting.
    void eraseBackground(QPainter& p);
    void standardPaint(QPainter& p);
    void drawOneTab(QPainter& p, int tabIndex, unsigned state, const QRect& itemRect);
    void paintAll(QPainter& p);

    TExtTabBar* m_tabBar = nullptr;
    QProxyStyle* m_layoutStyle = nullptr;
    TExtHottrack* m_hottrack = nullptr;
    TExtGlyphs* m_glyphs = nullptr;
    TFont* m_tabActiveFont = nullptr;
    TFont* m_tabInactiveFont = nullptr;
    Canvas m_canvas;

    TColor m_color = Colors::clBtnFace;
    bool m_parentColor = true;
    int m_initialPage = -1;
    TColor m_tabActiveColor = Colors::clBtnFace;
    TColor m_tabInactiveColor = Colors::rgb(160, 160, 164);
    int m_tabHeight = 0;
    int m_tabWidth = 0;
    QStringList m_tabHints;
    TExtTabPosition m_tabPosition = tabPosTop;
    TExtTabStyle m_tabStyle = tabStDefault;
    bool m_tabWordWrap = false;
    bool m_showHint = true;
    TabGeometry::ItemSize m_itemSize;
    bool m_imageListAttached = false;

    bool m_loading = true;
    bool MouseInControl = false;
    int LastHintTab = -1;
    QString SavedHint;
    bool FirstPaint = true;
    int EraseLock = 0;
    int PaintLock = 0;
    bool BufferedErase = false;
    bool HotRepaint = false;
    // True while the control itself sets its hint for a tab.
    bool m_settingTabHint = false;
    bool m_lastPaintBuffered = false;
};
