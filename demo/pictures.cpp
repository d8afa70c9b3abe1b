#include "demo/pictures.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>

#include "demo/gallery_site.h"

namespace qimbra::demo {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

std::string PaintPicture(const DemoEntry& entry, int number) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const int hue = (entry.hue + number * 12) % 360;
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor::fromHsv(hue, 90, 250));
    sky.setColorAt(1, QColor::fromHsv(hue, 200, 120));
    painter.fillRect(image.rect(), sky);

    // A few soft discs, placed differently on every picture.
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        const int seed = (number * 7 + i) * 2654435761U % 100000;
        painter.setBrush(QColor::fromHsv((hue + 40 * i) % 360, 120, 255, 90));
        const int radius = 40 + seed % 90;
        painter.drawEllipse(QPoint(seed % kWidth, (seed / 7) % kHeight), radius, radius);
    }

    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(64);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255, 230));
    painter.drawText(QRect(0, 180, kWidth, 120), Qt::AlignCenter, QString::fromStdString(entry.title));
    font.setPixelSize(36);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(0, 320, kWidth, 80), Qt::AlignCenter,
                     QStringLiteral("第 %1 / %2 张").arg(number).arg(entry.image_count));
    painter.end();

    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return encoded.toStdString();
}

}  // namespace

std::map<std::string, std::string> PaintPictures() {
    std::map<std::string, std::string> pictures;
    int entry_number = 1;
    for (const DemoEntry& entry : DemoEntries()) {
        for (int number = 1; number <= entry.image_count; ++number) {
            pictures[ImagePath(entry_number, number)] = PaintPicture(entry, number);
        }
        ++entry_number;
    }
    return pictures;
}

}  // namespace qimbra::demo
