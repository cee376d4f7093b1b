#include "app/action_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <map>

namespace app {

namespace {

constexpr int kSize = 32;
const QColor kEmerald(0x10, 0x8a, 0x5e);
const QColor kEmeraldLight(0x34, 0xb3, 0x82);
const QColor kSlate(0x33, 0x41, 0x55);
const QColor kAlert(0xc0, 0x39, 0x2b);

using Sign = std::function<void(QPainter&)>;

QPen signPen(qreal width = 2.6) {
    QPen pen(Qt::white, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPixmap tile(const QColor& base, const Sign& sign) {
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, kSize);
    g.setColorAt(0, base.lighter(125));
    g.setColorAt(1, base.darker(115));
    p.setPen(QPen(base.darker(140), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1.5, 1.5, kSize - 3, kSize - 3), 6, 6);
    p.setPen(signPen());
    p.setBrush(Qt::NoBrush);
    sign(p);
    return pm;
}

void arrow(QPainter& p, QPointF from, QPointF to) {
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    p.drawLine(to, to - d * 5 + n * 4);
    p.drawLine(to, to - d * 5 - n * 4);
}

void letter(QPainter& p, const QString& text, int px) {
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(px);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, text);
    p.setPen(signPen());
}

void page(QPainter& p, QRectF r) {
    p.setPen(signPen(2));
    p.drawRect(r);
    p.setPen(signPen());
}

const std::map<QString, std::pair<QColor, Sign>>& signs() {
    static const std::map<QString, std::pair<QColor, Sign>> all = {
        {"ActionLogin",
         {kEmerald,
          [](QPainter& p) {  // a key
              p.drawEllipse(QPointF(11, 16), 5, 5);
              p.drawLine(QPointF(16, 16), QPointF(26, 16));
              p.drawLine(QPointF(22, 16), QPointF(22, 21));
              p.drawLine(QPointF(26, 16), QPointF(26, 20));
          }}},
        {"ActionExit",
         {kAlert,
          [](QPainter& p) {  // a door and an arrow out
              p.drawRect(QRectF(7, 7, 11, 18));
              arrow(p, QPointF(14, 16), QPointF(26, 16));
          }}},
        {"ActionHelp", {kSlate, [](QPainter& p) { letter(p, QStringLiteral("?"), 22); }}},
        {"ActionAbout", {kSlate, [](QPainter& p) { letter(p, QStringLiteral("i"), 22); }}},
        {"ActionBaseExport",
         {kEmerald,
          [](QPainter& p) {  // out of a box
              p.drawPolyline(QPolygonF({{7, 17}, {7, 25}, {25, 25}, {25, 17}}));
              arrow(p, QPointF(16, 21), QPointF(16, 6));
          }}},
        {"ActionBaseImport",
         {kEmerald,
          [](QPainter& p) {  // into a box
              p.drawPolyline(QPolygonF({{7, 17}, {7, 25}, {25, 25}, {25, 17}}));
              arrow(p, QPointF(16, 5), QPointF(16, 20));
          }}},
        {"ActionAdmin",
         {kSlate,
          [](QPainter& p) {  // a person with a key bit
              p.drawEllipse(QPointF(16, 11), 4.5, 4.5);
              p.drawArc(QRectF(7, 17, 18, 16), 0, 180 * 16);
          }}},
        {"ActionPrintLog",
         {kEmerald,
          [](QPainter& p) {  // a printer
              page(p, QRectF(10, 5, 12, 7));
              p.drawRoundedRect(QRectF(6, 12, 20, 10), 2, 2);
              page(p, QRectF(10, 19, 12, 8));
          }}},
        {"ActionPrintReport",
         {kEmerald,
          [](QPainter& p) {  // a bar chart
              p.drawLine(QPointF(7, 25), QPointF(25, 25));
              p.drawLine(QPointF(10, 22), QPointF(10, 16));
              p.drawLine(QPointF(16, 22), QPointF(16, 9));
              p.drawLine(QPointF(22, 22), QPointF(22, 13));
          }}},
        {"ActionAddRecord",
         {kEmeraldLight,
          [](QPainter& p) {
              p.setPen(signPen(3.4));
              p.drawLine(QPointF(16, 8), QPointF(16, 24));
              p.drawLine(QPointF(8, 16), QPointF(24, 16));
          }}},
        {"ActionDeleteRecord",
         {kAlert,
          [](QPainter& p) {
              p.setPen(signPen(3.4));
              p.drawLine(QPointF(10, 10), QPointF(22, 22));
              p.drawLine(QPointF(22, 10), QPointF(10, 22));
          }}},
        {"ActionEditRecord",
         {kEmeraldLight,
          [](QPainter& p) {  // a pencil
              p.drawLine(QPointF(9, 23), QPointF(22, 10));
              p.drawLine(QPointF(12, 26), QPointF(25, 13));
              p.drawLine(QPointF(22, 10), QPointF(25, 13));
              p.drawLine(QPointF(9, 23), QPointF(7, 27));
              p.drawLine(QPointF(7, 27), QPointF(12, 26));
          }}},
        {"ActionSelectData",
         {kEmerald,
          [](QPainter& p) {  // a funnel
              p.drawPolygon(QPolygonF({{6, 8}, {26, 8}, {18, 17}, {18, 25}, {14, 23}, {14, 17}}));
          }}},
        {"ActionSprav",
         {kEmerald,
          [](QPainter& p) {  // a book
              p.drawRect(QRectF(8, 6, 16, 20));
              p.drawLine(QPointF(12, 6), QPointF(12, 26));
              p.drawLine(QPointF(15, 12), QPointF(21, 12));
              p.drawLine(QPointF(15, 16), QPointF(21, 16));
          }}},
        {"ActionConfig",
         {kSlate,
          [](QPainter& p) {  // sliders
              for (int i = 0; i < 3; ++i) {
                  const qreal y = 9 + 7 * i;
                  p.drawLine(QPointF(7, y), QPointF(25, y));
                  p.setBrush(Qt::white);
                  p.drawEllipse(QPointF(11 + 5 * ((i * 2) % 3), y), 2.5, 2.5);
                  p.setBrush(Qt::NoBrush);
              }
          }}},
    };
    return all;
}

}  // namespace

QIcon actionIcon(const QString& actionName) {
    const auto it = signs().find(actionName);
    if (it == signs().end()) return {};
    return QIcon(tile(it->second.first, it->second.second));
}

}  // namespace app
