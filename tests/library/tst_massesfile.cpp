// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/massesfile.h"
#include "library/paramentry.h"
#include "tests/library/demolibrary.h"
#include "tests/support/permissions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace
{

/// The files this program asked the system to sync, by their paths at that moment.
QStringList &syncedFiles()
{
    static QStringList paths;
    return paths;
}

} // namespace

// Every fsync of this program passes here on its way to the system's.
extern "C" int fsync(int fd)
{
    char target[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = readlink(link.constData(), target, sizeof target);
    if (length > 0)
        syncedFiles() << QFile::decodeName(QByteArray(target, int(length)));
    using Sync = int (*)(int);
    static const Sync system = reinterpret_cast<Sync>(dlsym(RTLD_NEXT, "fsync"));
    return system ? system(fd) : 0;
}
#endif

using namespace MassesFile;

namespace
{

const QByteArray zeroDigits(86, '0');

/// The library of masses A (layers x, y) and B (none); y's record has only HeatRate = 1.
MassLibrary libraryAB()
{
    MassLibrary lib;
    lib.addMass(QStringLiteral("A"));
    lib.addMass(QStringLiteral("B"));
    lib.addLayer(0, QStringLiteral("x"));
    lib.addLayer(0, QStringLiteral("y"));
    lib.record(1)->HeatRate = 1;
    return lib;
}

QByteArray fileAB()
{
    QByteArray y = zeroDigits;
    y.replace(44, 2, "01");
    y.replace(84, 2, "01");
    return "[Mass]\r\nA=x\x01y\r\nB=\r\n[Parameter]\r\n0=" + zeroDigits + "\r\n1=" + y + "\r\n";
}

/// Compares two libraries mass by mass and row by row.
void compareLibraries(const MassLibrary &actual, const MassLibrary &expected)
{
    QCOMPARE(actual.massNames(), expected.massNames());
    QCOMPARE(actual.layerTotal(), expected.layerTotal());
    for (int r = 0; r < expected.layerTotal(); ++r) {
        QCOMPARE(actual.storage().Row(r).mass, expected.storage().Row(r).mass);
        QCOMPARE(actual.storage().Row(r).name, expected.storage().Row(r).name);
        QCOMPARE(*actual.record(r), *expected.record(r));
    }
}

/// Checks what any decoded file must satisfy, whatever its bytes.
void checkContentsConsistent(const FileContents &contents)
{
    qsizetype layers = 0;
    for (const FileMass &mass : contents.masses)
        layers += mass.layers.size();
    QCOMPARE(qsizetype(contents.records.size()), layers);
    QVERIFY(layers <= MaxEntries);
    int previous = -1;
    for (const auto &[j, fault] : contents.unreadable) {
        Q_UNUSED(fault);
        QVERIFY(j > previous && j < layers);
        QCOMPARE(contents.records[size_t(j)], ProgParam{});
        previous = j;
    }
    if (!contents.hasMassSection)
        QVERIFY(contents.masses.isEmpty());
    // What is read is a masses file or nothing at all; never anything else shown as empty.
    if (contents.error == ReadError::None)
        QVERIFY(contents.hasMassSection != contents.empty);
    else
        QVERIFY(contents.masses.isEmpty() && !contents.empty);

    MassLibrary lib;
    const LoadReport report = Open(lib, contents);
    QCOMPARE(lib.layerTotal(), int(layers));
    QCOMPARE(report.badRecords.size(), contents.unreadable.size());
    for (int r = 0; r < lib.layerTotal(); ++r) {
        QCOMPARE(lib.record(r)->ProgNumber, quint8((r + 1) & 0xFF));
        QVERIFY(r == 0 || lib.storage().Row(r).mass >= lib.storage().Row(r - 1).mass);
    }
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray randomBytes(QRandomGenerator &rng, int size, bool textLike)
{
    static const char alphabet[] = "[]=;\r\n\x01 0123456789ABCDEFabcdefMassParameter";
    QByteArray bytes(size, '\0');
    for (char &b : bytes)
        b = textLike ? alphabet[rng.bounded(int(sizeof alphabet) - 1)] : char(rng.bounded(256));
    return bytes;
}

} // namespace

class TestMassesFile : public QObject
{
    Q_OBJECT

private slots:
    void encodeExample();
    void zeroRecordLine();
    void recordDigits_data();
    void recordDigits();
    void cyrillicNamesIn1251();
    void openExample();
    void openNumbersByRow();
    void addFromFileAppends();
    void unreadableRecords_data();
    void unreadableRecords();
    void badRecordLogLine();
    void lenientReading_data();
    void lenientReading();
    void massSectionBeyond20000Bytes();
    void noMassSection_data();
    void noMassSection();
    void missingFile();
    void notRegularFiles_data();
    void notRegularFiles();
    void tooManyLayers();
    void tooLarge();
    void layerNamesTheFormatHolds();

    void saveThenOpenSameLibrary_data();
    void saveThenOpenSameLibrary();
    void saveReplacesWholeFile();
    void saveRefusesBadNames();
    void saveReportsWriteFailure();
    void saveInPlaceWhereNoFileCanBeCreated();
    void saveReportsWhyAWriteStoppedShort();
    void emptyLibrary_data();
    void emptyLibrary();

    void fuzzRandomBytes_data();
    void fuzzRandomBytes();
    void fuzzMutatedFiles();
    void hugeLine();

    void demoFileIsGeneratorOutput();
    void demoLayersPassCheck();
};

void TestMassesFile::encodeExample()
{
    QCOMPARE(Encode(libraryAB()), fileAB());
}

void TestMassesFile::zeroRecordLine()
{
    MassLibrary lib;
    lib.addMass(QStringLiteral("M"));
    lib.addLayer(0, QStringLiteral("L"));
    const QByteArray bytes = Encode(lib);
    QVERIFY(bytes.endsWith("[Parameter]\r\n0=" + zeroDigits + "\r\n"));
    QCOMPARE(EncodeRecord(ProgParam{}), zeroDigits);
}

void TestMassesFile::recordDigits_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("at"); // 0-based character of the low byte's digits
    QTest::addColumn<QByteArray>("digits");
    QTest::addColumn<QByteArray>("checksum");

    QTest::newRow("HeatRate 1") << 11 << 1 << 44 << QByteArray("0100") << QByteArray("01");
    QTest::newRow("PreDryTemp 450") << 0 << 450 << 0 << QByteArray("C201") << QByteArray("C3");
    QTest::newRow("VacOff 0xABCD") << 19 << 0xABCD << 76 << QByteArray("CDAB") << QByteArray("78");
}

void TestMassesFile::recordDigits()
{
    QFETCH(int, field);
    QFETCH(int, value);
    QFETCH(int, at);
    QFETCH(QByteArray, digits);
    QFETCH(QByteArray, checksum);

    ProgParam p;
    p.setField(field, quint16(value));
    const QByteArray text = EncodeRecord(p);
    QCOMPARE(text.size(), 86);
    QCOMPARE(text.mid(at, 4), digits);
    QCOMPARE(text.right(2), checksum);
    QCOMPARE(text.count('0'), 86 - 4 - 2 + digits.count('0') + checksum.count('0'));

    ProgParam back;
    QCOMPARE(DecodeRecord(text, back), std::nullopt);
    QCOMPARE(back, p);
    // Lower-case digits read the same.
    ProgParam lower;
    QCOMPARE(DecodeRecord(text.toLower(), lower), std::nullopt);
    QCOMPARE(lower, p);
}

void TestMassesFile::cyrillicNamesIn1251()
{
    MassLibrary lib;
    lib.addMass(QStringLiteral("Дентин Б2"));
    lib.addLayer(0, QStringLiteral("Слой №1"));
    lib.addLayer(0, QStringLiteral("ёЁ"));
    const QByteArray bytes = Encode(lib);
    const QByteArray name("\xC4\xE5\xED\xF2\xE8\xED \xC1\x32", 9);
    const QByteArray layer1("\xD1\xEB\xEE\xE9 \xB9\x31", 7);
    const QByteArray layer2("\xB8\xA8", 2);
    QVERIFY(bytes.startsWith("[Mass]\r\n" + name + "=" + layer1 + "\x01" + layer2 + "\r\n"));

    MassLibrary back;
    Open(back, Decode(bytes));
    QCOMPARE(back.massNames(), QStringList{QStringLiteral("Дентин Б2")});
    QCOMPARE(back.layerNames(0), QStringList({QStringLiteral("Слой №1"), QStringLiteral("ёЁ")}));
}

void TestMassesFile::openExample()
{
    MassLibrary lib = libraryAB();
    const LoadReport report = Open(lib, Decode(fileAB()));
    QCOMPARE(lib.massNames(), QStringList({"A", "B"}));
    QCOMPARE(lib.layerNames(0), QStringList({"x", "y"}));
    QCOMPARE(lib.layerCount(1), 0);
    QCOMPARE(lib.record(0)->ProgNumber, quint8(1));
    QCOMPARE(lib.record(1)->ProgNumber, quint8(2));
    QCOMPARE(lib.record(1)->HeatRate, quint16(1));
    QVERIFY(report.badRecords.isEmpty());
    QCOMPARE(report.massCount, 2);
    QCOMPARE(report.layerCount, 2);
}

void TestMassesFile::openNumbersByRow()
{
    // Masses of 2, 0 and 4 layers; the numbers stored in the file are replaced.
    MassLibrary lib;
    for (int m = 0; m < 3; ++m)
        lib.addMass(QStringLiteral("M%1").arg(m));
    for (int m : {0, 0, 2, 2, 2, 2}) {
        const int row = lib.addLayer(m, QStringLiteral("L"));
        lib.record(row)->ProgNumber = 200;
    }
    MassLibrary back;
    Open(back, Decode(Encode(lib)));
    QCOMPARE(back.layerTotal(), 6);
    for (int r = 0; r < 6; ++r)
        QCOMPARE(back.record(r)->ProgNumber, quint8(r + 1));
    QCOMPARE(back.layerCount(2), 4);
}

void TestMassesFile::addFromFileAppends()
{
    MassLibrary lib;
    Open(lib, Decode(fileAB()));
    const LoadReport report = Add(lib, Decode(fileAB()));
    // The names were taken: the added masses get free ones.
    QCOMPARE(lib.massNames(), QStringList({"A", "B", "A (2)", "B (2)"}));
    QCOMPARE(report.renamed,
             QList<RenamedMass>({{2, QStringLiteral("A"), QStringLiteral("A (2)")},
                                 {3, QStringLiteral("B"), QStringLiteral("B (2)")}}));
    QCOMPARE(report.firstMass, 2);
    QCOMPARE(report.firstRow, 2);
    QCOMPARE(lib.layerNames(2), QStringList({"x", "y"}));
    QCOMPARE(lib.firstRow(2), 2);
    QCOMPARE(lib.record(2)->ProgNumber, quint8(3));
    QCOMPARE(lib.record(3)->ProgNumber, quint8(4));
    QCOMPARE(lib.record(2)->HeatRate, quint16(0));
    QCOMPARE(lib.record(3)->HeatRate, quint16(1));
    QCOMPARE(lib.layerCount(3), 0);
    // The first records keep their numbers.
    QCOMPARE(lib.record(1)->ProgNumber, quint8(2));
    // Taken by a mass added before it; shortened to 18 characters without a blank before " (n)".
    Add(lib, Decode("[Mass]\r\nC=\r\nc=\r\nA=\r\n"));
    QCOMPARE(lib.massNames().mid(4), QStringList({"C", "c (2)", "A (3)"}));
    QCOMPARE(FreeMassName("ABCDEFGHIJKLM NOPQ", {"abcdefghijklm nopq"}), "ABCDEFGHIJKLM (2)");
}

void TestMassesFile::unreadableRecords_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("fault");

    QByteArray badSum = EncodeRecord(ProgParam{});
    badSum[85] = '1';
    QByteArray notHex = EncodeRecord(ProgParam{});
    notHex[10] = 'G';
    QTest::newRow("bad checksum") << "1=" + badSum << int(RecordFault::BadChecksum);
    QTest::newRow("not hex") << "1=" + notHex << int(RecordFault::NotHex);
    QTest::newRow("short") << "1=" + zeroDigits.left(84) << int(RecordFault::WrongLength);
    QTest::newRow("long") << "1=" + zeroDigits + "00" << int(RecordFault::WrongLength);
    QTest::newRow("missing") << QByteArray("2=" + zeroDigits) << int(RecordFault::MissingKey);
    QTest::newRow("leading zero key")
        << QByteArray("01=" + zeroDigits) << int(RecordFault::MissingKey);
    QTest::newRow("empty value") << QByteArray("1=") << int(RecordFault::WrongLength);
}

