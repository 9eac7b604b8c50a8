// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/cp1251.h"
#include "library/namerules.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

class TestNameRules : public QObject
{
    Q_OBJECT

private slots:
    void cp1251KnownBytes_data();
    void cp1251KnownBytes();
    void cp1251EveryByteRoundTrips();
    void cp1251AgreesWithIcu();
    void cp1251RefusesOthers();

    void checkName_data();
    void checkName();
    void massNameDuplicates();
    void wholeLibrary();
    void messagesInBothLanguages();
};

void TestNameRules::cp1251KnownBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << "Opaque 2" << QByteArray("Opaque 2");
    QTest::newRow("А..я") << "Ая" << QByteArray("\xC0\xFF");
    QTest::newRow("Ёё") << "Ёё" << QByteArray("\xA8\xB8");
    QTest::newRow("№ and guillemets") << "№«»" << QByteArray("\xB9\xAB\xBB");
    QTest::newRow("euro, dash, degree") << "€—°" << QByteArray("\x88\x97\xB0");
    QTest::newRow("Ukrainian") << "ЇїІіЄєҐґ" << QByteArray("\xAF\xBF\xB2\xB3\xAA\xBA\xA5\xB4");
}

void TestNameRules::cp1251KnownBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    bool ok = false;
    QCOMPARE(Cp1251::fromUnicode(text, &ok), bytes);
    QVERIFY(ok);
    QCOMPARE(Cp1251::toUnicode(bytes), text);
}

void TestNameRules::cp1251EveryByteRoundTrips()
{
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = Cp1251::toUnicode(all);
    QCOMPARE(text.size(), 256);
    bool ok = false;
    QCOMPARE(Cp1251::fromUnicode(text, &ok), all);
    QVERIFY(ok);
    // No two bytes share a character.
    QSet<QChar> distinct(text.begin(), text.end());
    QCOMPARE(distinct.size(), 256);
}

void TestNameRules::cp1251AgreesWithIcu()
{
    QStringDecoder decoder("windows-1251");
    if (!decoder.isValid())
        QSKIP("this Qt has no windows-1251 codec to compare with");
    for (int b = 0x80; b < 0x100; ++b) {
        if (b == 0x98) // undefined in the code page
            continue;
        const QByteArray byte(1, char(b));
        const QString expected = decoder.decode(byte);
        QCOMPARE(Cp1251::toUnicode(byte), expected);
    }
}

void TestNameRules::cp1251RefusesOthers()
{
    bool ok = true;
    QCOMPARE(Cp1251::fromUnicode(QStringLiteral("a日b"), &ok), QByteArray("a?b"));
    QVERIFY(!ok);
    QVERIFY(!Cp1251::canEncode(QStringLiteral("ä")));
    QVERIFY(!Cp1251::canEncode(QStringLiteral("x😀")));
    QVERIFY(!Cp1251::canEncode(QString(QChar(0xD800))));
    QVERIFY(Cp1251::canEncode(QStringLiteral("Дентин Б2")));
    QCOMPARE(Cp1251::encodeChar(QChar(0x2116)), 0xB9);
    QCOMPARE(Cp1251::encodeChar(QChar(0x00E4)), -1);
}

void TestNameRules::checkName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("limitLength");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("layerFault"); // the same name entered for a layer

    using F = NameFault;
    struct Row {
        const char *tag;
        QString name;
        bool limitLength;
        F fault;
        F layerFault;
    };
    const Row rows[] = {
        {"plain", "Dentine", true, F::None, F::None},
        {"Cyrillic", "Дентин Б2", true, F::None, F::None},
        {"18 characters", "ABCDEFGHIJKLMNOPQR", true, F::None, F::None},
        {"19 characters", "ABCDEFGHIJKLMNOPQRS", true, F::TooLong, F::TooLong},
        {"19 from a file", "ABCDEFGHIJKLMNOPQRS", false, F::None, F::TooLong},
        {"empty", "", true, F::Empty, F::Empty},
        {"blanks", "   ", false, F::Empty, F::Empty},
        // Only keys lose these; a layer name sits in the value and keeps them.
        {"equals", "A=B", true, F::ContainsEquals, F::None},
        {"bracket first", "[Mass]", true, F::BadStart, F::None},
        {"semicolon after blank", "  ;x", true, F::BadStart, F::EdgeBlank},
        {"bracket later", "x[1]; y", true, F::None, F::None},
        {"trailing blank", "x ", true, F::EdgeBlank, F::EdgeBlank},
        {"blank inside", "x y", true, F::None, F::None},
        {"separator 0x01", QStringLiteral("a\x01b"), true, F::ControlChar, F::ControlChar},
        {"line feed", "a\nb", false, F::ControlChar, F::ControlChar},
        {"carriage return", "a\rb", false, F::ControlChar, F::ControlChar},
        {"tab", "a\tb", true, F::ControlChar, F::ControlChar},
        {"undefined byte 0x98", QString(QChar(0x98)), false, F::ControlChar, F::ControlChar},
        {"Chinese", "瓷", true, F::NotInCodePage, F::NotInCodePage},
        {"umlaut", "Schmelz ä", true, F::NotInCodePage, F::NotInCodePage},
        {"emoji", "😀", true, F::NotInCodePage, F::NotInCodePage},
    };
    for (const Row &r : rows)
        QTest::newRow(r.tag) << r.name << r.limitLength << int(r.fault) << int(r.layerFault);
}

