#include "cp1251.h"
#include "namerules.h"

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

    const auto f = [](NameFault fault) { return int(fault); };
    QTest::newRow("plain") << "Dentine" << true << f(NameFault::None);
    QTest::newRow("Cyrillic") << "Дентин Б2" << true << f(NameFault::None);
    QTest::newRow("18 characters") << "ABCDEFGHIJKLMNOPQR" << true << f(NameFault::None);
    QTest::newRow("19 characters") << "ABCDEFGHIJKLMNOPQRS" << true << f(NameFault::TooLong);
    QTest::newRow("19 from a file") << "ABCDEFGHIJKLMNOPQRS" << false << f(NameFault::None);
    QTest::newRow("empty") << "" << true << f(NameFault::Empty);
    QTest::newRow("blanks") << "   " << false << f(NameFault::Empty);
    QTest::newRow("equals") << "A=B" << true << f(NameFault::ContainsEquals);
    QTest::newRow("bracket first") << "[Mass]" << true << f(NameFault::BadStart);
    QTest::newRow("semicolon after blank") << "  ;x" << true << f(NameFault::BadStart);
    QTest::newRow("bracket later") << "x[1]; y" << true << f(NameFault::None);
    QTest::newRow("separator 0x01") << "a\x01"
                                       "b"
                                    << true << f(NameFault::ControlChar);
    QTest::newRow("line feed") << "a\nb" << false << f(NameFault::ControlChar);
    QTest::newRow("carriage return") << "a\rb" << false << f(NameFault::ControlChar);
    QTest::newRow("tab") << "a\tb" << true << f(NameFault::ControlChar);
    QTest::newRow("undefined byte 0x98")
        << QString(QChar(0x98)) << false << f(NameFault::ControlChar);
    QTest::newRow("Chinese") << "瓷" << true << f(NameFault::NotInCodePage);
    QTest::newRow("umlaut") << "Schmelz ä" << true << f(NameFault::NotInCodePage);
    QTest::newRow("emoji") << "😀" << true << f(NameFault::NotInCodePage);
}

void TestNameRules::checkName()
{
    QFETCH(QString, name);
    QFETCH(bool, limitLength);
    QFETCH(int, fault);
    QCOMPARE(int(CheckName(name, limitLength)), fault);
    if (limitLength)
        QCOMPARE(int(CheckLayerName(name)), fault);
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
    lib.addLayer(1, QStringLiteral("ok"));
    lib.addLayer(1, QStringLiteral("k=v"));
    lib.addLayer(3, QString());

    const QList<NameProblem> problems = CheckLibraryNames(lib);
    QCOMPARE(problems, QList<NameProblem>({
                           {true, 2, QStringLiteral("b"), NameFault::DuplicateMass},
                           {true, 3, QStringLiteral("[C"), NameFault::BadStart},
                           {true, 4, QStringLiteral("B"), NameFault::DuplicateMass},
                           {false, 1, QStringLiteral("k=v"), NameFault::ContainsEquals},
                           {false, 2, QString(), NameFault::Empty},
                       }));
}

void TestNameRules::messagesInBothLanguages()
{
    for (NameFault fault :
         {NameFault::Empty, NameFault::TooLong, NameFault::ControlChar, NameFault::NotInCodePage,
          NameFault::ContainsEquals, NameFault::BadStart, NameFault::DuplicateMass}) {
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