void TestMassesFile::unreadableRecords()
{
    QFETCH(QByteArray, line);
    QFETCH(int, fault);

    ProgParam good;
    good.HeatTemp = 900;
    const QByteArray bytes = "[Mass]\r\nA=ok\x01"
                             "bad\r\n[Parameter]\r\n0=" +
                             EncodeRecord(good) + "\r\n" + line + "\r\n";
    const FileContents contents = Decode(bytes);
    QCOMPARE(contents.unreadable.size(), 1);
    QCOMPARE(contents.unreadable[0].first, 1);
    QCOMPARE(int(contents.unreadable[0].second), fault);

    MassLibrary lib;
    lib.addMass(QStringLiteral("before"));
    lib.addLayer(0, QStringLiteral("old"));
    const LoadReport report = Add(lib, contents);
    QCOMPARE(lib.record(1)->HeatTemp, quint16(900));
    ProgParam zero;
    zero.ProgNumber = 3;
    QCOMPARE(*lib.record(2), zero);
    QCOMPARE(report.badRecords, QList<BadRecord>({{2, QStringLiteral("A"), QStringLiteral("bad"),
                                                   RecordFault(fault)}}));
}

void TestMassesFile::badRecordLogLine()
{
    const BadRecord bad{4, QStringLiteral("Дентин"), QStringLiteral("Слой 1"),
                        RecordFault::BadChecksum};
    for (quint8 language : {quint8(0), quint8(1)}) {
        const QString line = BadRecordLogText(bad, language);
        QVERIFY(line.startsWith(' '));
        QVERIFY(line.contains(QStringLiteral("Дентин")));
        QVERIFY(line.contains(QStringLiteral("Слой 1")));
    }
    QVERIFY(BadRecordLogText(bad, 1).contains("checksum"));
    QVERIFY(BadRecordLogText({0, "A", "x", RecordFault::MissingKey}, 1) !=
            BadRecordLogText({0, "A", "x", RecordFault::WrongLength}, 1));
}

