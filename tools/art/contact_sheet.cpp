// A contact sheet for judging the pictures: the tray set enlarged without smoothing and at its
// real size on light and dark panels, the icon sizes, and the moon phases on black.
#include "art.h"

#include <QFont>
#include <QPainter>

namespace art {
namespace {

constexpr int margin = 12;
constexpr int zoom = 4;

const QColor light_panel(0xf2, 0xf2, 0xf2);
const QColor dark_panel(0x23, 0x25, 0x29);

void label(QPainter& p, int x, int y, const QString& text, const QColor& colour) {
    p.setPen(colour);
    p.drawText(x, y, text);
}

} // namespace

QImage contact_sheet(const std::vector<NamedPicture>& tray, const std::vector<NamedPicture>& icons,
                     const std::vector<NamedPicture>& moons) {
    const int cell = 16 * zoom + margin;
    const int panel_width = margin + static_cast<int>(tray.size()) * cell;
    const int tray_panel_height = 18 + 16 * zoom + 10 + 16 + 2 * 16 * 2 + margin + 14;
    const int icon_panel_height = 18 + 256 + margin;
    const int moon_cell_w = 81 * 2 + margin;
    const int moon_rows = (static_cast<int>(moons.size()) + 9) / 10;
    const int width = std::max(2 * panel_width, margin + 10 * moon_cell_w);
    const int moon_panel_height = moon_rows * (65 * 2 + 18) + margin + moon_rows * (65 + 18) + 18;
    const int height = tray_panel_height + icon_panel_height + moon_panel_height;

    QImage sheet(width, height, QImage::Format_ARGB32);
    sheet.fill(QColor(0x80, 0x80, 0x80));
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);

    // Tray set: light panel left, dark panel right.
    for (int panel = 0; panel < 2; ++panel) {
        const QColor bg = panel == 0 ? light_panel : dark_panel;
        const QColor fg = panel == 0 ? Qt::black : Qt::white;
        const int left = panel * panel_width;
        p.fillRect(left, 0, panel_width, tray_panel_height, bg);
        for (std::size_t i = 0; i < tray.size(); ++i) {
            const int x = left + margin + static_cast<int>(i) * cell;
            label(p, x, 13, tray[i].name, fg);
            p.drawImage(QRect(x, 18, 16 * zoom, 16 * zoom), tray[i].image); // no smoothing
            p.drawImage(x, 18 + 16 * zoom + 10, tray[i].image);
            p.drawImage(QRect(x + 24, 18 + 16 * zoom + 10, 32, 32), tray[i].image);
        }
    }

    // Program icon at every size, on both panels.
    int top = tray_panel_height;
    for (int panel = 0; panel < 2; ++panel) {
        const QColor bg = panel == 0 ? light_panel : dark_panel;
        const QColor fg = panel == 0 ? Qt::black : Qt::white;
        const int left = panel * (width / 2);
        p.fillRect(left, top, width / 2, icon_panel_height, bg);
        int x = left + margin;
        for (const auto& icon : icons) {
            label(p, x, top + 13, icon.name, fg);
            p.drawImage(x, top + 18, icon.image);
            x += std::max(icon.image.width(), 70) + margin;
        }
    }

    // Moon phases on black, twice the size and at real size.
    top += icon_panel_height;
    p.fillRect(0, top, width, moon_panel_height, Qt::black);
    for (std::size_t i = 0; i < moons.size(); ++i) {
        const int col = static_cast<int>(i % 10);
        const int row = static_cast<int>(i / 10);
        const int x = margin + col * moon_cell_w;
        const int y = top + row * (65 * 2 + 18);
        label(p, x, y + 13, moons[i].name, QColor(0xc0, 0xc0, 0xc0));
        p.drawImage(QRect(x, y + 18, 81 * 2, 65 * 2), moons[i].image);
    }
    const int small_top = top + moon_rows * (65 * 2 + 18) + margin;
    for (std::size_t i = 0; i < moons.size(); ++i) {
        const int col = static_cast<int>(i % 10);
        const int row = static_cast<int>(i / 10);
        const int x = margin + col * moon_cell_w;
        const int y = small_top + row * (65 + 18);
        label(p, x, y + 13, moons[i].name, QColor(0xc0, 0xc0, 0xc0));
        p.drawImage(x, y + 18, moons[i].image);
    }
    p.end();
    return sheet;
}

} // namespace art
