// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/firingcurveview.h"
#include "tests/support/samplefiring.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

namespace
{

const QColor kBackground(212, 208, 200);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kTeal = qRgb(0, 128, 128);
const QRgb kFuchsia = qRgb(255, 0, 255);
const QRgb kBlack = qRgb(0, 0, 0);

int countPixels(const QImage &image, const QRect &area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour)
                ++n;
    return n;
}

} // namespace

class TestFiringCurveView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void emptyWithoutRecord();
    void curveAndMarkers();
    void executedPathWhileRunning();
    void zoomByClickAndMarginsErased();
    void crossCursorWhileZooming();
    void stretchesWithTheWindow();
    void wheelZoomsAndDragPans();
    void outOfRangeRecordShowsANote_data();
    void outOfRangeRecordShowsANote();

private:
    QImage render() const { return m_view->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    FiringCurveView *m_view = nullptr;
    ProgParam m_record;
};

void TestFiringCurveView::init()
{
    m_record = SampleFiring();
    m_view = new FiringCurveView;
    m_view->setObjectName("pbGraph");
    QPalette palette = m_view->palette();
    palette.setColor(QPalette::Button, kBackground);
    m_view->setPalette(palette);
    m_view->resize(705, 189);
}

void TestFiringCurveView::cleanup()
{
    delete m_view;
    m_view = nullptr;
}

void TestFiringCurveView::emptyWithoutRecord()
{
    m_view->setRunPosition(11, 30, 800); // a program running changes nothing
    const QImage image = render();
    QCOMPARE(image.size(), QSize(705, 189));
    QCOMPARE(countPixels(image, image.rect(), kBackground.rgb()), 705 * 189);

    // Deselecting after a record was shown empties the area again.
    m_view->setRecord(&m_record);
    m_view->TotalScale();
    QVERIFY(countPixels(render(), QRect(0, 0, 705, 189), kBlue) > 0);
    m_view->setRecord(nullptr);
    QCOMPARE(countPixels(render(), QRect(0, 0, 705, 189), kBackground.rgb()), 705 * 189);
}

void TestFiringCurveView::curveAndMarkers()
{
    m_view->setRecord(&m_record);
    m_view->TotalScale();
    const QImage image = render();

    QCOMPARE(QColor(image.pixel(60, 148)), QColor(kBlue));    // pre-drying hold
    QCOMPARE(QColor(image.pixel(600, 104)), QColor(kBlue));   // opening
    QCOMPARE(QColor(image.pixel(165, 131)), QColor(kTeal));   // inside the vacuum-on triangle
    QCOMPARE(QColor(image.pixel(475, 36)), QColor(kFuchsia)); // inside the vacuum-off triangle
    QCOMPARE(QColor(image.pixel(162, 133)), QColor(kBlack));  // its outline
    QCOMPARE(countPixels(image, image.rect(), kRed), 0);      // nothing runs

    // Axes in black, with labels in the margins.
    QCOMPARE(QColor(image.pixel(35, 100)), QColor(kBlack));
    QCOMPARE(QColor(image.pixel(400, 169)), QColor(kBlack));
    QVERIFY(countPixels(image, QRect(0, 0, 32, 189), kBlack) > 0);
    QVERIFY(countPixels(image, QRect(0, 174, 705, 15), kBlack) > 0);
    // Above the curve the plot shows the background.
    QCOMPARE(QColor(image.pixel(300, 30)), kBackground);
}