void TestMassesFile::lenientReading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("masses");
    QTest::addColumn<QStringList>("layersOfFirst");
    QTest::addColumn<int>("unreadable");

    const QByteArray rec = EncodeRecord(ProgParam{});
    QTest::newRow("case of sections") << "[mass]\r\nA=x\r\n[PARAMETER]\r\n0=" + rec + "\r\n"
                                      << QStringList{"A"} << QStringList{"x"} << 0;
    QTest::newRow("LF only, blanks around key and value")
        << "[Mass]\nA=x\n[Parameter]\n 0 =  " + rec + " \n"
        << QStringList{"A"} << QStringList{"x"} << 0;
    QTest::newRow("comments and blank lines")
        << "; a comment\r\n\r\n[Mass]\r\n;x=y\r\nA=x\r\n\r\n[Parameter]\r\n0=" + rec
        << QStringList{"A"} << QStringList{"x"} << 0;
    QTest::newRow("first key wins") << "[Mass]\r\nA=x\r\n[Parameter]\r\n0=bad\r\n0=" + rec
                                    << QStringList{"A"} << QStringList{"x"} << 1;
    QTest::newRow("first Mass section only")
        << "[Mass]\r\nA=x\r\n[Other]\r\nC=z\r\n[Mass]\r\nB=y\r\n[Parameter]\r\n0=" + rec
        << QStringList{"A"} << QStringList{"x"} << 0;
    QTest::newRow("separators") << QByteArray("[Mass]\r\nA=x\x01\x01y\x01\r\nB\r\nC=\x01\r\n")
                                << QStringList{"A", "B", "C"} << QStringList{"x", "", "y"} << 4;
    QTest::newRow("equals in layer names")
        << QByteArray("[Mass]\r\nA==x=\r\n") << QStringList{"A"} << QStringList{"=x="} << 1;
    QTest::newRow("names taken whole, blanks around dropped")
        << QByteArray("[Mass]\r\n A long name of thirty characters =\r\n")
        << QStringList{"A long name of thirty characters"} << QStringList{} << 0;
    QTest::newRow("blanks around name and value")
        << QByteArray("[Mass]\r\n  Spaced  =  lead\x01trail  \r\n") << QStringList{"Spaced"}
        << QStringList{"lead", "trail"} << 2;
    QTest::newRow("entries before any section")
        << QByteArray("A=x\r\n[Mass]\r\nB=\r\n") << QStringList{"B"} << QStringList{} << 0;

    // Line ends of any kind, and the byte-order marks of UTF-8 and UTF-16.
    QTest::newRow("CR only") << "[Mass]\rA=x\x01y\rB=\r[Parameter]\r0=" + rec + "\r1=" + rec
                             << QStringList{"A", "B"} << QStringList{"x", "y"} << 0;
    QTest::newRow("CR, LF and CR LF mixed") << "[Mass]\nA=x\r\nB=\r\r\n[Parameter]\r0=" + rec + "\n"
                                            << QStringList{"A", "B"} << QStringList{"x"} << 0;
    const QByteArray cyrillic = QStringLiteral("[Mass]\r\nДентин=Слой 1\x01Ёмкий\r\n"
                                               "[Parameter]\r\n0=%1\r\n1=%1\r\n")
                                    .arg(QString::fromLatin1(rec))
                                    .toUtf8();
    const QStringList cyrillicLayers{"Слой 1", "Ёмкий"};
    QTest::newRow("UTF-8 mark: names in UTF-8")
        << "\xEF\xBB\xBF" + cyrillic << QStringList{"Дентин"} << cyrillicLayers << 0;
    QTest::newRow("UTF-8 mark and CR only")
        << "\xEF\xBB\xBF" + QByteArray(cyrillic).replace("\r\n", "\r") << QStringList{"Дентин"}
        << cyrillicLayers << 0;
    const QString wide = QString::fromUtf8(cyrillic);
    QByteArray little("\xFF\xFE"), big("\xFE\xFF");
    for (const QChar c : wide) {
        little.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        big.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    QTest::newRow("UTF-16 LE mark") << little << QStringList{"Дентин"} << cyrillicLayers << 0;
    QTest::newRow("UTF-16 BE mark") << big << QStringList{"Дентин"} << cyrillicLayers << 0;
}

