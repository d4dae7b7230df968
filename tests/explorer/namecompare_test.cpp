#include "explorer/namecompare.h"

#include <QByteArray>
#include <QList>
#include <gtest/gtest.h>

#include <algorithm>

namespace {
QList<QByteArray> sorted(QList<QByteArray> names)
{
    std::sort(names.begin(), names.end(),
              [](const QByteArray& a, const QByteArray& b) { return compareItemNames(a, b) < 0; });
    return names;
}
}

TEST(ItemNameOrder, AsPeopleReadNames)
{
    EXPECT_EQ(sorted({"file10", "file2", "File1", "file02b"}), (QList<QByteArray>{"File1", "file2", "file02b", "file10"}));
    // Accents do not move a name away from its letter; case does not either.
    EXPECT_EQ(sorted({"zèbre", "Emu", "élan", "elan", "apple"}),
              (QList<QByteArray>{"apple", "elan", "élan", "Emu", "zèbre"}));
    EXPECT_LT(compareItemNames("apple", "Apple"), 0); // lower case first on a tie
    EXPECT_LT(compareItemNames("a", "ab"), 0);
    EXPECT_LT(compareItemNames("x9", "x10"), 0);
    EXPECT_LT(compareItemNames("x99999999999999999999", "x100000000000000000000"), 0); // longer than any integer
    EXPECT_EQ(compareItemNames("same", "same"), 0);
    EXPECT_NE(compareItemNames("a01", "a1"), 0); // only identical names are equal
}

TEST(ItemNameOrder, IsATotalOrderEvenForOddNames)
{
    const QList<QByteArray> names = {"", "a", "A", "á", "Á", "b", "_x", "0", "00", "007", "7", "a7", "a07", "a 7",
                                     "\xff\xfe", "\xc3", "ß", "ss", "Z", "z1", "z01", "ǅ", "日本", "~", "-"};
    for (const QByteArray& x : names) {
        EXPECT_EQ(compareItemNames(x, x), 0);
        for (const QByteArray& y : names) {
            EXPECT_EQ(compareItemNames(x, y), -compareItemNames(y, x)) << x.toStdString() << " / " << y.toStdString();
            if (x != y) {
                EXPECT_NE(compareItemNames(x, y), 0);
            }
            for (const QByteArray& z : names) {
                if (compareItemNames(x, y) < 0 && compareItemNames(y, z) < 0) {
                    EXPECT_LT(compareItemNames(x, z), 0)
                        << x.toStdString() << " < " << y.toStdString() << " < " << z.toStdString();
                }
            }
        }
    }
}
