#include "controls/CButtonST.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A 32 x 32 icon: an opaque red square with a transparent border of 4 pixels.
QString MakeIcon(const QTemporaryDir& dir)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(4, 4, 24, 24, Qt::red);
    p.end();
    const QString path = dir.filePath("icon.png");
    image.save(path);
    return path;
}

// Parent with a plain white face, so the button's own pixels stand out.
struct Panel : QWidget
{
    Panel()
    {
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::white);
        setPalette(pal);
        resize(200, 120);
    }
};

void SendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButtons buttons,
               Qt::MouseButton button = Qt::LeftButton)
{
    const QPointF pos(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void SendEnter(QWidget* widget)
{
    const QPointF pos(2, 2);
    QEnterEvent event(pos, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
}

// Top-left pixel of the first non-white row/column: where the icon starts.
QPoint IconOrigin(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 60) {
                return QPoint(x, y);
            }
        }
    }
    return QPoint(-1, -1);
}

bool HasRedPixel(const QImage& image)
{
    return IconOrigin(image) != QPoint(-1, -1);
}

} // namespace

class TestCButtonST : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void loadIconsReportsUnreadableIcons();
    void iconIsCentredAboveTheCaptionAndShiftsWhenPressed();
    void flatUntilHoveredThenRaised();
    void enteringWithTheLeftButtonHeldDoesNotLightUp();
    void disablingClearsHoverMovesFocusAndEmbosses();
    void doubleClickGivesTwoClicks();

  private:
    QTemporaryDir m_dir;
    Panel* m_panel = nullptr;
    CButtonST* m_button = nullptr;
    CButtonST* m_other = nullptr;
};

void TestCButtonST::init()
{
    m_panel = new Panel;
    m_button = new CButtonST(m_panel);
    m_button->setText(QStringLiteral("开始录像"));
    m_button->setGeometry(10, 10, 64, 64);
    QCOMPARE(m_button->LoadIcons(MakeIcon(m_dir)), 0);
    m_other = new CButtonST(m_panel);
    m_other->setText(QStringLiteral("停止录像"));
    m_other->setGeometry(90, 10, 64, 64);
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel));
}

void TestCButtonST::cleanup()
{
    delete m_panel;
    m_panel = nullptr;
}

void TestCButtonST::loadIconsReportsUnreadableIcons()
{
    QCOMPARE(m_button->iconPixelSize(), QSize(32, 32));
    QCOMPARE(m_button->LoadIcons(m_dir.filePath("missing.png")), 1);
    QVERIFY(!HasRedPixel(m_button->grab().toImage()));
}

void TestCButtonST::iconIsCentredAboveTheCaptionAndShiftsWhenPressed()
{
    // Icon centred horizontally, 3 pixels from the top: its red part starts at (16+4, 3+4).
    QCOMPARE(IconOrigin(m_button->grab().toImage()), QPoint(20, 7));
    m_button->setDown(true);
    QCOMPARE(IconOrigin(m_button->grab().toImage()), QPoint(21, 8));
    m_button->setDown(false);

    // Without a caption the icon is centred vertically too.
    m_button->setText(QString());
    QCOMPARE(IconOrigin(m_button->grab().toImage()), QPoint(20, 20));
}

void TestCButtonST::flatUntilHoveredThenRaised()
{
    const QColor light = m_button->palette().color(QPalette::Light);
    const QColor dark = m_button->palette().color(QPalette::Dark);
    QImage face = m_button->grab().toImage();
    QCOMPARE(face.pixelColor(0, 0).rgb(), QColor(Qt::white).rgb()); // no edge
    QCOMPARE(face.pixelColor(63, 63).rgb(), QColor(Qt::white).rgb());

    SendEnter(m_button);
    QVERIFY(m_button->isHovered());
    face = m_button->grab().toImage();
    QCOMPARE(face.pixelColor(0, 0).rgb(), light.rgb()); // raised: light top-left, dark bottom-right
    QCOMPARE(face.pixelColor(63, 63).rgb(), dark.rgb());

    m_button->setDown(true);
    face = m_button->grab().toImage();
    QCOMPARE(face.pixelColor(0, 0).rgb(), dark.rgb()); // sunken
    QCOMPARE(face.pixelColor(63, 63).rgb(), light.rgb());
    m_button->setDown(false);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_button, &leave);
    QVERIFY(!m_button->isHovered());
    QCOMPARE(m_button->grab().toImage().pixelColor(0, 0).rgb(), QColor(Qt::white).rgb());
}

void TestCButtonST::enteringWithTheLeftButtonHeldDoesNotLightUp()
{
    // Dragging onto the button with the left button down.
    const QPointF pos(5, 5);
    QMouseEvent move(QEvent::MouseMove, pos, m_button->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(m_button, &move);
    QVERIFY(!m_button->isHovered());
    QMouseEvent free(QEvent::MouseMove, pos, m_button->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(m_button, &free);
    QVERIFY(m_button->isHovered());
}

void TestCButtonST::disablingClearsHoverMovesFocusAndEmbosses()
{
    m_panel->activateWindow();
    m_button->setFocus();
    QTRY_VERIFY(m_button->hasFocus());
    SendEnter(m_button);
    QVERIFY(m_button->isHovered());

    m_button->setEnabled(false);
    QVERIFY(!m_button->isHovered());
    QVERIFY(!m_button->hasFocus());
    // The icon is drawn as a shape in the light and dark colours: no red left.
    const QImage face = m_button->grab().toImage();
    QVERIFY(!HasRedPixel(face));
    QCOMPARE(face.pixelColor(20, 7).rgb(), m_button->palette().color(QPalette::Dark).rgb());
    QCOMPARE(face.pixelColor(20 + 24, 7 + 24).rgb(), m_button->palette().color(QPalette::Light).rgb());
}

void TestCButtonST::doubleClickGivesTwoClicks()
{
    m_panel->activateWindow();
    m_other->setFocus();
    QTRY_VERIFY(m_other->hasFocus());
    QSignalSpy clicks(m_button, &QAbstractButton::clicked);
    SendMouse(m_button, QEvent::MouseButtonPress, Qt::LeftButton);
    SendMouse(m_button, QEvent::MouseButtonRelease, Qt::NoButton);
    SendMouse(m_button, QEvent::MouseButtonDblClick, Qt::LeftButton);
    SendMouse(m_button, QEvent::MouseButtonRelease, Qt::NoButton);
    QCOMPARE(clicks.count(), 2);
    // The click took the keyboard focus.
    QVERIFY(m_button->hasFocus());
}

QTEST_MAIN(TestCButtonST)
#include "TestCButtonST.moc"
