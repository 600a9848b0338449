#include "layout/AnchorMath.h"

namespace {

// A parent captured with no extent would give an infinite factor; treat it as unchanged.
double Ratio(int now, int initial)
{
    return initial != 0 ? static_cast<double>(now) / initial : 1.0;
}

int MulDiv(int number, int numerator, int denominator)
{
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

} // namespace

AnchorScale ComputeAnchorScale(const AnchorRect& initialParent, const AnchorRect& currentParent)
{
    AnchorScale scale;
    scale.rx = Ratio(currentParent.width(), initialParent.width());
    scale.ry = Ratio(currentParent.height(), initialParent.height());
    scale.dx = currentParent.width() - initialParent.width();
    scale.dy = currentParent.height() - initialParent.height();
    return scale;
}

AnchorEdges AnchorAxis(int nearEdge, int farEdge, int flags, double ratio, int growth)
{
    const int extent = farEdge - nearEdge;
    AnchorEdges edges;
    if (flags & ANCHOR_NEAR) {
        edges.nearEdge = nearEdge;
    } else if ((flags & ANCHOR_KEEP_SIZE) && (flags & ANCHOR_FAR)) {
        edges.nearEdge = nearEdge + growth;
    } else {
        edges.nearEdge = static_cast<int>(nearEdge * ratio);
    }

    if (flags & ANCHOR_FAR) {
        edges.farEdge = farEdge + growth;
    } else if (flags & ANCHOR_KEEP_SIZE) {
        edges.farEdge = edges.nearEdge + extent;
    } else {
        edges.farEdge = static_cast<int>(edges.nearEdge + extent * ratio);
    }
    return edges;
}

AnchorRect AnchorReposition(const AnchorRect& captured, int horizontalFlags, int verticalFlags,
                            const AnchorScale& scale)
{
    const AnchorEdges h = AnchorAxis(captured.left, captured.right, horizontalFlags, scale.rx, scale.dx);
    const AnchorEdges v = AnchorAxis(captured.top, captured.bottom, verticalFlags, scale.ry, scale.dy);
    return AnchorRect{h.nearEdge, v.nearEdge, h.farEdge, v.farEdge};
}

int PreviewCellExtent(int panelExtent, int count)
{
    if (count <= 0) {
        return 0;
    }
    return (panelExtent + kPreviewCellGap) / count - kPreviewCellGap;
}

AnchorRect PreviewCellRect(int index, int cols, int cellWidth, int cellHeight)
{
    if (cols <= 0) {
        return {};
    }
    const int col = index % cols;
    const int row = index / cols;
    const int left = col * (cellWidth + kPreviewCellGap);
    const int top = row * (cellHeight + kPreviewCellGap);
    return AnchorRect{left, top, left + cellWidth, top + cellHeight};
}

int DialogUnitsToPixelsX(int units, int baseUnitX)
{
    return MulDiv(units, baseUnitX, 4);
}

int DialogUnitsToPixelsY(int units, int baseUnitY)
{
    return MulDiv(units, baseUnitY, 8);
}

int DialogBaseUnitX(int alphabetWidth)
{
    // Average of the 52 letters, rounded to the nearest pixel.
    return (alphabetWidth / 26 + 1) / 2;
}
