#include "explorer/explorertest.h"

#include "explorer/cdromlabel.h"
#include "explorer/exeicons.h"
#include "explorer/shellicons.h"
#include "explorer/volumes.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QStringEncoder>

#include <map>
#include <vector>

namespace {
void put16(QByteArray& b, qsizetype at, quint32 v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

void put32(QByteArray& b, qsizetype at, quint32 v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// A 16 x 16 icon image in one colour, as icon resources store it (a DIB
// with its AND mask).
QByteArray iconImage(QRgb colour)
{
    QByteArray dib(40 + 16 * 16 * 4 + 16 * 4, '\0');
    put32(dib, 0, 40);
    put32(dib, 4, 16);
    put32(dib, 8, 32);
    put16(dib, 12, 1);
    put16(dib, 14, 32);
    put32(dib, 20, 16 * 16 * 4 + 16 * 4);
    for (int i = 0; i < 16 * 16; ++i) {
        dib[40 + i * 4] = char(qBlue(colour));
        dib[40 + i * 4 + 1] = char(qGreen(colour));
        dib[40 + i * 4 + 2] = char(qRed(colour));
        dib[40 + i * 4 + 3] = char(0xFF);
    }
    return dib;
}

QByteArray groupFor(quint16 iconId, qsizetype imageSize)
{
    QByteArray g(6 + 14, '\0');
    put16(g, 2, 1);
    put16(g, 4, 1);
    g[6] = 16;
    g[7] = 16;
    put16(g, 6 + 4, 1);
    put16(g, 6 + 6, 32);
    put32(g, 6 + 8, quint32(imageSize));
    put16(g, 6 + 12, iconId);
    return g;
}

// A minimal 32-bit Windows program whose resources are the given icons,
// one group per colour, in that order.
QByteArray programWithIcons(const std::vector<QRgb>& colours)
{
    std::map<quint32, std::vector<std::pair<quint32, QByteArray>>> resources;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const QByteArray image = iconImage(colours[i]);
        resources[3].push_back({quint32(i + 1), image});
        resources[14].push_back({quint32(101 + i), groupFor(quint16(i + 1), image.size())});
    }
    // Layout: root, type directories, language directories, data entries, data.
    constexpr quint32 SectionRva = 0x1000;
    QByteArray rsrc(16 + 8 * qsizetype(resources.size()), '\0');
    put16(rsrc, 14, quint32(resources.size()));
    std::vector<std::pair<qsizetype, const QByteArray*>> dataEntries;
    qsizetype rootEntry = 16;
    for (auto& [type, items] : resources) {
        const qsizetype typeDir = rsrc.size();
        rsrc.append(QByteArray(16 + 8 * qsizetype(items.size()), '\0'));
        put32(rsrc, rootEntry, type);
        put32(rsrc, rootEntry + 4, 0x80000000u | quint32(typeDir));
        put16(rsrc, typeDir + 14, quint32(items.size()));
        rootEntry += 8;
        qsizetype nameEntry = typeDir + 16;
        for (auto& [id, data] : items) {
            const qsizetype langDir = rsrc.size();
            rsrc.append(QByteArray(16 + 8, '\0'));
            put16(rsrc, langDir + 14, 1);
            put32(rsrc, nameEntry, id);
            put32(rsrc, nameEntry + 4, 0x80000000u | quint32(langDir));
            nameEntry += 8;
            const qsizetype dataEntry = rsrc.size();
            rsrc.append(QByteArray(16, '\0'));
            put32(rsrc, langDir + 16, 0x0409);
            put32(rsrc, langDir + 20, quint32(dataEntry));
            dataEntries.push_back({dataEntry, &data});
        }
    }
    for (auto& [entry, data] : dataEntries) {
        put32(rsrc, entry, SectionRva + quint32(rsrc.size()));
        put32(rsrc, entry + 4, quint32(data->size()));
        rsrc.append(*data);
    }
    QByteArray pe(0x200, '\0');
    pe.replace(0, 2, "MZ");
    put32(pe, 0x3C, 0x40);
    pe.replace(0x40, 4, QByteArray("PE\0\0", 4));
    const qsizetype coff = 0x44;
    put16(pe, coff, 0x14C);
    put16(pe, coff + 2, 1);
    put16(pe, coff + 16, 224);
    const qsizetype optional = coff + 20;
    put16(pe, optional, 0x10B);
    put32(pe, optional + 92, 16);
    put32(pe, optional + 96 + 16, SectionRva);
    put32(pe, optional + 96 + 20, quint32(rsrc.size()));
    const qsizetype section = optional + 224;
    pe.replace(section, 5, ".rsrc");
    put32(pe, section + 8, quint32(rsrc.size()));
    put32(pe, section + 12, SectionRva);
    put32(pe, section + 16, quint32(rsrc.size()));
    put32(pe, section + 20, 0x200);
    return pe + rsrc;
}

QRgb colourOf(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage().pixel(8, 8) & 0xFFFFFF;
}

// A mounted "disc": an image file with a label, mounted at the folder "disc".
class FakeDisc {
public:
    FakeDisc(const TempTree& tree, const QByteArray& label) : m_saved(volumeSources())
    {
        tree.mkdir("disc");
        tree.mkdir("by-label");
        tree.write("sr0.iso", isoImage(label));
        tree.write("mounts", QFile::encodeName(tree.path("sr0.iso")) + " " + QFile::encodeName(tree.path("disc"))
                                 + " iso9660 ro 0 0\n/dev/sr1 /nonexistent/cd iso9660 ro 0 0\n");
        TSxVolumeSources sources;
        sources.mountsFile = tree.path("mounts");
        sources.byLabelDir = tree.path("by-label");
        setVolumeSources(sources);
    }
    ~FakeDisc() { setVolumeSources(m_saved); }

private:
    TSxVolumeSources m_saved;
};
}

TEST(CdRomLabel, AutorunEntryIsSplitIntoFileAndNumber)
{
    auto read = [](const QByteArray& inf) { return readAutorunIcon(inf); };
    TSxAutorunIcon a = read("[autorun]\r\nopen=setup.exe\r\nicon=setup.exe,2\r\n");
    EXPECT_EQ(a.file, QStringLiteral("setup.exe"));
    EXPECT_EQ(a.number, 2);
    a = read("; disc\n[AutoRun]\nICON = \"My Disc.ico\"\n");
    EXPECT_EQ(a.file, QStringLiteral("My Disc.ico"));
    EXPECT_EQ(a.number, -1);
    a = read("[autorun]\nicon=tools\\app.exe -5\n");
    EXPECT_EQ(a.file, QStringLiteral("tools\\app.exe"));
    EXPECT_EQ(a.number, -5);
    EXPECT_TRUE(read("[other]\nicon=x.ico\n").file.isEmpty());
    EXPECT_TRUE(read("icon=x.ico\n").file.isEmpty());
    QStringEncoder utf16(QStringEncoder::Utf16LE);
    const QByteArray wide = QByteArray("\xFF\xFE") + QByteArray(utf16.encode(u"[autorun]\r\nicon=disc.ico\r\n"));
    EXPECT_EQ(read(wide).file, QStringLiteral("disc.ico"));
}

TEST(CdRomLabel, IconsComeOutOfProgramsAndIconFiles)
{
    const QByteArray program = programWithIcons({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)});
    EXPECT_EQ(colourOf(extractIconFromBytes(program, 0)), qRgb(255, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(colourOf(extractIconFromBytes(program, 2)), qRgb(0, 0, 255) & 0xFFFFFF);
    EXPECT_EQ(colourOf(extractIconFromBytes(program, -102)), qRgb(0, 255, 0) & 0xFFFFFF); // by resource id
    EXPECT_TRUE(extractIconFromBytes(program, 3).isNull());
    EXPECT_TRUE(extractIconFromBytes(program, -1).isNull());
    // Damaged files give no icon, and no crash.
    EXPECT_TRUE(extractIconFromBytes(program.left(0x210), 0).isNull());
    EXPECT_TRUE(extractIconFromBytes(program.left(0x100), 0).isNull());
    EXPECT_TRUE(extractIconFromBytes("MZ", 0).isNull());
    EXPECT_TRUE(extractIconFromBytes(QByteArray(4096, '\xFF'), 0).isNull());
    QByteArray corrupt = program;
    put32(corrupt, 0x3C, 0xFFFFFFF0u);
    EXPECT_TRUE(extractIconFromBytes(corrupt, 0).isNull());
}

TEST(CdRomLabel, ReadyDiscShowsItsCasedLabelAndAutorunIcon)
{
    TempTree tree;
    FakeDisc disc(tree, "WORK DISC");
    const int defaultIcon = defaultCdromIconIndex();

    TSxCdRomLabel label = CdRomLabel(tree.path("disc"));
    EXPECT_EQ(label.text, QStringLiteral("Work Disc"));
    EXPECT_EQ(label.iconIndex, defaultIcon);
    EXPECT_FALSE(label.iconFromDisc);

    // setup.exe is not where the entry says; the root's SETUP.EXE is used.
    tree.write("disc/AUTORUN.INF", "[autorun]\r\nicon=bin\\setup.exe,2\r\n");
    tree.write("disc/SETUP.EXE", programWithIcons({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}));
    label = CdRomLabel(tree.path("disc"));
    EXPECT_EQ(label.text, QStringLiteral("Work Disc"));
    ASSERT_TRUE(label.iconFromDisc);
    EXPECT_EQ(colourOf(TSxSystemImageList::instance().icon(label.iconIndex)), qRgb(0, 0, 255) & 0xFFFFFF);
    EXPECT_EQ(CdRomLabel(tree.path("disc")).iconIndex, label.iconIndex); // added once

    // An icon number the program does not have leaves the default icon.
    tree.write("disc/AUTORUN.INF", "[autorun]\r\nicon=setup.exe,7\r\n");
    label = CdRomLabel(tree.path("disc"));
    EXPECT_EQ(label.iconIndex, defaultIcon);
    EXPECT_FALSE(label.iconFromDisc);
    // A missing file too.
    tree.write("disc/AUTORUN.INF", "[autorun]\r\nicon=nothere.ico\r\n");
    EXPECT_EQ(CdRomLabel(tree.path("disc")).iconIndex, defaultIcon);
}

TEST(CdRomLabel, DriveWithoutMediumAndUnlabelledDisc)
{
    TempTree tree;
    FakeDisc disc(tree, "");
    EXPECT_EQ(CdRomLabel(tree.path("disc")).text, QString());
    const TSxCdRomLabel absent = CdRomLabel(QStringLiteral("/nonexistent/cd"));
    EXPECT_EQ(absent.text, QStringLiteral(" (/nonexistent/cd)"));
    EXPECT_EQ(absent.iconIndex, defaultCdromIconIndex());
}
