// Draws Torvane's icons with QPainter and writes them as PNG files:
//   torvane_make_icons <output folder>
// The toolbar icons are 32 x 32, the window icon 48 x 48.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

const QColor kInk(0x2b, 0x3a, 0x4a);
const QColor kRed(0xd9, 0x3b, 0x30);
const QColor kBlue(0x2f, 0x7d, 0xd1);
const QColor kGreen(0x2e, 0x9d, 0x5b);
const QColor kAmber(0xf0, 0xa8, 0x30);

bool Save(const QString& folder, const QString& name, int size, const std::function<void(QPainter&)>& draw)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    return image.save(QDir(folder).filePath(name), "PNG");
}

// A camera body with a lens, the common motif.
void Camera(QPainter& p, const QColor& body)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(3, 9, 22, 15), 3, 3);
    QPainterPath snout;
    snout.moveTo(25, 13);
    snout.lineTo(30, 10);
    snout.lineTo(30, 23);
    snout.lineTo(25, 20);
    snout.closeSubpath();
    p.drawPath(snout);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(14, 16.5), 4.5, 4.5);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(14, 16.5), 2, 2);
}

void Start(QPainter& p)
{
    Camera(p, QColor(0xe8, 0xee, 0xf5));
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(7, 6), 4, 4);
}

void Stop(QPainter& p)
{
    Camera(p, QColor(0xe8, 0xee, 0xf5));
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(2, 1.5, 9, 9), 1.5, 1.5);
}

void Snapshot(QPainter& p)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0x55, 0x60, 0x70));
    p.drawRoundedRect(QRectF(2, 9, 28, 19), 3, 3);
    p.drawRect(QRectF(10, 5, 12, 4));
    p.setBrush(QColor(0xcf, 0xe3, 0xf7));
    p.drawEllipse(QPointF(16, 18.5), 6.5, 6.5);
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(16, 18.5), 3.5, 3.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kAmber);
    p.drawRect(QRectF(24, 11, 4, 2.5));
}

void Options(QPainter& p)
{
    QPainterPath gear;
    const QPointF c(16, 16);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 45.0);
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-3, -14, 6, 8), 1.2, 1.2);
        gear = gear.united(t.map(tooth));
    }
    QPainterPath ring;
    ring.addEllipse(c, 10, 10);
    gear = gear.united(ring);
    QPainterPath hole;
    hole.addEllipse(c, 4, 4);
    gear = gear.subtracted(hole);
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0x8a, 0x98, 0xa8));
    p.drawPath(gear);
}

void Update(QPainter& p)
{
    p.setPen(QPen(kGreen, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 5, 22, 22), 100 * 16, 250 * 16);
    QPainterPath head;
    head.moveTo(13, 1.5);
    head.lineTo(21, 5.5);
    head.lineTo(13, 10.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawPath(head);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(14.5, 12, 3, 9), 1, 1);
    QPainterPath down;
    down.moveTo(11, 19);
    down.lineTo(21, 19);
    down.lineTo(16, 25);
    down.closeSubpath();
    p.drawPath(down);
}

void Help(QPainter& p)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(16, 16), 14, 14);
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath q;
    q.moveTo(11.5, 12);
    q.cubicTo(11.5, 6.5, 20.5, 6.5, 20.5, 12);
    q.cubicTo(20.5, 15.5, 16, 15.5, 16, 19);
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 24), 2, 2);
}

void AppIcon(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x79));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);
    p.translate(0, 2);
    Camera(p, QColor(0xe8, 0xee, 0xf5));
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(6.5, 5), 2.5, 2.5);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const bool ok = Save(folder, "start.png", 32, Start) && Save(folder, "stop.png", 32, Stop) &&
                    Save(folder, "snapshot.png", 32, Snapshot) && Save(folder, "options.png", 32, Options) &&
                    Save(folder, "update.png", 32, Update) && Save(folder, "help.png", 32, Help) &&
                    Save(folder, "torvane.png", 48, AppIcon);
    return ok ? 0 : 1;
}
