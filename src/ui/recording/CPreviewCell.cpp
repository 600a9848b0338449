#include "recording/CPreviewCell.h"

#include "app/RunState.h"

#include <QPainter>

CPreviewCell::CPreviewCell(const QString& caption, QWidget* parent) : QWidget(parent), m_caption(caption)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void CPreviewCell::ShowFrame(const QImage& frame)
{
    m_frame = frame;
    update();
}

void CPreviewCell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_frame.isNull()) {
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_caption);
        return;
    }
    // The aspect ratio is not kept: the frame fills the cell as sized by the grid.
    painter.drawImage(QRect(0, 0, g_cellWidth.load(), g_cellHeight.load()), m_frame);
}
