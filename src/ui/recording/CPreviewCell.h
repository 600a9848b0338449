#pragma once

#include <QImage>
#include <QWidget>

// One camera's preview cell: shows its caption ("Camera #n") until the first
// frame arrives, then the latest frame stretched to g_cellWidth x g_cellHeight.
class CPreviewCell : public QWidget
{
    Q_OBJECT

  public:
    CPreviewCell(const QString& caption, QWidget* parent);

    QString Caption() const { return m_caption; }
    bool HasFrame() const { return !m_frame.isNull(); }

  public slots:
    // Takes a frame; the capture thread calls it through a queued invocation
    // with its own copy.
    void ShowFrame(const QImage& frame);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_caption;
    QImage m_frame;
};
