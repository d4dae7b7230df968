#include "recovery/crc32c.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <gtest/gtest.h>

TEST(Crc32c, KnownValues)
{
    // Check values of the Castagnoli polynomial (RFC 3720, B.4).
    EXPECT_EQ(crc32c(QByteArrayView("123456789")), 0xE3069283u);
    EXPECT_EQ(crc32c(QByteArray(32, '\0')), 0x8A9136AAu);
    EXPECT_EQ(crc32c(QByteArray(32, '\xFF')), 0x62A8AB43u);
    EXPECT_EQ(crc32c(QByteArrayView()), 0u);
}

TEST(Crc32c, ChainsAndAgreesWithThePortableWay)
{
    QByteArray data(100003, Qt::Uninitialized);
    QRandomGenerator random(17);
    for (char& c : data)
        c = char(random.bounded(256));
    const quint32 whole = crc32c(data);
    EXPECT_EQ(crc32cPortable(data), whole);
    for (const qsizetype cut : {0, 1, 7, 8, 9, 4096, 100002})
        EXPECT_EQ(crc32c(QByteArrayView(data).sliced(cut), crc32c(QByteArrayView(data).first(cut))), whole) << cut;
    // Every alignment and tail length of the instruction path.
    for (qsizetype start = 0; start < 9; ++start)
        for (qsizetype length = 0; length < 40; ++length) {
            const QByteArrayView part = QByteArrayView(data).sliced(start, length);
            EXPECT_EQ(crc32c(part), crc32cPortable(part)) << start << " " << length;
        }
}
