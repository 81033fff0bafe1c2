#include "Render.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <unordered_map>

namespace zavro::media {
namespace {

const QColor kBand(0x0B, 0x4F, 0x6C);
const QColor kBandLine(0xE8, 0x73, 0x0C);
const QColor kHeaderButton(0x2A, 0x8D, 0xB3);
const QColor kHeaderEdge(0x6C, 0xB8, 0xD6);
const QColor kMuted(0x46, 0x69, 0x7D);
const QColor kMutedText(0x9F, 0xB6, 0xC4);
const QColor kBody(0xDC, 0xE6, 0xED);
const QColor kText(0x15, 0x32, 0x4A);
const QColor kSoftText(0x3C, 0x5A, 0x70);
const QColor kFieldEdge(0x6F, 0x8C, 0xA0);
const QColor kPrimary(0xE8, 0x73, 0x0C);
const QColor kSecondary(0x2E, 0x6F, 0x8E);
const QColor kDisabled(0xAE, 0xB9, 0xC2);
const QColor kValue(0xF6, 0xF9, 0xFB);

constexpr int kBandBottom = 110;
constexpr int kFooterTop = 540;

QString gFamily = QStringLiteral("DejaVu Sans");

QRect R(const Box& b) {
    return QRect(b.x, b.y, b.w, b.h);
}

QString Text(const Language* lang, const std::string& key) {
    if (key.empty()) return {};
    if (key.front() == '=') return QString::fromStdString(key.substr(1));
    if (lang == nullptr) throw std::invalid_argument("no language for text " + key);
    return QString::fromStdString(lang->T(key));
}

QFont Font(int px, bool bold) {
    QFont f(gFamily);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// Draws text into r at the largest size from px down to 8 that fits, wrapping at word
// breaks when wrap is set; the longest German labels need it.
void Fitted(QPainter& p, const QRect& r, const QString& text, int px, bool bold,
            const QColor& colour, int align, bool wrap = false) {
    const int flags = align | (wrap ? Qt::TextWordWrap : 0);
    int size = px;
    for (; size > 8; --size) {
        const QFontMetrics m(Font(size, bold));
        const QRect need = m.boundingRect(r, flags, text);
        if (need.width() <= r.width() && need.height() <= r.height()) break;
    }
    p.setFont(Font(size, bold));
    p.setPen(colour);
    p.drawText(r, flags, text);
}

void RoundedFill(QPainter& p, const QRect& r, qreal radius, const QColor& fill,
                 const QColor* edge = nullptr) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(r), radius, radius);
    if (edge != nullptr) {
        p.setPen(QPen(*edge, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    }
    p.restore();
}

// Line-art glyphs in a square of side s centred on c.
void DrawGlyph(QPainter& p, Glyph g, QPointF c, qreal s, const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(colour, std::max<qreal>(1.6, s / 13.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const qreal h = s / 2;
    const QRectF sq(c.x() - h, c.y() - h, s, s);
    switch (g) {
        case Glyph::None:
            break;
        case Glyph::Menu: {
            const qreal cell = s / 3.6, gap = (s - 3 * cell) / 2;
            p.setBrush(colour);
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j) {
                    p.drawRoundedRect(QRectF(sq.left() + i * (cell + gap),
                                             sq.top() + j * (cell + gap), cell, cell),
                                      1.5, 1.5);
                }
            }
            break;
        }
        case Glyph::Start: {
            p.drawEllipse(sq);
            QPainterPath tri;
            tri.moveTo(c.x() - s * 0.14, c.y() - s * 0.22);
            tri.lineTo(c.x() + s * 0.24, c.y());
            tri.lineTo(c.x() - s * 0.14, c.y() + s * 0.22);
            tri.closeSubpath();
            p.setBrush(colour);
            p.drawPath(tri);
            break;
        }
        case Glyph::Wireless: {
            const QPointF base(c.x(), c.y() + s * 0.36);
            for (int i = 1; i <= 3; ++i) {
                const qreal rr = s * 0.24 * i;
                p.drawArc(QRectF(base.x() - rr, base.y() - rr, 2 * rr, 2 * rr), 45 * 16, 90 * 16);
            }
            p.setBrush(colour);
            p.drawEllipse(base, s * 0.07, s * 0.07);
            break;
        }
        case Glyph::Lock: {
            const QRectF body(c.x() - s * 0.36, c.y() - s * 0.05, s * 0.72, s * 0.52);
            p.drawArc(QRectF(c.x() - s * 0.22, c.y() - s * 0.48, s * 0.44, s * 0.6), 0, 180 * 16);
            p.drawLine(QPointF(c.x() - s * 0.22, c.y() - s * 0.18),
                       QPointF(c.x() - s * 0.22, c.y() - s * 0.05));
            p.drawLine(QPointF(c.x() + s * 0.22, c.y() - s * 0.18),
                       QPointF(c.x() + s * 0.22, c.y() - s * 0.05));
            p.setBrush(colour);
            p.drawRoundedRect(body, 2, 2);
            break;
        }
        case Glyph::Firmware: {
            p.drawRect(QRectF(c.x() - s * 0.3, c.y() - s * 0.3, s * 0.6, s * 0.6));
            for (int i = 0; i < 3; ++i) {
                const qreal t = -s * 0.15 + i * s * 0.15;
                p.drawLine(QPointF(c.x() + t, c.y() - s * 0.3),
                           QPointF(c.x() + t, c.y() - s * 0.45));
                p.drawLine(QPointF(c.x() + t, c.y() + s * 0.3),
                           QPointF(c.x() + t, c.y() + s * 0.45));
                p.drawLine(QPointF(c.x() - s * 0.3, c.y() + t),
                           QPointF(c.x() - s * 0.45, c.y() + t));
                p.drawLine(QPointF(c.x() + s * 0.3, c.y() + t),
                           QPointF(c.x() + s * 0.45, c.y() + t));
            }
            p.drawLine(QPointF(c.x(), c.y() + s * 0.16), QPointF(c.x(), c.y() - s * 0.16));
            p.drawLine(QPointF(c.x() - s * 0.1, c.y() - s * 0.06),
                       QPointF(c.x(), c.y() - s * 0.16));
            p.drawLine(QPointF(c.x() + s * 0.1, c.y() - s * 0.06),
                       QPointF(c.x(), c.y() - s * 0.16));
            break;
        }
        case Glyph::Guide: {
            QPainterPath book;
            book.moveTo(c.x(), c.y() - s * 0.28);
            book.cubicTo(c.x() - s * 0.2, c.y() - s * 0.4, c.x() - s * 0.4, c.y() - s * 0.36,
                         c.x() - s * 0.48, c.y() - s * 0.3);
            book.lineTo(c.x() - s * 0.48, c.y() + s * 0.36);
            book.cubicTo(c.x() - s * 0.36, c.y() + s * 0.28, c.x() - s * 0.16, c.y() + s * 0.28,
                         c.x(), c.y() + s * 0.4);
            book.cubicTo(c.x() + s * 0.16, c.y() + s * 0.28, c.x() + s * 0.36, c.y() + s * 0.28,
                         c.x() + s * 0.48, c.y() + s * 0.36);
            book.lineTo(c.x() + s * 0.48, c.y() - s * 0.3);
            book.cubicTo(c.x() + s * 0.4, c.y() - s * 0.36, c.x() + s * 0.2, c.y() - s * 0.4, c.x(),
                         c.y() - s * 0.28);
            p.drawPath(book);
            p.drawLine(QPointF(c.x(), c.y() - s * 0.28), QPointF(c.x(), c.y() + s * 0.4));
            break;
        }
        case Glyph::Manual: {
            QPainterPath page;
            page.moveTo(c.x() - s * 0.32, c.y() - s * 0.45);
            page.lineTo(c.x() + s * 0.14, c.y() - s * 0.45);
            page.lineTo(c.x() + s * 0.32, c.y() - s * 0.27);
            page.lineTo(c.x() + s * 0.32, c.y() + s * 0.45);
            page.lineTo(c.x() - s * 0.32, c.y() + s * 0.45);
            page.closeSubpath();
            p.drawPath(page);
            for (int i = 0; i < 4; ++i) {
                const qreal y = c.y() - s * 0.15 + i * s * 0.15;
                p.drawLine(QPointF(c.x() - s * 0.18, y), QPointF(c.x() + s * 0.18, y));
            }
            break;
        }
        case Glyph::Exit: {
            p.drawArc(QRectF(c.x() - s * 0.4, c.y() - s * 0.36, s * 0.8, s * 0.8), 120 * 16,
                      300 * 16);
            p.drawLine(QPointF(c.x(), c.y() - s * 0.48), QPointF(c.x(), c.y() + s * 0.02));
            break;
        }
        case Glyph::Globe: {
            p.drawEllipse(sq);
            p.drawEllipse(QRectF(c.x() - s * 0.22, sq.top(), s * 0.44, s));
            p.drawLine(QPointF(sq.left(), c.y()), QPointF(sq.right(), c.y()));
            break;
        }
        case Glyph::Mail: {
            const QRectF env(c.x() - s * 0.48, c.y() - s * 0.32, s * 0.96, s * 0.64);
            p.drawRect(env);
            p.drawLine(env.topLeft(), QPointF(c.x(), c.y() + s * 0.05));
            p.drawLine(env.topRight(), QPointF(c.x(), c.y() + s * 0.05));
            break;
        }
    }
    p.restore();
}

void DrawTick(QPainter& p, const QRectF& r, const QColor& colour, qreal width) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(r.left() + r.width() * 0.2, r.top() + r.height() * 0.52);
    tick.lineTo(r.left() + r.width() * 0.42, r.top() + r.height() * 0.74);
    tick.lineTo(r.left() + r.width() * 0.8, r.top() + r.height() * 0.28);
    p.drawPath(tick);
    p.restore();
}

// Label area left of a field: right-aligned, ending 12 pixels before it.
QRect LeftLabel(const QRect& field) {
    const int w = std::min(260, field.left() - 24);
    return QRect(field.left() - 12 - w, field.top() - 6, w, field.height() + 12);
}

void FieldFrame(QPainter& p, const QRect& r, const QColor& fill) {
    p.fillRect(r, fill);
    p.setPen(QPen(kFieldEdge, 1));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(r.adjusted(-1, -1, 0, 0));  // a one-pixel frame just outside r
}

void DrawCheckBox(QPainter& p, const QRect& r, bool ticked) {
    p.fillRect(r, Qt::white);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kSecondary, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(r).adjusted(1, 1, -1, -1));
    if (ticked) DrawTick(p, QRectF(r), kSecondary, 2.6);
}

void DrawElement(QPainter& p, const Element& e, const Language* lang) {
    const QRect r = R(e.box);
    const QString text = Text(lang, e.text);
    switch (e.look) {
        case Look::HeaderButton:
        case Look::Disabled:
            if (e.glyph != Glyph::None) {
                const bool on = e.look == Look::HeaderButton;
                RoundedFill(p, r, 9, on ? kHeaderButton : kMuted, on ? &kHeaderEdge : nullptr);
                const QColor ink = on ? QColor(Qt::white) : kMutedText;
                DrawGlyph(p, e.glyph, QPointF(r.center().x() + 0.5, r.top() + 25), 28, ink);
                Fitted(p, QRect(r.left() + 3, r.bottom() - 30, r.width() - 6, 28), text, 12, true,
                       ink, Qt::AlignHCenter | Qt::AlignVCenter, true);
            } else {
                RoundedFill(p, r, 6, kDisabled);
                Fitted(p, r.adjusted(3, 1, -3, -1), text, 12, true, QColor(0xEE, 0xF2, 0xF5),
                       Qt::AlignCenter);
            }
            break;
        case Look::FooterButton:
            RoundedFill(p, r, 8, kHeaderButton, &kHeaderEdge);
            DrawGlyph(p, e.glyph, QPointF(r.left() + 20, r.center().y() + 0.5), 20, Qt::white);
            Fitted(p, r.adjusted(36, 2, -6, -2), text, 13, true, Qt::white,
                   Qt::AlignLeft | Qt::AlignVCenter);
            break;
        case Look::Primary:
        case Look::Secondary:
        case Look::LanguageButton:
            RoundedFill(p, r, 6, e.look == Look::Primary ? kPrimary : kSecondary);
            Fitted(p, r.adjusted(3, 1, -3, -1), text, e.look == Look::LanguageButton ? 13 : 12,
                   true, Qt::white, Qt::AlignCenter);
            break;
        case Look::Field:
        case Look::DropList:
            FieldFrame(p, r, Qt::white);
            if (e.look == Look::DropList) {
                const QRect arrow(r.right() - r.height() + 2, r.top(), r.height() - 1, r.height());
                p.fillRect(arrow, QColor(0xB7, 0xC7, 0xD3));
                QPainterPath tri;
                tri.moveTo(arrow.center().x() - 4, arrow.center().y() - 2);
                tri.lineTo(arrow.center().x() + 4, arrow.center().y() - 2);
                tri.lineTo(arrow.center().x(), arrow.center().y() + 3);
                tri.closeSubpath();
                p.setRenderHint(QPainter::Antialiasing, true);
                p.fillPath(tri, kText);
            }
            Fitted(p, LeftLabel(r), text, 13, false, kText, Qt::AlignRight | Qt::AlignVCenter);
            break;
        case Look::FieldAbove:
            FieldFrame(p, r, Qt::white);
            Fitted(p, QRect(r.left(), r.top() - 26, r.width(), 20), text, 13, false, kText,
                   Qt::AlignLeft | Qt::AlignBottom);
            break;
        case Look::Value:
            FieldFrame(p, r, kValue);
            Fitted(p, LeftLabel(r), text + QStringLiteral(":"), 13, true, kText,
                   Qt::AlignRight | Qt::AlignVCenter);
            break;
        case Look::ModelName:
            FieldFrame(p, r, kValue);
            Fitted(p, QRect(r.left() - 92, r.top() - 4, 82, r.height() + 8), text, 12, false,
                   kSoftText, Qt::AlignRight | Qt::AlignVCenter);
            break;
        case Look::CheckBox:
        case Look::CheckedBox:
            DrawCheckBox(p, r, e.look == Look::CheckedBox);
            Fitted(p,
                   QRect(r.right() + 11, r.top() - 8, std::min(330, 789 - r.right() - 11),
                         r.height() + 16),
                   text, 13, false, kText, Qt::AlignLeft | Qt::AlignVCenter, true);
            break;
        case Look::Badge:
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(Qt::NoPen);
            p.setBrush(kPrimary);
            p.drawEllipse(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
            p.restore();
            Fitted(p, r, text, 22, true, Qt::white, Qt::AlignCenter);
            break;
        case Look::Animation: {
            const QRect card = r.adjusted(-10, -10, 10, 10);
            RoundedFill(p, card, 10, Qt::white, &kFieldEdge);
            break;
        }
    }
}

void DrawBands(QPainter& p) {
    p.fillRect(QRect(0, 0, 800, 600), kBody);
    p.fillRect(QRect(0, 0, 800, kBandBottom), kBand);
    p.fillRect(QRect(0, kBandBottom, 800, 3), kBandLine);
    p.fillRect(QRect(0, kFooterTop, 800, 60), kBand);
    p.fillRect(QRect(0, kFooterTop - 3, 800, 3), kBandLine);
    Fitted(p, QRect(20, kFooterTop + 10, 300, 40),
           QStringLiteral("ZAVRO  ·  ") + QLatin1String(kDemoModelName), 16, true,
           QColor(0xCF, 0xE4, 0xEE), Qt::AlignLeft | Qt::AlignVCenter);
}

// The brand fills the header's free middle on pages that have one.
void DrawBrand(QPainter& p, const PageLayout& page) {
    QRect free(200, 24, 280, 70);
    for (const Element& e : page.elements) {
        if (R(e.box).intersects(free) && e.box.y < kBandBottom) return;
    }
    Fitted(p, QRect(free.left(), free.top() + 4, free.width(), 36), QStringLiteral("ZAVRO"), 30,
           true, Qt::white, Qt::AlignHCenter | Qt::AlignVCenter);
    Fitted(p, QRect(free.left(), free.top() + 40, free.width(), 22),
           QStringLiteral("Setup Wizard  ·  ") + QLatin1String(kDemoModelName), 13, false,
           QColor(0xCF, 0xE4, 0xEE), Qt::AlignHCenter | Qt::AlignVCenter);
}

QStringList Lines(const QString& s) {
    return s.split(QLatin1Char('\n'));
}

}  // namespace

bool LoadFonts() {
    const char* dir = "/usr/share/fonts/truetype/dejavu/";
    const int regular = QFontDatabase::addApplicationFont(QString(dir) + "DejaVuSans.ttf");
    const int bold = QFontDatabase::addApplicationFont(QString(dir) + "DejaVuSans-Bold.ttf");
    if (regular < 0 || bold < 0) return false;
    const QStringList families = QFontDatabase::applicationFontFamilies(regular);
    if (!families.isEmpty()) gFamily = families.front();
    return true;
}

QImage RenderPage(const PageLayout& page, const Language* lang) {
    QImage img(800, 600, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    DrawBands(p);

    if (lang == nullptr) {
        // Language choice: every shipped language greets the user.
        Fitted(p, QRect(40, 20, 720, 50), QStringLiteral("ZAVRO"), 40, true, Qt::white,
               Qt::AlignCenter);
        Fitted(p, QRect(40, 68, 720, 30),
               QStringLiteral("Setup Wizard  ·  ") + QLatin1String(kDemoModelName), 16, false,
               QColor(0xCF, 0xE4, 0xEE), Qt::AlignCenter);
        Fitted(p, QRect(40, 130, 720, 34), QStringLiteral("Choose your language"), 24, true, kText,
               Qt::AlignCenter);
        Fitted(
            p, R(page.body),
            QStringLiteral("Kies uw taal  ·  Wählen Sie Ihre Sprache  ·  Choisissez votre langue"),
            14, false, kSoftText, Qt::AlignHCenter | Qt::AlignTop, true);
    } else {
        DrawBrand(p, page);
        Fitted(p, QRect(107, 116, 640, 36), Text(lang, "title." + page.name), 24, true, kText,
               Qt::AlignLeft | Qt::AlignVCenter);
        Fitted(p, R(page.body), Text(lang, "body." + page.name), 14, false, kSoftText,
               Qt::AlignLeft | Qt::AlignTop, true);
        if (page.list.h > 0) {
            const QStringList lines = Lines(Text(lang, "list." + page.name));
            const int step = page.list.h / std::max<int>(1, static_cast<int>(lines.size()));
            for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
                Fitted(p, QRect(page.list.x, page.list.y + i * step, page.list.w, step - 4),
                       lines[i], 14, false, kText, Qt::AlignLeft | Qt::AlignTop, true);
            }
        }
    }
    for (const Element& e : page.elements) DrawElement(p, e, lang);
    p.end();
    return img;
}

GifAnimation BuildLoadingGif(const Language& lang) {
    constexpr int W = 333, H = 95;
    const QColor track(0xEE, 0xF3, 0xF6), trackEdge(0x9D, 0xB3, 0xC3);
    const QRect trackRect(16, 60, 250, 20);
    const QRect circle(287, 54, 32, 32);
    auto segment = [](int i) { return QRect(19 + i * 49, 63, 47, 14); };

    // Palette: ramps between the few colours the animation uses, so that antialiased
    // edges map to a close colour.
    std::vector<std::uint32_t> palette;
    auto ramp = [&palette](QColor a, QColor b, int n) {
        for (int i = 0; i < n; ++i) {
            const double t = n == 1 ? 0 : double(i) / (n - 1);
            auto mix = [t](int x, int y) {
                return static_cast<std::uint32_t>(std::lround(x + (y - x) * t));
            };
            palette.push_back((mix(a.red(), b.red()) << 16) | (mix(a.green(), b.green()) << 8) |
                              mix(a.blue(), b.blue()));
        }
    };
    ramp(Qt::white, kText, 16);
    ramp(Qt::white, kPrimary, 12);
    ramp(track, kPrimary, 8);
    ramp(Qt::white, trackEdge, 8);
    ramp(kText, kPrimary, 12);  // also fills the palette to 64 entries
    ramp(kPrimary, QColor(0xFF, 0xD8, 0xB0), 8);
    std::unordered_map<QRgb, std::uint8_t> nearest;
    auto index = [&](QRgb c) {
        if (auto it = nearest.find(c); it != nearest.end()) return it->second;
        int best = 0;
        long bestD = -1;
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const long dr = qRed(c) - long((palette[i] >> 16) & 0xFF);
            const long dg = qGreen(c) - long((palette[i] >> 8) & 0xFF);
            const long db = qBlue(c) - long(palette[i] & 0xFF);
            const long d = dr * dr + dg * dg + db * db;
            if (bestD < 0 || d < bestD) bestD = d, best = static_cast<int>(i);
        }
        nearest.emplace(c, static_cast<std::uint8_t>(best));
        return static_cast<std::uint8_t>(best);
    };

