#include "platform/tfont.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(TFont, AssignTakesEveryValueAndSignalsOnce)
{
    TFont from;
    from.setCharset(238);
    from.setColor(Colors::rgb(1, 2, 3));
    from.setName(QStringLiteral("DejaVu Serif"));
    from.setPitch(TFont::fpFixed);
    from.setSize(13);
    from.setStyle(TFont::fsItalic | TFont::fsStrikeOut);

    TFont to;
    QSignalSpy changed(&to, &TFont::changed);
    to.assign(from);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(to.charset(), 238);
    EXPECT_EQ(to.color(), Colors::rgb(1, 2, 3));
    EXPECT_EQ(to.name(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(to.pitch(), TFont::fpFixed);
    EXPECT_EQ(to.size(), 13);
    EXPECT_EQ(to.style(), TFont::fsItalic | TFont::fsStrikeOut);
}
