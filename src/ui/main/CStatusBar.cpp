#include "main/CStatusBar.h"

#include <QPainter>

namespace {

constexpr int kPartRightEdges[CStatusBar::kPartCount - 1] = {150, 400, 500};

} // namespace

CStatusBar::CStatusBar(QWidget* parent) : QWidget(parent)
{
    setObjectName("statusBar");
    setAttribute(Qt::WA_StyledBackground);
}

void CStatusBar::SetText(int part, const QString& text)
{
    if (part < 0 || part >= kPartCount) {
        return;
    }
    m_texts[static_cast<size_t>(part)] = text;
    update();
}

QString CStatusBar::Text(int part) const
{
    if (part < 0 || part >= kPartCount) {
        return {};
    }
    return m_texts[static_cast<size_t>(part)];
}

QRect CStatusBar::PartRect(int part) const
{
    const int left = part == 0 ? 0 : kPartRightEdges[part - 1];
    const int right = part < kPartCount - 1 ? kPartRightEdges[part] : width();
    return QRect(QPoint(left, 0), QPoint(qMax(left, right) - 1, height() - 1));
}

void CStatusBar::KeepAtParentBottom()
{
    QWidget* parent = parentWidget();
    if (!parent) {
        return;
    }
    setGeometry(0, parent->height() - kHeight, parent->width(), kHeight);
}

void CStatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    for (int part = 0; part < kPartCount; ++part) {
        const QRect r = PartRect(part).adjusted(1, 2, -1, -1);
        if (r.width() <= 2) {
            continue;
        }
        // Sunken part frame, as the classic status bar draws it.
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(pal.color(QPalette::Light));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        painter.setPen(pal.color(QPalette::WindowText));
        painter.drawText(r.adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                         m_texts[static_cast<size_t>(part)]);
    }
}