    auto base = [&] {
        QImage img(W, H, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        Fitted(p, QRect(16, 6, 300, 28), QString::fromStdString(lang.T("gif.wait")), 18, true,
               kText, Qt::AlignLeft | Qt::AlignVCenter);
        Fitted(p, QRect(16, 34, 260, 20), QString::fromStdString(lang.T("gif.sub")), 12, false,
               kText, Qt::AlignLeft | Qt::AlignVCenter);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(trackEdge, 1));
        p.setBrush(track);
        p.drawRoundedRect(QRectF(trackRect).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(circle).adjusted(1.5, 1.5, -1.5, -1.5));
        return img;
    };
    auto withSegments = [&](int n) {
        QImage img = base();
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(kPrimary);
        for (int i = 0; i < n; ++i) p.drawRoundedRect(QRectF(segment(i)), 3, 3);
        return img;
    };
    auto crop = [&](const QImage& img, const QRect& r, int delay, int disposal) {
        GifFrame f;
        f.left = r.left();
        f.top = r.top();
        f.width = r.width();
        f.height = r.height();
        f.delayCs = delay;
        f.disposal = disposal;
        f.indices.reserve(static_cast<std::size_t>(r.width()) * r.height());
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) f.indices.push_back(index(img.pixel(x, y)));
        }
        return f;
    };

    GifAnimation gif;
    gif.width = W;
    gif.height = H;
    gif.palette = palette;
    gif.comment = "Zavro setup medium: waiting animation";
    // Keep-disposal frames build up the bar; the shine restores what lay under it (3);
    // the closing busy ring is removed to the background (2) before the loop starts again.
    // No frame shows a "done" tick: the wizard is still waiting whenever this plays.
    gif.frames.push_back(crop(base(), QRect(0, 0, W, H), 40, 1));
    for (int i = 0; i < 4; ++i) {
        gif.frames.push_back(crop(withSegments(i + 1), segment(i), i < 2 ? 25 : 30, 1));
    }
    {
        QImage shine = withSegments(4);
        QPainter p(&shine);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setClipRect(trackRect.adjusted(3, 3, -3, -3));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0xD8, 0xB0));
        for (int x = 10; x < 260; x += 36) {
            QPainterPath band;
            band.moveTo(trackRect.left() + x, trackRect.bottom());
            band.lineTo(trackRect.left() + x + 10, trackRect.bottom());
            band.lineTo(trackRect.left() + x + 22, trackRect.top());
            band.lineTo(trackRect.left() + x + 12, trackRect.top());
            band.closeSubpath();
            p.drawPath(band);
        }
        p.end();
        gif.frames.push_back(crop(shine, trackRect, 12, 3));
    }
    gif.frames.push_back(crop(withSegments(5), segment(4), 50, 1));
    {
        QImage busy = withSegments(5);
        QPainter p(&busy);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(kPrimary, 3.0, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(circle).adjusted(4, 4, -4, -4), 90 * 16, -270 * 16);
        p.end();
        gif.frames.push_back(crop(busy, circle, 90, 2));
    }
    return gif;
}

}  // namespace zavro::media