void TestMassesFile::lenientReading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, masses);
    QFETCH(QStringList, layersOfFirst);
    QFETCH(int, unreadable);

    const FileContents contents = Decode(bytes);
    QStringList names;
    for (const FileMass &mass : contents.masses)
        names << mass.name;
    QCOMPARE(names, masses);
    QCOMPARE(contents.masses.value(0).layers, layersOfFirst);
    QCOMPARE(contents.unreadable.size(), unreadable);
    checkContentsConsistent(contents);
}

void TestMassesFile::massSectionBeyond20000Bytes()
{
    MassLibrary lib;
    for (int m = 0; m < 600; ++m) {
        lib.addMass(QStringLiteral("Mass number %1 with a long name").arg(m));
        lib.addLayer(m, QStringLiteral("Layer %1").arg(m));
    }
    const QByteArray bytes = Encode(lib);
    QVERIFY(bytes.indexOf("[Parameter]") > 20000);
    MassLibrary back;
    const LoadReport report = Open(back, Decode(bytes));
    QCOMPARE(back.massCount(), 600);
    QCOMPARE(back.layerNames(599), QStringList{"Layer 599"});
    QVERIFY(report.badRecords.isEmpty());
}

void TestMassesFile::noMassSection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ReadError>("error");
    QTest::newRow("other sections") << "[Parameter]\r\n0=" + zeroDigits + "\r\n[Masses]\r\nA=x\r\n"
                                    << ReadError::NoMassSection;
    QTest::newRow("comments only")
        << QByteArray("; [Mass]\r\n;A=x\r\n") << ReadError::NoMassSection;
    QRandomGenerator rng(5);
    QByteArray text(5 * 1024 * 1024, ' ');
    for (char &c : text) {
        const char drawn = char(rng.bounded(32, 128));
        c = drawn == 127 ? '\n' : drawn;
    }
    QTest::newRow("5 MB of random text") << text << ReadError::NoMassSection;
    QByteArray program("\x7F"
                       "ELF\x02\x01\x01",
                       7);
    program.append(QByteArray(9, '\0')).append("\r\n[Mass]\r\nA=x\r\n");
    QTest::newRow("a program") << program << ReadError::NotText;
    QTest::newRow("a zero byte in a masses file")
        << QByteArray("[Mass]\r\nA=x\0y\r\n", 15) << ReadError::NotText;
    QTest::newRow("UTF-8 mark, text not UTF-8")
        << QByteArray("\xEF\xBB\xBF[Mass]\r\n\xC4\xE5\xED\xF2\xE8\xED=\r\n") << ReadError::NotText;
    QTest::newRow("UTF-8 mark, a character cut off at the end")
        << QByteArray("\xEF\xBB\xBF[Mass]\r\nA=\xD0") << ReadError::NotText;
    QTest::newRow("UTF-16 mark, odd length")
        << QByteArray("\xFF\xFE[\0M\0a\0s\0s\0]\0\n", 15) << ReadError::NotText;
}

