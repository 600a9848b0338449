#pragma once

#include <QString>
#include <QWidget>

#include <array>

// Status bar of the main window: four text parts whose right edges are 150, 400
// and 500 pixels, the last part reaching the end of the bar.
class CStatusBar : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int kHeight = 20;
    static constexpr int kPartCount = 4;

    explicit CStatusBar(QWidget* parent = nullptr);

    void SetText(int part, const QString& text);
    QString Text(int part) const;
    // Left and right edge of a part for the bar's current width.
    QRect PartRect(int part) const;
    // Back along the bottom edge of the parent, full width, at the bar's own height.
    void KeepAtParentBottom();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::array<QString, kPartCount> m_texts;
};
