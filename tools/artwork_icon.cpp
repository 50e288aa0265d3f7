// The program icon: a photograph print with a numbered tag lying on its corner. It is drawn on a
// 64 x 64 grid and scaled to each size the desktop asks for; the program's own 64 x 64 copy is
// reduced to a palette of 256 colours, transparency included.

#include "artwork.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <algorithm>
#include <array>
#include <map>

namespace {

constexpr int Size = 64;

void drawPrint(QPainter &p)
{
    p.save();
    p.translate(28, 27);
    p.rotate(-8);
    const QRectF print(-24, -20, 48, 40);
    // A soft shadow under the print.
    for (int i = 3; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 28));
        p.drawRoundedRect(print.translated(1.5, 2).adjusted(-i * 0.7, -i * 0.7, i * 0.7, i * 0.7), 3, 3);
    }
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.setBrush(QColor(250, 250, 247));
    p.drawRoundedRect(print, 2, 2);

    const QRectF picture = print.adjusted(4, 4, -4, -4);
    QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
    sky.setColorAt(0, QColor(40, 120, 220));
    sky.setColorAt(1, QColor(170, 215, 250));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(picture);
    p.setClipRect(picture);
    p.setBrush(QColor(255, 205, 40));
    p.drawEllipse(QPointF(picture.right() - 9, picture.top() + 8), 5, 5);
    QPainterPath farHill;
    farHill.moveTo(picture.left(), picture.bottom() - 9);
    farHill.quadTo(picture.left() + 12, picture.bottom() - 22, picture.left() + 26, picture.bottom() - 10);
    farHill.lineTo(picture.right(), picture.bottom() - 12);
    farHill.lineTo(picture.bottomRight());
    farHill.lineTo(picture.bottomLeft());
    p.setBrush(QColor(70, 160, 70));
    p.drawPath(farHill);
    QPainterPath nearHill;
    nearHill.moveTo(picture.left(), picture.bottom() - 3);
    nearHill.quadTo(picture.center().x() + 4, picture.bottom() - 16, picture.right(), picture.bottom() - 5);
    nearHill.lineTo(picture.bottomRight());
    nearHill.lineTo(picture.bottomLeft());
    p.setBrush(QColor(30, 115, 45));
    p.drawPath(nearHill);
    p.restore();
}

void drawTag(QPainter &p)
{
    p.save();
    p.translate(44, 47);
    p.rotate(28);
    // A luggage label: pointed where the eyelet is.
    QPainterPath tag;
    tag.moveTo(-3, -7);
    tag.lineTo(14, -7);
    tag.quadTo(16, -7, 16, -5);
    tag.lineTo(16, 5);
    tag.quadTo(16, 7, 14, 7);
    tag.lineTo(-3, 7);
    tag.lineTo(-10, 0);
    tag.closeSubpath();
    QLinearGradient fill(0, -7, 0, 7);
    fill.setColorAt(0, QColor(255, 170, 60));
    fill.setColorAt(1, QColor(235, 120, 20));
    p.setPen(QPen(QColor(150, 70, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(tag);
    p.setPen(QPen(QColor(150, 70, 0), 1));
    p.setBrush(QColor(255, 245, 225));
    p.drawEllipse(QPointF(-4.5, 0), 2, 2);
    // The number 1, stroked rather than typeset so the icon needs no font.
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath one;
    one.moveTo(3.5, -2.5);
    one.lineTo(7, -4.5);
    one.lineTo(7, 4.5);
    p.drawPath(one);
    p.drawLine(QPointF(4, 4.5), QPointF(10, 4.5));
    p.restore();
}

void drawIcon(QPainter &p)
{
    drawPrint(p);
    drawTag(p);
}

/**
 * The icon up to 32 pixels: the same print and tag, but upright and on whole pixels, since a tilted
 * edge a quarter pixel wide only blurs at that size. `grid` is the pixel size, the design is 16 units.
 */
void drawSmallIcon(QPainter &p, int grid)
{
    const auto px = [grid](double units) { return int(units * grid / 16.0 + 0.5); };
    const QRect print(px(0.5), px(1.5), px(14) - px(0.5), px(12.5) - px(1.5));
    p.fillRect(print.translated(1, 1), QColor(0, 0, 0, 50));
    p.fillRect(print, QColor(150, 150, 150));
    p.fillRect(print.adjusted(1, 1, -1, -1), QColor(250, 250, 247));

    const QRect picture = print.adjusted(2, 2, -2, -2);
    QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
    sky.setColorAt(0, QColor(40, 120, 220));
    sky.setColorAt(1, QColor(170, 215, 250));
    p.fillRect(picture, sky);
    p.save();
    p.setClipRect(picture);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 205, 40));
    const double sun = std::max(1.0, grid / 12.0);
    p.drawEllipse(QPointF(picture.right() + 1 - 2.5 * sun, picture.top() + sun + 0.5), sun, sun);
    p.setBrush(QColor(70, 160, 70));
    p.drawEllipse(QRectF(picture.left() - picture.width() * 0.2, picture.bottom() + 1 - picture.height() * 0.45,
                         picture.width() * 0.9, picture.height() * 0.8));
    p.setBrush(QColor(30, 115, 45));
    p.drawEllipse(QRectF(picture.left() + picture.width() * 0.2, picture.bottom() + 1 - picture.height() * 0.3,
                         picture.width() * 1.2, picture.height() * 0.8));
    p.restore();

    // The tag, upright, its point to the left and its eyelet one pixel.
    const int left = px(8), right = px(16), top = px(10), bottom = px(16), middle = (top + bottom) / 2;
    const QPolygon tag{{left, middle}, {left + (bottom - top) / 2, top}, {right - 1, top}, {right - 1, bottom - 1},
                       {left + (bottom - top) / 2, bottom - 1}};
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(150, 70, 0));
    QLinearGradient fill(0, top, 0, bottom);
    fill.setColorAt(0, QColor(255, 170, 60));
    fill.setColorAt(1, QColor(235, 120, 20));
    p.setBrush(fill);
    p.drawPolygon(tag);
    p.fillRect(QRect(left + (bottom - top) / 2, middle, 1, 1), QColor(255, 245, 225));
    p.restore();
}

