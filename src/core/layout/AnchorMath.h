#pragma once

// Arithmetic of the anchoring layout and the preview grid, kept free of any
// window type so that every flag combination can be checked in a table.

// Anchor flags; the same values serve both axes. The near edge is the left or
// top edge, the far edge the right or bottom edge.
enum AnchorFlag : int
{
    ANCHOR_KEEP_SIZE = 1, // keep the captured size (unless the far edge is anchored)
    ANCHOR_NEAR = 2,      // the near edge keeps its captured coordinate
    ANCHOR_FAR = 4,       // the far edge keeps its distance from the parent's far edge
};

struct AnchorRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const AnchorRect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// How the parent changed since the capture: scale factors and integer growths,
// both taken from the outer window rectangles.
struct AnchorScale
{
    double rx = 1.0;
    double ry = 1.0;
    int dx = 0;
    int dy = 0;
};

struct AnchorEdges
{
    int nearEdge = 0;
    int farEdge = 0;
};

AnchorScale ComputeAnchorScale(const AnchorRect& initialParent, const AnchorRect& currentParent);

// One axis: the captured near and far edges, the axis' flags, its factor and growth.
AnchorEdges AnchorAxis(int nearEdge, int farEdge, int flags, double ratio, int growth);

// The child's new rectangle (parent client coordinates) for the parent's current size.
AnchorRect AnchorReposition(const AnchorRect& captured, int horizontalFlags, int verticalFlags,
                            const AnchorScale& scale);

// Preview grid: cells separated by 4 pixels, the last column/row flush with the panel.
constexpr int kPreviewCellGap = 4;
int PreviewCellExtent(int panelExtent, int count);
AnchorRect PreviewCellRect(int index, int cols, int cellWidth, int cellHeight);

// Dialog units to pixels, rounded like MulDiv(units, baseUnit, 4) horizontally
// and MulDiv(units, baseUnit, 8) vertically.
int DialogUnitsToPixelsX(int units, int baseUnitX);
int DialogUnitsToPixelsY(int units, int baseUnitY);
// Horizontal base unit from the width of "A..Za..z" in the dialog font.
int DialogBaseUnitX(int alphabetWidth);
