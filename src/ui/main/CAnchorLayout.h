#pragma once

#include "layout/AnchorMath.h"

#include <QPointer>
#include <QWidget>

#include <vector>

// Moves the children of a panel when its window changes size. Every position is
// computed from the capture, never from the previous size, so rounding does not
// accumulate over many resizes.
class CAnchorLayout
{
  public:
    struct AnchorEntry
    {
        AnchorRect rect; // at capture, in the parent's client coordinates
        QPointer<QWidget> window;
        int horizontalFlags = 0;
        int verticalFlags = 0;
    };

    // Takes the parent's direct children (topmost first) with flags 0. The scale
    // factors come from the parent's top-level window rectangle.
    void Capture(QWidget* parent);
    bool SetAnchor(QWidget* child, int horizontalFlags, int verticalFlags);
    void Reposition();

    const std::vector<AnchorEntry>& entries() const { return m_entries; }

    // The outer rectangle the factors are taken from. Qt learns the window
    // manager's frame only once the window is mapped, so the frame is left out
    // on both sides of the comparison.
    static AnchorRect WindowRect(const QWidget* parent);

  private:
    std::vector<AnchorEntry> m_entries;
    QPointer<QWidget> m_parent;
    AnchorRect m_initial;
};