void TestNameRules::checkName()
{
    QFETCH(QString, name);
    QFETCH(bool, limitLength);
    QFETCH(int, fault);
    QFETCH(int, layerFault);
    QCOMPARE(int(CheckName(name, limitLength)), fault);
    QCOMPARE(int(CheckLayerName(name)), layerFault);
}

void TestNameRules::massNameDuplicates()
{
    MassLibrary lib;
    lib.addMass(QStringLiteral("Opaque"));
    lib.addMass(QStringLiteral("Дентин Б2"));
    QCOMPARE(CheckMassName(lib, QStringLiteral("opaque")), NameFault::DuplicateMass);
    QCOMPARE(CheckMassName(lib, QStringLiteral("ДЕНТИН б2")), NameFault::DuplicateMass);
    QCOMPARE(CheckMassName(lib, QStringLiteral("Opaque 2")), NameFault::None);
    // Renaming a mass to a new spelling of its own name is fine; to another's is not.
    QCOMPARE(CheckMassName(lib, QStringLiteral("OPAQUE"), 0), NameFault::None);
    QCOMPARE(CheckMassName(lib, QStringLiteral("OPAQUE"), 1), NameFault::DuplicateMass);
    QCOMPARE(CheckMassName(lib, QStringLiteral("a=b"), 1), NameFault::ContainsEquals);
}

void TestNameRules::wholeLibrary()
{
    MassLibrary lib;
    lib.addMass(QStringLiteral("A name longer than eighteen"));
    lib.addMass(QStringLiteral("B"));
    lib.addMass(QStringLiteral("b"));
    lib.addMass(QStringLiteral("[C"));
    lib.addMass(QStringLiteral("B"));
    // A layer name loses only what the ends of its mass's value lose, and an empty last name.
    for (const char *layer : {" lead", "k=v", "", " mid ", "end "})
        lib.addLayer(1, QString::fromLatin1(layer));
    lib.addLayer(3, QString());
    lib.addLayer(4, QStringLiteral("a\x01z"));

    const QList<NameProblem> problems = CheckLibraryNames(lib);
    QCOMPARE(problems, QList<NameProblem>({
                           {true, 2, QStringLiteral("b"), NameFault::DuplicateMass},
                           {true, 3, QStringLiteral("[C"), NameFault::BadStart},
                           {true, 4, QStringLiteral("B"), NameFault::DuplicateMass},
                           {false, 0, QStringLiteral(" lead"), NameFault::EdgeBlank},
                           {false, 4, QStringLiteral("end "), NameFault::EdgeBlank},
                           {false, 5, QString(), NameFault::LostEmpty},
                           {false, 6, QStringLiteral("a\x01z"), NameFault::ControlChar},
                       }));
}

void TestNameRules::messagesInBothLanguages()
{
    for (NameFault fault :
         {NameFault::Empty, NameFault::TooLong, NameFault::ControlChar, NameFault::NotInCodePage,
          NameFault::ContainsEquals, NameFault::BadStart, NameFault::DuplicateMass,
          NameFault::EdgeBlank, NameFault::LostEmpty}) {
        const TextPair text = NameFaultText(fault);
        QVERIFY(!text.text(0).isEmpty());
        QVERIFY(!text.text(1).isEmpty());
        QVERIFY(text.text(0) != text.text(1));
    }
    const QString line =
        NameProblemText({false, 3, QStringLiteral("k=v"), NameFault::ContainsEquals}, 1);
    QVERIFY(line.contains(QStringLiteral("k=v")));
    QVERIFY(line.contains(QStringLiteral("Layer")));
    QVERIFY(NameProblemText({true, 0, QStringLiteral("M"), NameFault::Empty}, 0)
                .startsWith(QStringLiteral("Масса")));
}

QTEST_APPLESS_MAIN(TestNameRules)
#include "tst_namerules.moc"