void TestMassesFile::noMassSection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(ReadError, error);
    const FileContents contents = Decode(bytes);
    QCOMPARE(contents.error, error);
    QVERIFY(contents.masses.isEmpty());
    QVERIFY(!contents.empty);
    // Refused with its reason, in both languages.
    QVERIFY(!ReadErrorText(contents, 0).isEmpty());
    QVERIFY(!ReadErrorText(contents, 1).isEmpty());
    checkContentsConsistent(contents);
}

void TestMassesFile::missingFile()
{
    QTemporaryDir dir;
    const FileContents contents = ReadFile(dir.filePath(QStringLiteral("nothing.zkv")));
    QCOMPARE(contents.error, ReadError::CannotOpen);
    QVERIFY(contents.masses.isEmpty());
    QVERIFY(!ReadErrorText(contents, 1).isEmpty());
    QVERIFY(!ReadErrorText(contents, 0).isEmpty());
    MassLibrary lib = libraryAB();
    Open(lib, contents);
    QCOMPARE(lib.massCount(), 0);
}

void TestMassesFile::notRegularFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<ReadError>("error");
    QTest::newRow("folder") << "folder" << ReadError::Folder;
    QTest::newRow("pipe") << "pipe" << ReadError::NotRegularFile;
    QTest::newRow("link to a pipe") << "link" << ReadError::NotRegularFile;
    QTest::newRow("device") << "device" << ReadError::NotRegularFile;
}

