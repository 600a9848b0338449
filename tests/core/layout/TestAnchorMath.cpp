#include "layout/AnchorMath.h"

#include <QtTest>

Q_DECLARE_METATYPE(AnchorRect)

namespace {

// Captured child (10, 21)-(110, 71): width 100, height 50. The parent's window
// grows from 400 x 300 to 500 x 390: rx = 1.25, ry = 1.3, dx = 100, dy = 90.
const AnchorRect kChild{10, 21, 110, 71};
const AnchorRect kInitialParent{100, 50, 500, 350};
const AnchorRect kCurrentParent{-20, 0, 480, 390};

// Expected edges per flag value 0..7, worked out by hand from the rule.
const int kLeft[8] = {12, 12, 10, 10, 12, 110, 10, 10};         // 10 * 1.25 = 12.5 -> 12
const int kRight[8] = {137, 112, 135, 110, 210, 210, 210, 210}; // 100 * 1.25 = 125
const int kTop[8] = {27, 27, 21, 21, 27, 111, 21, 21};          // 21 * 1.3 = 27.3 -> 27
const int kBottom[8] = {92, 77, 86, 71, 161, 161, 161, 161};    // 50 * 1.3 = 65

} // namespace

class TestAnchorMath : public QObject
{
    Q_OBJECT

  private slots:
    void scaleComesFromWindowRectangles();
    void scaleOfAnEmptyCaptureIsNeutral();
    void everyFlagCombination_data();
    void everyFlagCombination();
    void truncatesTowardZero_data();
    void truncatesTowardZero();
    void unchangedParentKeepsEveryChild();
    void previewGrid_data();
    void previewGrid();
    void dialogUnits_data();
    void dialogUnits();
};

void TestAnchorMath::scaleComesFromWindowRectangles()
{
    const AnchorScale scale = ComputeAnchorScale(kInitialParent, kCurrentParent);
    QCOMPARE(scale.rx, 1.25);
    QCOMPARE(scale.ry, 1.3);
    QCOMPARE(scale.dx, 100);
    QCOMPARE(scale.dy, 90);
}

void TestAnchorMath::scaleOfAnEmptyCaptureIsNeutral()
{
    // A parent captured before it had a size must not yield infinite factors.
    const AnchorScale scale = ComputeAnchorScale(AnchorRect{0, 0, 0, 0}, AnchorRect{0, 0, 300, 200});
    QCOMPARE(scale.rx, 1.0);
    QCOMPARE(scale.ry, 1.0);
    QCOMPARE(scale.dx, 300);
    QCOMPARE(scale.dy, 200);
}

void TestAnchorMath::everyFlagCombination_data()
{
    QTest::addColumn<int>("horizontalFlags");
    QTest::addColumn<int>("verticalFlags");
    QTest::addColumn<AnchorRect>("expected");
    for (int h = 0; h < 8; ++h) {
        for (int v = 0; v < 8; ++v) {
            QTest::addRow("h%d v%d", h, v) << h << v << AnchorRect{kLeft[h], kTop[v], kRight[h], kBottom[v]};
        }
    }
}

void TestAnchorMath::everyFlagCombination()
{
    QFETCH(int, horizontalFlags);
    QFETCH(int, verticalFlags);
    QFETCH(AnchorRect, expected);
    const AnchorRect got = AnchorReposition(kChild, horizontalFlags, verticalFlags,
                                            ComputeAnchorScale(kInitialParent, kCurrentParent));
    QVERIFY2(
        got == expected,
        qPrintable(QString("got (%1,%2)-(%3,%4)").arg(got.left).arg(got.top).arg(got.right).arg(got.bottom)));
}

void TestAnchorMath::truncatesTowardZero_data()
{
    QTest::addColumn<int>("nearEdge");
    QTest::addColumn<int>("farEdge");
    QTest::addColumn<int>("flags");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("expectedNear");
    QTest::addColumn<int>("expectedFar");

    // -7 * 0.5 = -3.5 -> -3 (not -4); far: -3 + 3 * 0.5 = -1.5 -> -1 (the sum is truncated).
    QTest::newRow("negative, scaled") << -7 << -4 << 0 << 0.5 << -3 << -1;
    QTest::newRow("negative, size kept") << -7 << -4 << 1 << 0.5 << -3 << 0;
    QTest::newRow("shrink positive") << 15 << 40 << 0 << 0.3 << 4 << 11;       // 4.5 -> 4; 4 + 7.5 -> 11
    QTest::newRow("near anchored shrink") << 15 << 40 << 2 << 0.3 << 15 << 22; // 15 + 7.5 -> 22
}

