#include "main/CAnchorLayout.h"

namespace {

AnchorRect FromQRect(const QRect& rect)
{
    return AnchorRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

} // namespace

AnchorRect CAnchorLayout::WindowRect(const QWidget* parent)
{
    const QWidget* window = parent->window();
    return FromQRect(QRect(window->pos(), window->size()));
}

void CAnchorLayout::Capture(QWidget* parent)
{
    m_parent = parent;
    m_entries.clear();
    if (!parent) {
        return;
    }
    m_initial = WindowRect(parent);
    const QObjectList& children = parent->children();
    // Qt keeps children bottom-to-top in stacking order; walk from the top.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        QWidget* child = qobject_cast<QWidget*>(*it);
        if (!child || child->isWindow()) {
            continue;
        }
        AnchorEntry entry;
        entry.rect = FromQRect(child->geometry());
        entry.window = child;
        m_entries.push_back(entry);
    }
}

bool CAnchorLayout::SetAnchor(QWidget* child, int horizontalFlags, int verticalFlags)
{
    for (AnchorEntry& entry : m_entries) {
        if (entry.window == child) {
            entry.horizontalFlags = horizontalFlags;
            entry.verticalFlags = verticalFlags;
            return true;
        }
    }
    return false;
}

void CAnchorLayout::Reposition()
{
    if (!m_parent) {
        return;
    }
    const AnchorScale scale = ComputeAnchorScale(m_initial, WindowRect(m_parent));
    for (const AnchorEntry& entry : m_entries) {
        if (!entry.window) {
            continue;
        }
        const AnchorRect r = AnchorReposition(entry.rect, entry.horizontalFlags, entry.verticalFlags, scale);
        entry.window->setGeometry(r.left, r.top, r.width(), r.height());
        entry.window->update();
    }
}