void TestFiringCurveView::executedPathWhileRunning()
{
    m_view->setRecord(&m_record);
    m_view->TotalScale();
    m_view->setRunPosition(11, 0, 800); // heating, at 800 °C: the red path ends at (424, 65)
    const QImage image = render();

    QCOMPARE(QColor(image.pixel(60, 148)), QColor(kRed));
    QCOMPARE(QColor(image.pixel(60, 149)), QColor(kRed)); // 3 px wide
    QCOMPARE(QColor(image.pixel(200, 127)), QColor(kRed));
    QCOMPARE(QColor(image.pixel(490, 38)), QColor(kBlue)); // firing hold not reached yet
    QCOMPARE(QColor(image.pixel(600, 104)), QColor(kBlue));
    QCOMPARE(countPixels(image, QRect(430, 0, 275, 169), kRed), 0);

    m_view->setRunPosition(2, 0, 800);
    QCOMPARE(countPixels(render(), QRect(0, 0, 705, 189), kRed), 0);
}

void TestFiringCurveView::zoomByClickAndMarginsErased()
{
    m_view->setRecord(&m_record);
    m_view->TotalScale();
    m_view->setZoomMode(ZoomMode::In);
    render(); // the click uses the scales of the painted view
    QTest::mouseClick(m_view, Qt::RightButton, {}, QPoint(360, 94));

    const CurveViewState &state = m_view->viewState();
    QCOMPARE(state.ViewTempMin, 485);
    QCOMPARE(state.ViewTempMax, 849);
    QCOMPARE(state.ViewTimeStart, 419);
    QCOMPARE(state.ViewTimeEnd, 1255);

    // The curve before 419 s lies left of the axis and below 485 °C under it: both margins are
    // wiped, labels aside.
    m_view->setRunPosition(19, 0, 200);
    const QImage image = render();
    QVERIFY(countPixels(image, QRect(35, 0, 670, 169), kRed) > 0);
    QCOMPARE(countPixels(image, QRect(0, 0, 35, 189), kRed), 0);
    QCOMPARE(countPixels(image, QRect(0, 0, 35, 189), kBlue), 0);
    QCOMPARE(countPixels(image, QRect(36, 170, 669, 19), kRed), 0);
    QCOMPARE(countPixels(image, QRect(36, 170, 669, 19), kTeal), 0);

    // Without a zoom button a click changes nothing.
    m_view->setZoomMode(ZoomMode::None);
    QTest::mouseClick(m_view, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(state.ViewTimeStart, 419);
    QCOMPARE(state.ViewTimeEnd, 1255);
}

void TestFiringCurveView::crossCursorWhileZooming()
{
    m_view->setRecord(&m_record);
    m_view->TotalScale();
    QVERIFY(m_view->hasMouseTracking());

    auto moveTo = [this](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, m_view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(m_view, &move);
        return m_view->cursor().shape();
    };
    QCOMPARE(moveTo({100, 100}), Qt::ArrowCursor);
    m_view->setZoomMode(ZoomMode::Out);
    QCOMPARE(moveTo({100, 100}), Qt::CrossCursor);
    QCOMPARE(moveTo({20, 100}), Qt::ArrowCursor);
    QCOMPARE(moveTo({100, 180}), Qt::ArrowCursor);
}

void TestFiringCurveView::stretchesWithTheWindow()
{
    QCOMPARE(m_view->sizeHint(), QSize(705, 189));
    m_view->setRecord(&m_record);
    m_view->TotalScale();
    m_view->resize(1375, 389);
    const QImage image = render();
    QCOMPARE(image.size(), QSize(1375, 389));
    QCOMPARE(QColor(image.pixel(35, 300)), QColor(kBlack));
    QVERIFY(countPixels(image, QRect(700, 0, 675, 369), kBlue) > 0);
}

void TestFiringCurveView::wheelZoomsAndDragPans()
{
    m_view->setRecord(&m_record);
    m_view->TotalScale();
    render();
    const CurveViewState &state = m_view->viewState();
    auto timeAt = [&state](int x) { return (x - 35) / state.PxPerSecond + state.ViewTimeStart; };
    auto tempAt = [&state](int y) { return (169 - y) / state.PxPerDegree + state.ViewTempMin; };

    // One notch forward at (500, 60): a fifth narrower, the point under the pointer kept.
    const QPoint pointer(500, 60);
    const double time = timeAt(pointer.x());
    const double temp = tempAt(pointer.y());
    QWheelEvent wheel(pointer, m_view->mapToGlobal(pointer), {}, QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_view, &wheel);
    QCOMPARE(state.ViewTimeEnd - state.ViewTimeStart, 1340);
    QCOMPARE(state.ViewTempMax - state.ViewTempMin, 584);
    QVERIFY(qAbs(timeAt(pointer.x()) - time) <= 0.5);
    QVERIFY(qAbs(tempAt(pointer.y()) - temp) <= 0.5);

    // A drag with a zoom button down: the press zooms as a click does, the drag then pans with
    // the point grabbed under the pointer.
    m_view->setZoomMode(ZoomMode::In);
    const QPoint from(400, 100);
    QTest::mousePress(m_view, Qt::LeftButton, {}, from);
    QCOMPARE(state.ViewTimeEnd - state.ViewTimeStart, 670);
    const double grabbed = timeAt(from.x());
    const double grabbedTemp = tempAt(from.y());
    const QPoint to = from + QPoint(-120, 20);
    QMouseEvent move(QEvent::MouseMove, to, m_view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(m_view, &move);
    QCOMPARE(m_view->cursor().shape(), Qt::ClosedHandCursor);
    QCOMPARE(state.ViewTimeEnd - state.ViewTimeStart, 670);
    QVERIFY(qAbs(timeAt(to.x()) - grabbed) <= 0.5);
    QVERIFY(qAbs(tempAt(to.y()) - grabbedTemp) <= 0.5);
    QTest::mouseRelease(m_view, Qt::LeftButton, {}, to);
    QCOMPARE(m_view->cursor().shape(), Qt::CrossCursor);
    // [] returns to the whole curve.
    m_view->TotalScale();
    QCOMPARE(state.ViewTimeStart, 0);
    QCOMPARE(state.ViewTimeEnd, 1675);
}

void TestFiringCurveView::outOfRangeRecordShowsANote_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("russian");
    QTest::newRow("pre-drying temperature 9999")
        << int(ProgParam::fPreDryTemp) << 9999
        << QString("No curve: the value 9999 is outside 20…700.")
        << QString("Кривая не построена: значение 9999 вне пределов 20…700.");
    // What typing 99:99 leaves in the record: 99:9, the last text that could be applied.
    QTest::newRow("firing time 99:09")
        << int(ProgParam::fFiringTime) << 99 * 60 + 9
        << QString("No curve: the value 99:09 is outside 0:00…60:00.")
        << QString("Кривая не построена: значение 99:09 вне пределов 0:00…60:00.");
}

void TestFiringCurveView::outOfRangeRecordShowsANote()
{
    QFETCH(int, field);
    QFETCH(int, value);
    QFETCH(QString, english);
    QFETCH(QString, russian);
    m_record.setField(field, quint16(value));
    m_view->setRecord(&m_record);
    m_view->TotalScale();
    m_view->setRunPosition(11, 30, 300); // a run shows no executed path either
    QCOMPARE(m_view->note(), english);
    QCOMPARE(m_view->accessibleDescription(), english);
    QImage image = render();
    QCOMPARE(countPixels(image, image.rect(), kBlue), 0);
    QCOMPARE(countPixels(image, image.rect(), kRed), 0);
    QVERIFY(countPixels(image, QRect(0, 60, 705, 70), kBlack) > 0); // the note
    m_view->setLanguage(0);
    QCOMPARE(m_view->note(), russian);
    QCOMPARE(m_view->accessibleDescription(), russian);

    // Back in range, the curve returns.
    m_record = SampleFiring();
    m_view->TotalScale();
    QVERIFY(m_view->note().isEmpty());
    QVERIFY(countPixels(render(), QRect(0, 0, 705, 189), kBlue) > 0);
}

QTEST_MAIN(TestFiringCurveView)
#include "tst_firingcurveview.moc"