void TestAnchorMath::truncatesTowardZero()
{
    QFETCH(int, nearEdge);
    QFETCH(int, farEdge);
    QFETCH(int, flags);
    QFETCH(double, ratio);
    QFETCH(int, expectedNear);
    QFETCH(int, expectedFar);
    const AnchorEdges edges = AnchorAxis(nearEdge, farEdge, flags, ratio, -50);
    QCOMPARE(edges.nearEdge, expectedNear);
    QCOMPARE(edges.farEdge, expectedFar);
}

void TestAnchorMath::unchangedParentKeepsEveryChild()
{
    // Restoring the window to its captured size puts every panel back exactly.
    const AnchorScale scale = ComputeAnchorScale(kInitialParent, kInitialParent);
    for (int h = 0; h < 8; ++h) {
        for (int v = 0; v < 8; ++v) {
            QVERIFY(AnchorReposition(kChild, h, v, scale) == kChild);
        }
    }
}

void TestAnchorMath::previewGrid_data()
{
    QTest::addColumn<int>("panelWidth");
    QTest::addColumn<int>("panelHeight");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("index");
    QTest::addColumn<AnchorRect>("expected");

    // 3 x 3 on 600 x 450: cells (604 / 3 - 4) = 197 wide, (454 / 3 - 4) = 147 high.
    QTest::newRow("3x3 first") << 600 << 450 << 3 << 3 << 0 << AnchorRect{0, 0, 197, 147};
    QTest::newRow("3x3 end of first row") << 600 << 450 << 3 << 3 << 2 << AnchorRect{402, 0, 599, 147};
    QTest::newRow("3x3 second row") << 600 << 450 << 3 << 3 << 3 << AnchorRect{0, 151, 197, 298};
    QTest::newRow("3x3 last") << 600 << 450 << 3 << 3 << 8 << AnchorRect{402, 302, 599, 449};
    // 3 rows, 2 columns, five cameras: rows of 2, 2 and 1.
    QTest::newRow("3x2 fifth cell starts row 3") << 500 << 300 << 3 << 2 << 4 << AnchorRect{0, 202, 248, 299};
    QTest::newRow("3x2 fourth cell") << 500 << 300 << 3 << 2 << 3 << AnchorRect{252, 101, 500, 198};
    // The division leaves a remainder: the last column stops short of the edge.
    QTest::newRow("remainder") << 101 << 50 << 1 << 2 << 1 << AnchorRect{52, 0, 100, 50};
    QTest::newRow("one cell fills the panel") << 321 << 241 << 1 << 1 << 0 << AnchorRect{0, 0, 321, 241};
}

void TestAnchorMath::previewGrid()
{
    QFETCH(int, panelWidth);
    QFETCH(int, panelHeight);
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(int, index);
    QFETCH(AnchorRect, expected);
    const int cellWidth = PreviewCellExtent(panelWidth, cols);
    const int cellHeight = PreviewCellExtent(panelHeight, rows);
    const AnchorRect got = PreviewCellRect(index, cols, cellWidth, cellHeight);
    QVERIFY2(
        got == expected,
        qPrintable(QString("got (%1,%2)-(%3,%4)").arg(got.left).arg(got.top).arg(got.right).arg(got.bottom)));
}

void TestAnchorMath::dialogUnits_data()
{
    QTest::addColumn<int>("units");
    QTest::addColumn<int>("base");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("pixels");

    QTest::newRow("main width, base 7") << 472 << 7 << false << 826;
    QTest::newRow("main height, base 15") << 317 << 15 << true << 594; // 594.375
    QTest::newRow("rounds half up x") << 1 << 2 << false << 1;         // 0.5
    QTest::newRow("rounds up x") << 5 << 3 << false << 4;              // 3.75
    QTest::newRow("rounds down y") << 3 << 13 << true << 5;            // 4.875 -> 5
    QTest::newRow("rounds down y 2") << 38 << 13 << true << 62;        // 61.75 -> 62
    QTest::newRow("toolbar button") << 39 << 6 << false << 59;         // 58.5 -> 59
}

void TestAnchorMath::dialogUnits()
{
    QFETCH(int, units);
    QFETCH(int, base);
    QFETCH(bool, vertical);
    QFETCH(int, pixels);
    QCOMPARE(vertical ? DialogUnitsToPixelsY(units, base) : DialogUnitsToPixelsX(units, base), pixels);
}

QTEST_GUILESS_MAIN(TestAnchorMath)
#include "TestAnchorMath.moc"
