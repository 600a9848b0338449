#include "controls/CButtonST.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kImageTopMargin = 3;
constexpr int kPressedShift = 1;

} // namespace

CButtonST::CButtonST(QWidget* parent) : QToolButton(parent)
{
    // The face is whatever the parent paints below: the button never fills itself.
    setAutoRaise(true);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    // A click takes the keyboard focus, as a push button does.
    connect(this, &QAbstractButton::clicked, this, [this] { setFocus(Qt::MouseFocusReason); });
}

int CButtonST::LoadIcons(const QString& iconPath, const QString& /*unusedSecond*/)
{
    QPixmap pixmap(iconPath);
    if (pixmap.isNull()) {
        m_icon = QPixmap();
        m_iconSize = QSize();
        update();
        return 1;
    }
    m_icon = pixmap;
    m_iconSize = pixmap.size();
    setIcon(QIcon(pixmap));
    setIconSize(m_iconSize);
    update();
    return 0;
}

QSize CButtonST::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(text());
    return QSize(qMax(m_iconSize.width(), textWidth) + 8,
                 kImageTopMargin + m_iconSize.height() + metrics.height() + 6);
}

void CButtonST::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect item = rect();
    PaintEdge(painter, item);
    const bool hasCaption = !text().isEmpty();
    if (!m_icon.isNull()) {
        PaintIcon(painter, item, hasCaption);
    }
    if (hasCaption) {
        QRect captionRect = item;
        if (!m_icon.isNull()) {
            captionRect.setTop(captionRect.top() + m_iconSize.height());
        }
        PaintCaption(painter, captionRect);
    }
}

void CButtonST::PaintEdge(QPainter& painter, const QRect& rect)
{
    const QPalette& pal = palette();
    QColor topLeft;
    QColor bottomRight;
    if (isDown()) {
        topLeft = pal.color(QPalette::Dark);
        bottomRight = pal.color(QPalette::Light);
    } else if (m_hover) {
        topLeft = pal.color(QPalette::Light);
        bottomRight = pal.color(QPalette::Dark);
    } else {
        return; // flat
    }
    const int right = rect.right();
    const int bottom = rect.bottom();
    painter.setPen(topLeft);
    painter.drawLine(rect.left(), rect.top(), right - 1, rect.top());
    painter.drawLine(rect.left(), rect.top(), rect.left(), bottom - 1);
    painter.setPen(bottomRight);
    painter.drawLine(rect.left(), bottom, right, bottom);
    painter.drawLine(right, rect.top(), right, bottom);
}

QPixmap CButtonST::EmbossedIcon(const QColor& colour) const
{
    // The icon's shape in one colour: its alpha channel filled with the colour.
    QPixmap shape(m_icon.size());
    shape.fill(Qt::transparent);
    QPainter p(&shape);
    p.drawPixmap(0, 0, m_icon);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(shape.rect(), colour);
    return shape;
}

void CButtonST::PaintIcon(QPainter& painter, const QRect& rect, bool hasCaption)
{
    int x = rect.left() + (rect.width() - m_iconSize.width()) / 2;
    int y =
        hasCaption ? rect.top() + kImageTopMargin : rect.top() + (rect.height() - m_iconSize.height()) / 2;
    if (isDown()) {
        x += kPressedShift;
        y += kPressedShift;
    }
    if (isEnabled()) {
        painter.drawPixmap(x, y, m_icon);
        return;
    }
    painter.drawPixmap(x + 1, y + 1, EmbossedIcon(palette().color(QPalette::Light)));
    painter.drawPixmap(x, y, EmbossedIcon(palette().color(QPalette::Dark)));
}

void CButtonST::PaintCaption(QPainter& painter, QRect rect)
{
    if (isDown()) {
        rect.translate(kPressedShift, kPressedShift);
    }
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    const QRect measured = painter.boundingRect(rect, flags, text());
    QRect place = measured;
    place.moveCenter(rect.center());
    place.moveTop(rect.top() + (rect.height() - measured.height()) / 2);
    const QPalette& pal = palette();
    if (!isEnabled()) {
        painter.setPen(pal.color(QPalette::Light));
        painter.drawText(place.translated(1, 1), flags, text());
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawText(place, flags, text());
        return;
    }
    painter.setPen(pal.color(QPalette::ButtonText));
    painter.drawText(place, flags, text());
}

void CButtonST::SetHover(bool hover)
{
    if (m_hover == hover) {
        return;
    }
    m_hover = hover;
    update();
}

void CButtonST::enterEvent(QEnterEvent* event)
{
    QToolButton::enterEvent(event);
    // Sliding onto the button with the left button held does not light it up.
    if ((QApplication::mouseButtons() & Qt::LeftButton) && !m_hover) {
        return;
    }
    if (isEnabled()) {
        SetHover(true);
    }
}

void CButtonST::mouseMoveEvent(QMouseEvent* event)
{
    QToolButton::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && !m_hover) {
        return;
    }
    SetHover(isEnabled() && rect().contains(event->position().toPoint()));
}

void CButtonST::leaveEvent(QEvent* event)
{
    QToolButton::leaveEvent(event);
    ClearHover();
}

void CButtonST::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click is an ordinary press.
    if (event->button() == Qt::LeftButton) {
        QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                          event->globalPosition(), event->button(), event->buttons(), event->modifiers());
        mousePressEvent(&press);
        return;
    }
    QToolButton::mouseDoubleClickEvent(event);
}

void CButtonST::focusOutEvent(QFocusEvent* event)
{
    QToolButton::focusOutEvent(event);
    ClearHover();
}

void CButtonST::changeEvent(QEvent* event)
{
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        ClearHover();
        if (hasFocus()) {
            // Give the focus to the next item of the parent, or the parent itself.
            if (!focusNextChild() || hasFocus()) {
                if (parentWidget()) {
                    parentWidget()->setFocus(Qt::OtherFocusReason);
                }
            }
        }
    } else if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        ClearHover();
    }
}
