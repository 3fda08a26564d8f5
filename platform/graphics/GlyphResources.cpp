// The program's own glyphs and cursors that the libraries load by name, drawn here pixel by pixel
// and registered as PNG resources with the classes layer.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <deque>
#include <map>
#include <mutex>

#include "platform/classes/Streams.h"
#include "platform/graphics/GraphicsApp.h"
#include "platform/graphics/ImageList.h"

namespace {

// '.' is the background, which the loaders treat as transparent (white, or teal for the "W" set);
// '#' black, 'g' grey, 'd' dark grey, 'w' white, 'b' blue, 'r' red, 'y' yellow.
QRgb Ink(char c, QRgb background) {
  switch (c) {
    case '#':
      return qRgb(0, 0, 0);
    case 'g':
      return qRgb(128, 128, 128);
    case 'd':
      return qRgb(64, 64, 64);
    case 'w':
      return qRgb(255, 255, 255);
    case 'b':
      return qRgb(0, 0, 160);
    case 'r':
      return qRgb(192, 0, 0);
    case 'y':
      return qRgb(255, 255, 0);
    default:
      return background;
  }
}

QImage FromRows(std::initializer_list<const char*> rows, QRgb background) {
  const int h = static_cast<int>(rows.size());
  const int w = static_cast<int>(std::strlen(*rows.begin()));
  QImage img(w, h, QImage::Format_RGB32);
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; x < w; ++x) img.setPixel(x, y, Ink(row[x], background));
    ++y;
  }
  return img;
}

const QRgb White = qRgb(255, 255, 255);
const QRgb Teal = qRgb(0, 128, 128);  // the colour value 0x808000

const std::initializer_list<const char*> Arrow = {
    "...........", "...#.......", "...##......", "...###.....", "...####....", "...#####...",
    "...####....", "...###.....", "...##......", "...#.......", "...........",
};

QImage Cursor(const std::function<void(QPainter&)>& draw) {
  QImage img(32, 32, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  draw(p);
  return img;
}

// An arrow cursor's outline pointing in the direction (dx, dy) with its tip at (tx, ty).
void BigArrow(QPainter& p, QPointF tip, int dx, int dy) {
  QPolygonF shape;
  // Drawn pointing down, then turned.
  const QPointF pts[] = {{0, 0}, {-7, -7}, {-3, -7}, {-3, -15}, {3, -15}, {3, -7}, {7, -7}};
  QTransform t;
  t.translate(tip.x(), tip.y());
  if (dx > 0)
    t.rotate(-90);
  else if (dx < 0)
    t.rotate(90);
  else if (dy < 0)
    t.rotate(180);
  for (const QPointF& q : pts) shape << t.map(q);
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(Qt::black);
  p.drawPolygon(shape);
}

struct CursorSpot {
  const char16_t* name;
  TPoint spot;
};
constexpr CursorSpot Spots[] = {
    {u"MAGNIFIEREH", {6, 6}},  {u"HANDEH", {9, 5}},     {u"DOWNCUREH", {15, 22}},
    {u"RIGHTCUREH", {22, 15}}, {u"LEFTCUREH", {8, 15}}, {u"DROPTOGARBAGEEH", {0, 0}},
};

std::deque<QByteArray>& Store() {
  static std::deque<QByteArray> store;
  return store;
}

void Register(const char16_t* name, const QImage& img) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  Store().push_back(bytes);
  const QByteArray& kept = Store().back();
  RegisterResource(name, reinterpret_cast<const Byte*>(kept.constData()), static_cast<size_t>(kept.size()));
}