/** Median cut over red, green, blue and alpha: at most `colours` entries, weighted by pixel count. */
QVector<QRgb> medianCut(const std::map<QRgb, int> &histogram, int colours)
{
    struct Entry
    {
        std::array<int, 4> channel;
        int count;
    };
    std::vector<Entry> entries;
    for (const auto &[rgba, count] : histogram)
        entries.push_back({{qRed(rgba), qGreen(rgba), qBlue(rgba), qAlpha(rgba)}, count});
    std::vector<std::pair<size_t, size_t>> boxes{{0, entries.size()}};
    auto widest = [&](const std::pair<size_t, size_t> &box, int &channel) {
        int best = -1;
        for (int c = 0; c < 4; ++c) {
            int low = 255, high = 0;
            for (size_t i = box.first; i < box.second; ++i) {
                low = std::min(low, entries[i].channel[size_t(c)]);
                high = std::max(high, entries[i].channel[size_t(c)]);
            }
            if (high - low > best) {
                best = high - low;
                channel = c;
            }
        }
        return best;
    };
    while (int(boxes.size()) < colours) {
        size_t pick = boxes.size();
        int channel = 0, spread = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            int c = 0;
            const int s = widest(boxes[b], c);
            if (boxes[b].second - boxes[b].first > 1 && s > spread) {
                spread = s;
                pick = b;
                channel = c;
            }
        }
        if (pick == boxes.size())
            break;
        auto [first, last] = boxes[pick];
        std::sort(entries.begin() + long(first), entries.begin() + long(last),
                  [channel](const Entry &a, const Entry &b) { return a.channel[size_t(channel)] < b.channel[size_t(channel)]; });
        // Split where half the pixels lie on each side.
        long total = 0, half = 0;
        for (size_t i = first; i < last; ++i)
            total += entries[i].count;
        size_t split = first + 1;
        for (size_t i = first; i < last - 1; ++i) {
            half += entries[i].count;
            split = i + 1;
            if (half * 2 >= total)
                break;
        }
        boxes[pick] = {first, split};
        boxes.push_back({split, last});
    }
    QVector<QRgb> palette;
    for (const auto &[first, last] : boxes) {
        std::array<double, 4> sum{};
        double weight = 0;
        for (size_t i = first; i < last; ++i) {
            for (size_t c = 0; c < 4; ++c)
                sum[c] += entries[i].channel[c] * double(entries[i].count);
            weight += entries[i].count;
        }
        palette.append(qRgba(int(sum[0] / weight + 0.5), int(sum[1] / weight + 0.5), int(sum[2] / weight + 0.5),
                             int(sum[3] / weight + 0.5)));
    }
    return palette;
}

} // namespace

QImage makeIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        if (size <= 32) {
            drawSmallIcon(p, size);
        } else {
            if (size != Size)
                p.scale(qreal(size) / Size, qreal(size) / Size);
            drawIcon(p);
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray makeScalableIcon()
{
    QBuffer svg;
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(QSize(Size, Size));
    generator.setViewBox(QRect(0, 0, Size, Size));
    generator.setTitle(QStringLiteral("Quarimo"));
    {
        QPainter p(&generator);
        p.setRenderHint(QPainter::Antialiasing);
        drawIcon(p);
    }
    // The generator gives every group the painter's font, one of size -1 that no viewer can use;
    // the icon has no text, so the attributes go.
    const QRegularExpression unusedFont(
        QStringLiteral("\\s*font-family=\"[^\"]*\" font-size=\"-1\" font-weight=\"\\d+\" font-style=\"\\w+\""));
    return QString::fromUtf8(svg.data()).remove(unusedFont).toUtf8();
}

QImage makePaletteIcon()
{
    const QImage image = makeIcon(Size);

    // Fully transparent pixels share entry 0; the rest get the other 255 entries.
    std::map<QRgb, int> histogram;
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                ++histogram[image.pixel(x, y)];
    QVector<QRgb> palette{qRgba(0, 0, 0, 0)};
    palette += medianCut(histogram, 255);
    while (palette.size() < 256)
        palette.append(qRgba(0, 0, 0, 0));
    QImage indexed(Size, Size, QImage::Format_Indexed8);
    indexed.setColorTable(palette);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const QRgb c = image.pixel(x, y);
            int best = 0;
            if (qAlpha(c) != 0) {
                long bestDistance = -1;
                for (int i = 1; i < palette.size(); ++i) {
                    const QRgb q = palette[i];
                    const long d = long(qRed(c) - qRed(q)) * (qRed(c) - qRed(q)) +
                                   long(qGreen(c) - qGreen(q)) * (qGreen(c) - qGreen(q)) +
                                   long(qBlue(c) - qBlue(q)) * (qBlue(c) - qBlue(q)) +
                                   2 * long(qAlpha(c) - qAlpha(q)) * (qAlpha(c) - qAlpha(q));
                    if (bestDistance < 0 || d < bestDistance) {
                        bestDistance = d;
                        best = i;
                    }
                }
            }
            indexed.setPixel(x, y, uint(best));
        }
    return indexed;
}