void TestMassesFile::notRegularFiles()
{
#ifndef Q_OS_LINUX
    QSKIP("makes pipes the Linux way");
#else
    QFETCH(QString, kind);
    QFETCH(ReadError, error);
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe.zkv"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("link.zkv"));
    QVERIFY(QFile::link(pipe, link));
    const QString path = kind == "folder" ? dir.path()
                         : kind == "pipe" ? pipe
                         : kind == "link" ? link
                                          : QStringLiteral("/dev/zero");
    // A pipe without a writer would wait forever once opened; it is never opened.
    const FileContents contents = ReadFile(path);
    QCOMPARE(contents.error, error);
    QVERIFY(contents.masses.isEmpty());
    QVERIFY(ReadErrorText(contents, 1) != ReadErrorText(contents, 0));
#endif
}

void TestMassesFile::tooManyLayers()
{
    QByteArray bytes = "[Mass]\r\nA=";
    bytes.append(QByteArray(MaxEntries + 5, '\x01'));
    const FileContents contents = Decode(bytes);
    QCOMPARE(contents.error, ReadError::TooManyEntries);
    QVERIFY(contents.masses.isEmpty());
    QVERIFY(contents.records.empty());
    QVERIFY(ReadErrorText(contents, 1).contains(QString::number(MaxEntries)));

    // Exactly the limit is still read.
    QByteArray limit = "[Mass]\r\nA=";
    limit.append(QByteArray(MaxEntries - 1, '\x01'));
    limit.append('z');
    const FileContents atLimit = Decode(limit);
    QCOMPARE(atLimit.error, ReadError::None);
    QCOMPARE(atLimit.records.size(), size_t(MaxEntries));
}

void TestMassesFile::tooLarge()
{
    QByteArray bytes(MaxFileSize + 1, ' ');
    QCOMPARE(Decode(bytes).error, ReadError::TooLarge);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("big.zkv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Mass]\r\nA=x\r\n");
    file.write(bytes);
    file.close();
    QCOMPARE(ReadFile(file.fileName()).error, ReadError::TooLarge);
}

void TestMassesFile::layerNamesTheFormatHolds()
{
    // Layer names that only keys could not hold, and empty names before the last.
    QByteArray bytes = "[Mass]\r\nM=a=b\x01[x\x01\x01;z\r\nN=\x01 mid \x01"
                       "end\r\n[Parameter]\r\n";
    for (int r = 0; r < 7; ++r) {
        ProgParam record;
        record.HeatTemp = quint16(100 * r);
        record.ProgNumber = quint8(r + 1);
        bytes += QByteArray::number(r) + '=' + EncodeRecord(record) + "\r\n";
    }
    MassLibrary lib;
    QVERIFY(Open(lib, Decode(bytes)).badRecords.isEmpty());
    QCOMPARE(lib.layerNames(0), QStringList({"a=b", "[x", "", ";z"}));
    QCOMPARE(lib.layerNames(1), QStringList({"", " mid ", "end"}));
    QCOMPARE(CheckLibraryNames(lib), QList<NameProblem>{});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("held.zkv"));
    const SaveResult saved = Save(lib, path);
    QVERIFY2(saved.saved, qPrintable(saved.error));
    QCOMPARE(readAll(path), bytes);
}

void TestMassesFile::saveThenOpenSameLibrary_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {3u, 17u, 256u, 4099u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

void TestMassesFile::saveThenOpenSameLibrary()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    const QString letters = QStringLiteral("abcXYZ019 -+.,()абвгдЖЗЁё№«»—");
    const auto randomName = [&](int index) {
        QString name = QStringLiteral("%1").arg(index);
        const int extra = int(rng.bounded(12));
        for (int i = 0; i < extra; ++i)
            name.append(letters.at(rng.bounded(int(letters.size()))));
        if (name.endsWith(QLatin1Char(' '))) // a reader drops it
            name.append(QLatin1Char('.'));
        return name;
    };

    MassLibrary lib;
    const int masses = int(rng.bounded(1, 15));
    for (int m = 0; m < masses; ++m) {
        lib.addMass(randomName(m));
        const int layers = int(rng.bounded(12));
        for (int k = 0; k < layers; ++k) {
            const int row = lib.addLayer(m, randomName(k));
            ProgParam &p = *lib.record(row);
            for (int f = 0; f < ProgParam::FieldCount; ++f)
                p.setField(f, quint16(rng.bounded(65536)));
            p.VacOffByTime = quint8(rng.bounded(2));
        }
    }
    for (int r = 0; r < lib.layerTotal(); ++r)
        lib.record(r)->ProgNumber = quint8(r + 1);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.zkv"));
    const SaveResult saved = Save(lib, path);
    QVERIFY2(saved.saved, qPrintable(saved.error));
    QVERIFY(saved.nameProblems.isEmpty());

    MassLibrary back;
    const LoadReport report = Open(back, ReadFile(path));
    QVERIFY(report.badRecords.isEmpty());
    compareLibraries(back, lib);
}

