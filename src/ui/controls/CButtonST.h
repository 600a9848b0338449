#pragma once

#include <QIcon>
#include <QToolButton>

// Image button of the toolbar: an icon with the caption below it, flat until the
// mouse is over it (raised edge), sunken with a one-pixel shift while pressed,
// embossed icon and engraved caption when disabled. A double click gives two clicks.
class CButtonST : public QToolButton
{
    Q_OBJECT

  public:
    explicit CButtonST(QWidget* parent = nullptr);

    // Loads the icon (a resource path or file) at its own size and uses it in every
    // state; the second icon is not used. Returns 0, or 1 when the icon cannot be read.
    int LoadIcons(const QString& iconPath, const QString& unusedSecond = QString());

    bool isHovered() const { return m_hover; }
    QSize iconPixelSize() const { return m_iconSize; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void PaintEdge(QPainter& painter, const QRect& rect);
    void PaintIcon(QPainter& painter, const QRect& rect, bool hasCaption);
    void PaintCaption(QPainter& painter, QRect rect);
    void SetHover(bool hover);
    void ClearHover() { SetHover(false); }
    QPixmap EmbossedIcon(const QColor& colour) const;

    bool m_hover = false;
    QPixmap m_icon;
    QSize m_iconSize;
};
