// makelogo: draws the verification dialog's logo, an 80 x 68 PNG with an alpha channel and an
// sRGB colour profile, and writes it to the path given. The picture: a logbook page with a
// check mark, and radio waves rising from its corner.
#include <QColorSpace>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

QImage DrawLogo() {
    QImage image(80, 68, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setColorSpace(QColorSpace::SRgb);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // The logbook: a rounded page with a shadow and ruled lines.
    const QRectF page(8.5, 20.5, 42, 44);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawRoundedRect(page.translated(2, 2), 5, 5);
    painter.setBrush(QColor(0x1F, 0x4E, 0x79));
    painter.drawRoundedRect(page, 5, 5);
    painter.setBrush(QColor(0xF7, 0xF9, 0xFC));
    painter.drawRoundedRect(page.adjusted(5, 4, -4, -4), 2, 2);
    painter.setPen(QPen(QColor(0xB8, 0xC7, 0xD9), 1.2));
    for (int i = 0; i < 5; ++i) {
        const double y = page.top() + 12 + i * 7.5;
        painter.drawLine(QPointF(page.left() + 9, y), QPointF(page.right() - 8, y));
    }

    // The check mark across the page.
    QPainterPath check;
    check.moveTo(18, 44);
    check.lineTo(27, 54);
    check.lineTo(44, 32);
    painter.setPen(QPen(QColor(0x2E, 0x9E, 0x4F), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(check);

    // Radio waves from the page's upper right corner.
    const QPointF source(56, 20);
    painter.setBrush(QColor(0xE0, 0x7A, 0x1F));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(source, 3.5, 3.5);
    painter.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        const double radius = 5.5 * i + 0.5;
        QColor wave(0xE0, 0x7A, 0x1F);
        wave.setAlpha(255 - 50 * (i - 1));
        painter.setPen(QPen(wave, 2.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(source.x() - radius, source.y() - radius, 2 * radius, 2 * radius),
                        -20 * 16, 110 * 16);
    }
    painter.end();
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makelogo <output.png>\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    if (!DrawLogo().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "makelogo: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