void TestMassesFile::saveReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.zkv"));
    MassLibrary big = libraryAB();
    big.addMass(QStringLiteral("C"));
    big.addLayer(2, QStringLiteral("z"));
    QVERIFY(Save(big, path).saved);

    MassLibrary small;
    small.addMass(QStringLiteral("B"));
    QVERIFY(Save(small, path).saved);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[Mass]\r\nB=\r\n"));
}

void TestMassesFile::saveRefusesBadNames()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.zkv"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("previous");
    old.close();

    MassLibrary lib = libraryAB();
    lib.addMass(QStringLiteral("a"));
    lib.renameLayer(1, QStringLiteral("y\nz"));
    const SaveResult result = Save(lib, path);
    QVERIFY(!result.saved);
    QCOMPARE(result.nameProblems.size(), 2);
    QCOMPARE(result.nameProblems[0].fault, NameFault::DuplicateMass);
    QCOMPARE(result.nameProblems[1].fault, NameFault::ControlChar);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("previous"));
}

void TestMassesFile::saveReportsWriteFailure()
{
    QTemporaryDir dir;
    const SaveResult result =
        Save(libraryAB(), dir.filePath(QStringLiteral("no/such/folder/lib.zkv")));
    QVERIFY(!result.saved);
    QVERIFY(result.nameProblems.isEmpty());
    QVERIFY(!result.error.isEmpty());
}

void TestMassesFile::saveInPlaceWhereNoFileCanBeCreated()
{
#ifndef Q_OS_LINUX
    QSKIP("makes the folder read-only the Linux way");
#else
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.zkv"));
    writeFile(path, "previous");
    const auto writable = QFile::permissions(dir.path());
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([&] { QFile::setPermissions(dir.path(), writable); });
    SaveResult result;
    {
        const PermissionsEnforced enforced;
        if (QFile(dir.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly))
            QSKIP("file permissions are not enforced here");
        syncedFiles().clear();
        result = Save(libraryAB(), path);
    }
    QVERIFY2(result.saved, qPrintable(result.error));
    QCOMPARE(readAll(path), fileAB());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"lib.zkv"});
    // The file itself reached the disk before the save was reported, then its folder.
    const qsizetype file = syncedFiles().indexOf(QFileInfo(path).canonicalFilePath());
    QVERIFY2(file >= 0 && syncedFiles().indexOf(QFileInfo(dir.path()).canonicalFilePath()) > file,
             qPrintable(syncedFiles().join(QLatin1Char('\n'))));
#endif
}

void TestMassesFile::saveReportsWhyAWriteStoppedShort()
{
#ifndef Q_OS_LINUX
    QSKIP("limits the file size the Linux way");
#else
    // A file that takes part of the bytes, then no more (as a disk that fills up): the system's
    // own reason.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.zkv"));
    writeFile(path, "previous");
    MassLibrary big;
    for (int m = 0; m < 200; ++m)
        big.addLayer(big.addMass(QStringLiteral("Mass %1").arg(m)), QStringLiteral("Layer"));
    QVERIFY(Encode(big).size() > 8192);
    rlimit limits{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limits), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = limits;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const SaveResult result = Save(big, path);
    setrlimit(RLIMIT_FSIZE, &limits);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!result.saved);
    QCOMPARE(result.error, qt_error_string(EFBIG));
    QCOMPARE(readAll(path), QByteArray("previous"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"lib.zkv"});
#endif
}

void TestMassesFile::emptyLibrary_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("empty");
    QTest::newRow("no bytes") << QByteArray() << true;
    QTest::newRow("line ends and blanks") << QByteArray("\r\n \t\r\n\n\r") << true;
    QTest::newRow("UTF-8 mark alone") << QByteArray("\xEF\xBB\xBF\r\n") << true;
    QTest::newRow("UTF-16 mark alone") << QByteArray("\xFF\xFE\r\0\n\0", 6) << true;
    QTest::newRow("a Mass section without masses")
        << "[Mass]\r\n[Parameter]\r\n0=" + zeroDigits << false;
}

