#include "widgets/linklabel.h"

#include "support/openerspy.h"

#include <QTest>
#include <gtest/gtest.h>

TEST(LinkLabel, OpensItsTargetOrElseItsCaption)
{
    OpenerSpy spy(true);
    TLinkLabel link(QStringLiteral("http://caption.example/"));
    link.setTarget(QStringLiteral("http://target.example/"));
    EXPECT_TRUE(link.openLink());
    link.setTarget(QStringLiteral("   "));
    EXPECT_TRUE(link.openLink());
    ASSERT_EQ(spy.opened.size(), 2);
    EXPECT_EQ(spy.opened.at(0), QUrl(QStringLiteral("http://target.example/")));
    EXPECT_EQ(spy.opened.at(1), QUrl(QStringLiteral("http://caption.example/")));

    // Nothing to open: the desktop is not asked.
    TLinkLabel blank(QStringLiteral("  "));
    EXPECT_FALSE(blank.openLink());
    EXPECT_EQ(spy.opened.size(), 2);
}

TEST(LinkLabel, MailLinksKeepTheirSubject)
{
    const QUrl url = TLinkLabel::urlFor(QStringLiteral("mailto:a@b.example?subject=Scrivo 2 - Suggestions"));
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(url.path(), QStringLiteral("a@b.example"));
    EXPECT_EQ(url.query(QUrl::FullyDecoded), QStringLiteral("subject=Scrivo 2 - Suggestions"));
    // A bare web address becomes a web link.
    EXPECT_EQ(TLinkLabel::urlFor(QStringLiteral("www.example.org")).scheme(), QStringLiteral("http"));
}

TEST(LinkLabel, VisitedOnlyWhenTheDesktopOpenedIt)
{
    TLinkLabel link(QStringLiteral("http://x.example/"));
    link.setColors(QColor(0, 128, 0), QColor(128, 0, 128));
    {
        OpenerSpy failing(false);
        EXPECT_FALSE(link.openLink());
        EXPECT_FALSE(link.isVisited());
        EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 128, 0));
    }
    OpenerSpy working(true);
    EXPECT_TRUE(link.openLink());
    EXPECT_TRUE(link.isVisited());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(128, 0, 128));
}

TEST(LinkLabel, ClickOpensUnderAHandCursor)
{
    OpenerSpy spy(true);
    TLinkLabel link(QStringLiteral("http://click.example/"));
    link.resize(120, 15);
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    int clicks = 0;
    QObject::connect(&link, &TLinkLabel::Click, [&] { ++clicks; });
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    ASSERT_EQ(spy.opened.size(), 1);
    // A right click opens nothing.
    QTest::mouseClick(&link, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(spy.opened.size(), 1);
}