void RegisterAll() {
  Register(u"DBGARROWEH", FromRows(Arrow, White));
  Register(u"DBEDITEH",
           FromRows({"...........", "..###.###..", ".....#.....", ".....#.....", ".....#.....", ".....#.....",
                     ".....#.....", ".....#.....", ".....#.....", "..###.###..", "..........."},
                    White));
  Register(u"DBINSERTEH",
           FromRows({"...........", ".....#.....", "..#..#..#..", "...#.#.#...", "....###....", "..#######..",
                     "....###....", "...#.#.#...", "..#..#..#..", ".....#.....", "..........."},
                    White));
  Register(u"DBMULTIDOTEH",
           FromRows({"...........", "...........", "...........", "....###....", "...#####...", "...#####...",
                     "...#####...", "....###....", "...........", "...........", "..........."},
                    White));
  Register(u"DBMULTIARROWEH",
           FromRows({"...........", ".#.........", ".##........", ".###.......", ".####..###.", ".#####.###.",
                     ".####..###.", ".###.......", ".##........", ".#.........", "..........."},
                    White));
  Register(u"DBGARROWEHW", FromRows(Arrow, Teal));
  const std::initializer_list<const char*> down = {".........", ".........", ".#######.", "..#####..",
                                                   "...###...", "....#....", ".........", "........."};
  const std::initializer_list<const char*> up = {".........", ".........", "....#....", "...###...",
                                                 "..#####..", ".#######.", ".........", "........."};
  Register(u"DBSMDOWNEH", FromRows(down, White));
  Register(u"DBSMUPEH", FromRows(up, White));
  Register(u"DBSMDOWNEH_1", FromRows({".........", ".........", ".ggggggg.", "..ggggg..", "...ggg...",
                                      "....g....", ".........", "........."},
                                     White));
  Register(u"DBSMUPEH_1", FromRows({".........", ".........", "....g....", "...ggg...", "..ggggg..",
                                    ".ggggggg.", ".........", "........."},
                                   White));
  Register(u"DROPDOWNEH",
           FromRows({".........", ".#######.", "..#####..", "...###...", "....#....", "........."}, White));
  Register(u"QRLABEL",
           FromRows({"................", "................", "......####......", ".....##..##.....",
                     ".....##..##.....", "....##....##....", "....##....##....", "...##......##...",
                     "...##########...", "...##......##...", "..##........##..", "..##........##..",
                     ".####......####.", "................", "bbbbbbbbbbbbbbbb", "................"},
                    White));
  Register(u"QREXPR",
           FromRows({"................", "................", "....###.........", "...##...........",
                     "...##...........", ".######..##..##.", "...##.....####..", "...##......##...",
                     "...##.....####..", "...##....##..##.", "..##............", ".##.............",
                     "................", "................", "rrrrrrrrrrrrrrrr", "................"},
                    White));
  Register(u"MAGNIFIEREH", Cursor([](QPainter& p) {
             p.setPen(QPen(Qt::black, 2));
             p.setBrush(QColor(255, 255, 255, 160));
             p.drawEllipse(QRectF(1, 1, 10, 10));
             p.setPen(QPen(Qt::black, 3));
             p.drawLine(QPointF(10, 10), QPointF(16, 16));
           }));
  Register(u"HANDEH", Cursor([](QPainter& p) {
             QPainterPath hand;
             hand.addRoundedRect(QRectF(4, 9, 12, 10), 3, 3);
             for (int f = 0; f < 4; ++f)
               hand.addRoundedRect(QRectF(4 + 3 * f, 3 + (f == 0 || f == 3 ? 2 : 0), 3, 9), 1.5, 1.5);
             hand.addRoundedRect(QRectF(1, 10, 4, 7), 1.5, 1.5);
             p.setPen(QPen(Qt::black, 1));
             p.setBrush(Qt::white);
             p.drawPath(hand.simplified());
           }));
  Register(u"DOWNCUREH", Cursor([](QPainter& p) { BigArrow(p, QPointF(15, 22), 0, 1); }));
  Register(u"RIGHTCUREH", Cursor([](QPainter& p) { BigArrow(p, QPointF(22, 15), 1, 0); }));
  Register(u"LEFTCUREH", Cursor([](QPainter& p) { BigArrow(p, QPointF(8, 15), -1, 0); }));
  Register(u"DROPTOGARBAGEEH", Cursor([](QPainter& p) {
             const QPointF pointer[] = {{0, 0}, {0, 15}, {4, 11}, {7, 17}, {9, 16}, {6, 10}, {11, 10}};
             p.setPen(QPen(Qt::white, 1));
             p.setBrush(Qt::black);
             p.drawPolygon(pointer, 7);
             p.setPen(QPen(Qt::black, 1));
             p.setBrush(QColor(160, 160, 160));
             p.drawRect(QRectF(16, 18, 10, 12));  // the can
             p.drawRect(QRectF(14, 16, 14, 2));   // its lid
             for (int x = 19; x <= 23; x += 2) p.drawLine(QPointF(x, 20), QPointF(x, 28));
           }));
}

}  // namespace

void RegisterGraphicsResources() {
  static std::once_flag once;
  std::call_once(once, [] {
    InitGraphics();
    RegisterAll();
  });
}

bool CursorResourceHotSpot(const String& name, TPoint& hotSpot) {
  for (const CursorSpot& c : Spots) {
    if (name == c.name) {
      hotSpot = c.spot;
      return true;
    }
  }
  return false;
}