void TestMassesFile::emptyLibrary()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, empty);
    QCOMPARE(Encode(MassLibrary{}), QByteArray());
    const FileContents contents = Decode(bytes);
    QCOMPARE(contents.error, ReadError::None);
    QCOMPARE(contents.empty, empty);
    checkContentsConsistent(contents);
    MassLibrary lib = libraryAB();
    Open(lib, contents);
    QCOMPARE(lib.massCount(), 0);
}

void TestMassesFile::fuzzRandomBytes_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("textLike");
    for (quint32 seed = 1; seed <= 6; ++seed) {
        QTest::newRow(qPrintable(QStringLiteral("binary %1").arg(seed))) << seed << false;
        QTest::newRow(qPrintable(QStringLiteral("text %1").arg(seed))) << seed << true;
    }
}

void TestMassesFile::fuzzRandomBytes()
{
    QFETCH(quint32, seed);
    QFETCH(bool, textLike);
    QRandomGenerator rng(seed);
    for (int round = 0; round < 60; ++round) {
        QByteArray bytes = randomBytes(rng, int(rng.bounded(1, 4000)), textLike);
        if (rng.bounded(2) == 0)
            bytes.prepend("[Mass]\r\n");
        checkContentsConsistent(Decode(bytes));
        if (QTest::currentTestFailed())
            return;
    }
}

void TestMassesFile::fuzzMutatedFiles()
{
    QRandomGenerator rng(1234);
    const QByteArray base = Encode(DemoLibrary());
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = base;
        const int mutations = int(rng.bounded(1, 8));
        for (int i = 0; i < mutations; ++i) {
            const int at = int(rng.bounded(int(bytes.size()) + 1));
            switch (rng.bounded(4)) {
            case 0:
                if (at < bytes.size())
                    bytes[at] = char(rng.bounded(256));
                break;
            case 1:
                bytes.insert(at, randomBytes(rng, int(rng.bounded(1, 20)), true));
                break;
            case 2:
                bytes.remove(at, int(rng.bounded(1, 30)));
                break;
            default:
                bytes.truncate(at);
                break;
            }
        }
        const FileContents contents = Decode(bytes);
        checkContentsConsistent(contents);
        if (QTest::currentTestFailed())
            return;
    }
}

void TestMassesFile::hugeLine()
{
    QByteArray bytes = "[Mass]\r\nA=";
    bytes.append(QByteArray(4 * 1024 * 1024, 'n'));
    bytes.append("\r\n[Parameter]\r\n0=");
    bytes.append(QByteArray(2 * 1024 * 1024, 'F'));
    const FileContents contents = Decode(bytes);
    QCOMPARE(contents.masses.size(), 1);
    QCOMPARE(contents.masses[0].layers.size(), 1);
    QCOMPARE(contents.masses[0].layers[0].size(), 4 * 1024 * 1024);
    QCOMPARE(contents.unreadable.size(), 1);
    QCOMPARE(contents.unreadable[0].second, RecordFault::WrongLength);
}

void TestMassesFile::demoFileIsGeneratorOutput()
{
    QFile file(QStringLiteral(ZKV_DEMO_FILE));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
    QCOMPARE(file.readAll(), Encode(DemoLibrary()));
}

void TestMassesFile::demoLayersPassCheck()
{
    const FileContents contents = ReadFile(QStringLiteral(ZKV_DEMO_FILE));
    QCOMPARE(contents.error, ReadError::None);
    QVERIFY(contents.unreadable.isEmpty());
    MassLibrary lib;
    Open(lib, contents);
    QVERIFY(lib.massCount() >= 5);
    QVERIFY(CheckLibraryNames(lib).isEmpty());
    for (int m = 0; m < lib.massCount(); ++m) {
        QVERIFY(lib.layerCount(m) >= 1 && lib.layerCount(m) <= MassLibrary::MaxLayers);
        QVERIFY(lib.massName(m).size() <= MaxNameLength);
    }
    for (int r = 0; r < lib.layerTotal(); ++r) {
        const ProgParam &p = *lib.record(r);
        const ParamCheck check = CheckProgParams(p);
        QVERIFY2(
            !check.refused,
            qPrintable(
                QStringLiteral("%1: check %2").arg(lib.storage().Row(r).name).arg(check.check)));
        QCOMPARE(FirstFieldOutOfRange(p), -1);
        QVERIFY(lib.storage().Row(r).name.size() <= MaxNameLength);
    }
    compareLibraries(lib, DemoLibrary());
}

QTEST_APPLESS_MAIN(TestMassesFile)
#include "tst_massesfile.moc"
