#include "Previews.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace ormidon::skin {
namespace {

class Mockup {
  public:
    Mockup(const std::map<QString, QImage>& bitmaps, int width, int height)
        : bitmaps_(bitmaps), image_(width, height, QImage::Format_RGB32) {
        image_.fill(QColor(0xF4, 0xF6, 0xF8));
        painter_.begin(&image_);
        painter_.setRenderHint(QPainter::TextAntialiasing, true);
    }

    // Draws bitmap `file` at (x, y) at its own size, or stretched into `w` x `h`.
    void Put(const QString& file, int x, int y, int w = 0, int h = 0) {
        auto it = bitmaps_.find(file);
        if (it == bitmaps_.end()) return;
        const QImage& picture = it->second;
        if (w == 0) {
            painter_.drawImage(QPoint(x, y), picture);
        } else {
            painter_.drawImage(QRect(x, y, w, h), picture);
        }
    }
    void Text(const QString& text, int x, int y, const QColor& colour, int size = 12) {
        QFont font("DejaVu Sans");
        font.setPixelSize(size);
        painter_.setFont(font);
        painter_.setPen(colour);
        painter_.drawText(QRect(x, y, 400, size + 4), Qt::AlignLeft | Qt::AlignTop, text);
    }
    void Fill(const QRect& rect, const QColor& colour) { painter_.fillRect(rect, colour); }
    QPainter& P() { return painter_; }
    QImage Take() {
        painter_.end();
        return image_;
    }

  private:
    const std::map<QString, QImage>& bitmaps_;
    QImage image_;
    QPainter painter_;
};

// A stand-in for the live picture: sky, ground and a road.
void Picture(QPainter& p, const QRect& r) {
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(0x6F, 0x8F, 0xB0));
    sky.setColorAt(0.55, QColor(0xB9, 0xC9, 0xD6));
    sky.setColorAt(0.56, QColor(0x58, 0x6B, 0x4A));
    sky.setColorAt(1, QColor(0x3C, 0x4A, 0x33));
    p.fillRect(r, sky);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x55, 0x55, 0x58));
    const int horizon = r.top() + r.height() * 56 / 100;
    p.drawPolygon(
        QPolygon({QPoint(r.center().x() - 10, horizon), QPoint(r.center().x() + 10, horizon),
                  QPoint(r.right() - r.width() / 5, r.bottom()),
                  QPoint(r.left() + r.width() / 5, r.bottom())}));
    p.setRenderHint(QPainter::Antialiasing, false);
}

// The sunken frame the main window draws around its picture.
void SunkenFrame(QPainter& p, const QRect& v) {
    const int l = v.left(), t = v.top(), r = v.right() + 1, b = v.bottom() + 1;
    p.setPen(Qt::black);
    p.drawLine(l - 2, t - 2, r + 2, t - 2);
    p.drawLine(l - 2, t - 2, l - 2, b + 2);
    p.setPen(QColor(0x33, 0x33, 0x33));
    p.drawLine(l - 1, t - 1, r + 1, t - 1);
    p.drawLine(l - 1, t - 1, l - 1, b + 1);
    p.setPen(QColor(0x66, 0x66, 0x66));
    p.drawLine(r, b, r, t - 1);
    p.drawLine(r, b, l - 1, b);
    p.setPen(Qt::white);
    p.drawLine(r + 1, b + 1, r + 1, t - 2);
    p.drawLine(r + 1, b + 1, l - 2, b + 1);
}

QImage MainWindowVga(const std::map<QString, QImage>& bitmaps) {
    Mockup m(bitmaps, 722, 680);
    m.Put("BMP/N_VGA_BG_EX.bmp", 0, 0);
    m.Put("BMP/VGA_Status_Bar.bmp", 6, 63, 708, 20);
    m.Text("FR:25.00 fps DR:1200 kbps ", 11, 65, Qt::black);
    m.Put("BMP/Online_User_ICON.bmp", 685, 65);
    m.Text("1", 702, 67, Qt::black);
    m.Text("IP:192.168.1.20", 542, 7, QColor(0, 255, 255));
    m.Put("BMP/Title_Bar_Hide.bmp", 663, 8);
    m.Put("BMP/Title_Bar_Fullscreen.bmp", 680, 8);
    m.Put("BMP/Title_Bar_Close_a.bmp", 697, 8);
    const char* functions[] = {"link",          "qvga",           "high",
                               "Image_Quality", "snapshoot_over", "Recording_Button",
                               "system_setting"};
    for (int i = 0; i < 7; ++i) {
        m.Put(QString("BMP/%1.bmp").arg(functions[i]), 688 - (6 - i) * 26, 34);
    }
    m.Put("BMP/Channel_dvr_Enable.bmp", 21, 32);
    for (int c = 1; c <= 8; ++c) {
        m.Put(QString("BMP/Channel_%1_Disable%2.bmp").arg(c).arg(c == 3 ? "_over" : ""),
              61 + (c - 1) * 35, 32);
    }
    m.Put("BMP/Channel_Right_Down.bmp", 344, 37);
    const QRect video(42, 96, 640, 456);
    Picture(m.P(), video);
    SunkenFrame(m.P(), video);
    // The panel of kind "PTZ SLAVE".
    for (int k = 0; k < 16; ++k) {
        m.Put(QString("BMP/ch%1%2.bmp").arg(k + 1).arg(k == 4 ? "_a" : ""), 8 + 19 * k, 568);
    }
    m.Put("BMP/Second_Col_auto.bmp", 312, 568);
    const char* zoom[] = {"zoom_in", "zoom_out", "focus_in", "focus_out"};
    for (int k = 0; k < 4; ++k) m.Put(QString("BMP/2Col_%1.bmp").arg(zoom[k]), 345 + 19 * k, 568);
    m.Put("BMP/zoom_in_max.bmp", 421, 568);
    m.Put("BMP/zoom_out_max.bmp", 441, 568);
    m.Put("BMP/control_panel_enter.bmp", 578, 578);
    m.Put("BMP/N_VGA_LEFT.bmp", 580, 600);
    m.Put("BMP/N_VGA_UP_OVER.bmp", 610, 577);
    m.Put("BMP/N_VGA_MENU.bmp", 610, 600);
    m.Put("BMP/N_VGA_DOWN.bmp", 610, 627);
    m.Put("BMP/N_VGA_RIGHT.bmp", 639, 600);
    m.Put("BMP/tubro_close.bmp", 649, 578);
    m.Put("BMP/ptz_on.bmp", 578, 629);
    // The second and third rows of a DVR kind.
    m.Put("BMP/cut16.bmp", 8, 592);
    m.Put("BMP/Second_Col_esc.bmp", 27, 592);
    m.Put("BMP/control_panel_enter.bmp", 60, 592);
    m.Put("BMP/VGA_room.bmp", 79, 592);
    m.Put("BMP/VGA_select_over.bmp", 98, 592);
    m.Put("BMP/VGA_lock.bmp", 117, 592);
    m.Put("BMP/VGA_search.bmp", 136, 592);
    m.Put("BMP/cut4.bmp", 155, 592);
    m.Put("BMP/Second_Col_pip.bmp", 174, 592);
    m.Put("BMP/digital_zoom.bmp", 193, 592);
    m.Put("BMP/sequence.bmp", 212, 592);
    const char* keys[] = {"VGA_rew", "VGA_fast", "VGA_pause", "VGA_slow", "VGA_play", "VGA_stop"};
    for (int k = 0; k < 6; ++k) m.Put(QString("BMP/%1.bmp").arg(keys[k]), 8 + 25 * k, 616);
    m.Put("BMP/VGA_recording.bmp", 158, 619);
    m.Put("BMP/N_VGA_PANELDOWN.bmp", 345, 643);
    return m.Take();
}

QImage MainWindowQvgaTurbo(const std::map<QString, QImage>& bitmaps) {
    Mockup m(bitmaps, 370, 461);
    m.Put("BMP/N_QVGA_BG_EX.bmp", 0, 0);
    m.Put("BMP/StatusBar.bmp", 6, 63, 356, 20);
    m.Text("Start login", 11, 65, Qt::black);
    m.Put("BMP/alarm.bmp", 333 - 34, 65);
    m.Text("2", 347 - 30, 67, Qt::red);
    m.Text("2024/05/17 08:30:12", 190, 7, QColor(255, 255, 0));
    m.Put("BMP/Title_Bar_Hide_a.bmp", 311, 8);
    m.Put("BMP/Title_Bar_Fullscreen.bmp", 328, 8);
    m.Put("BMP/Title_Bar_Close.bmp", 345, 8);
    const char* functions[] = {"link_off",        "vga",       "low",
                               "Image_Quality_n", "snapshoot", "Record_Button",
                               "system_setting_n"};
    for (int i = 0; i < 7; ++i) {
        m.Put(QString("BMP/%1.bmp").arg(functions[i]), 336 - (6 - i) * 26, 35);
    }
    const QRect video(24, 90, 320, 228);
    Picture(m.P(), video);
    SunkenFrame(m.P(), video);
    for (int k = 0; k < 16; ++k) m.Put(QString("BMP/ch%1.bmp").arg(k + 1), 9 + 19 * k, 328);
    m.Put("BMP/Second_Col_auto_over.bmp", 9, 349);
    const char* zoom[] = {"zoom_turbo_in", "zoom_turbo_out", "focus_turbo_in", "focus_turbo_out"};
    for (int k = 0; k < 4; ++k) m.Put(QString("BMP/2Col_%1.bmp").arg(zoom[k]), 42 + 19 * k, 349);
    m.Put("BMP/zoom_in_max.bmp", 118, 349);
    m.Put("BMP/zoom_out_max.bmp", 138, 349);
    const char* keys[] = {"QVGA_rew",  "QVGA_fast", "QVGA_pause",
                          "QVGA_slow", "QVGA_play", "QVGA_stop"};
    for (int k = 0; k < 6; ++k) m.Put(QString("BMP/%1.bmp").arg(keys[k]), 9 + 25 * k, 392);
    m.Put("BMP/QVGA_recording.bmp", 159, 395);
    m.Put("BMP/room.bmp", 80, 370);
    m.Put("BMP/lock.bmp", 99, 370);
    m.Put("BMP/control_panel_enter.bmp", 260, 357);
    m.Put("BMP/N_QVGA_LEFT_TURBO.bmp", 262, 379);
    m.Put("BMP/N_QVGA_UP_TURBO.bmp", 292, 356);
    m.Put("BMP/N_QVGA_MENU.bmp", 292, 379);
    m.Put("BMP/N_QVGA_DOWN_TURBO_OVER.bmp", 292, 406);
    m.Put("BMP/N_QVGA_RIGHT_TURBO.bmp", 321, 379);
    m.Put("BMP/tubro.bmp", 331, 357);
    m.Put("BMP/ptz_off.bmp", 260, 409);
    m.Put("BMP/N_QVGA_PANELDOWN_OVER.bmp", 166, 424);
    return m.Take();
}

QImage LoginWindow(const std::map<QString, QImage>& bitmaps) {
    Mockup m(bitmaps, 304, 341);
    m.Put("BMP/LOGIN/spacer.bmp", 0, 0, 304, 341);
    m.Put("BMP/LOGIN/left_top.bmp", 0, 0, 21, 34);
    m.Put("BMP/LOGIN/right_top.bmp", 278, 0, 26, 34);
    m.Put("BMP/LOGIN/left_down.bmp", 0, 319, 25, 22);
    m.Put("BMP/LOGIN/right_down.bmp", 280, 319, 24, 22);
    m.Put("BMP/LOGIN/top_middle1.bmp", 21, 0, 257, 12);
    m.Put("BMP/LOGIN/top_middle2.bmp", 21, 12, 257, 22);
    m.Put("BMP/LOGIN/left_middle.bmp", 0, 34, 21, 285);
    m.Put("BMP/LOGIN/right_middle.bmp", 278, 34, 26, 285);
    m.Put("BMP/LOGIN/down_middle.bmp", 25, 319, 255, 22);
    const QString version = "1.0.24";
    for (int i = 0; i < version.size(); ++i) {
        const QChar c = version[i];
        m.Put(c.isDigit() ? QString("BMP/LOGIN/login_%1.bmp").arg(c) : "BMP/LOGIN/login_point.bmp",
              182 + 10 * i, 13);
    }
    m.Put("BMP/LOGIN/address.bmp", 30, 50);
    m.Put("BMP/LOGIN/search_over.bmp", 80, 50);
    m.Put("BMP/LOGIN/player.bmp", 130, 50);
    m.Put("BMP/LOGIN/copy.bmp", 180, 50);
    m.Put("BMP/LOGIN/download.BMP", 230, 50);
    const char* labels[] = {"name", "password", "ip", "port"};
    const char* texts[] = {"admin", "\u2022\u2022\u2022\u2022\u2022\u2022", "192.168.1.20", "80"};
    for (int i = 0; i < 4; ++i) {
        const int y = 100 + 36 * i;
        m.Put(QString("BMP/LOGIN/%1.BMP").arg(labels[i]), 30, y);
        const QRect edit(93, y, i == 3 ? 100 : 180, 28);
        m.Fill(edit, Qt::white);
        m.P().setPen(QColor(0x9A, 0xA5, 0xB1));
        m.P().drawRect(edit.adjusted(0, 0, -1, -1));
        m.Text(QString::fromUtf8(texts[i]), 100, y + 6, Qt::black);
    }
    m.Fill(QRect(74, 245, 180, 12), QColor(157, 216, 244));
    m.Put("BMP/LOGIN/running.bmp", 74 + 6 * 10, 245);
    m.Put("BMP/LOGIN/enter.bmp", 50, 275);
    m.Put("BMP/LOGIN/cancel.bmp", 215, 275);
    return m.Take();
}

QImage ColourWindow(const std::map<QString, QImage>& bitmaps) {
    Mockup m(bitmaps, 304, 196);
    m.Put("BMP/TitleLeft.bmp", 0, 0, 10, 32);
    m.Put("BMP/TitleRight.bmp", 294, 0, 10, 32);
    m.Put("BMP/TilteBar_ess.bmp", 10, 0, 284, 32);
    m.Put("BMP/LeftSide_ess.bmp", 0, 32, 10, 151);
    m.Put("BMP/RightSide_ess.bmp", 294, 32, 10, 151);
    m.Put("BMP/BottomLeft.bmp", 0, 183, 10, 13);
    m.Put("BMP/BottomRight.bmp", 294, 183, 10, 13);
    m.Put("BMP/Bottom_ess.bmp", 10, 183, 284, 13);
    m.Put("BMP/Player_Logo.bmp", 10, 7, 21, 15);
    m.Fill(QRect(10, 32, 284, 151), QColor(0xDD, 0xDD, 0xDD));
    m.Put("BMP/Title_Bar_Close.bmp", 280, 8);
    const char* labels[] = {"Brightness", "Contrast", "Hue"};
    const int values[] = {175, 150, 130};
    for (int i = 0; i < 3; ++i) {
        const int y = 47 + 40 * i;
        m.Put(QString("BMP/Dialog_%1.bmp").arg(labels[i]), 15, y);
        m.Text("-", 50, y, Qt::black);
        m.Text("+", 215, y, Qt::black);
        m.Fill(QRect(60, y + 9, 150, 3), QColor(0x9A, 0xA5, 0xB1));
        m.Fill(QRect(60 + values[i] * 140 / 255, y + 3, 10, 15), QColor(0x2F, 0x80, 0xED));
        const QRect edit(240, y, 40, 20);
        m.Fill(edit, Qt::white);
        m.Text(QString::number(values[i]), 245, y + 3, Qt::black);
    }
    m.Put("BMP/Dialog_default.bmp", 34, 160);
    m.Put("BMP/Dialog_apply_over.bmp", 125, 160);
    m.Put("BMP/Dialog_ok.bmp", 216, 160);
    return m.Take();
}

QImage SensorBar(const std::map<QString, QImage>& bitmaps) {
    Mockup m(bitmaps, 45, 300);
    m.Put("BMP/CMOS/ToolBarBG.bmp", 0, 0, 45, 300);
    const char* modes[] = {"FullFrame", "QFrame_LT", "QFrame_RT",
                           "QFrame_LB", "QFrame_RB", "QFrame_CN"};
    for (int i = 0; i < 6; ++i) {
        m.Put(QString("BMP/CMOS/%1_%2.bmp").arg(modes[i]).arg(i == 3 ? "DOWN" : "UP"), 6,
              10 + 34 * i);
    }
    m.Put("BMP/CMOS/CMOS_HR_DOWN.bmp", 6, 214);
    m.Put("BMP/CMOS/CMOS_VR_UP.bmp", 6, 248);
    return m.Take();
}

}  // namespace

std::vector<SheetItem> Previews(const std::map<QString, QImage>& bitmaps) {
    return {
        {"Main window, VGA, panel open (mock-up)", MainWindowVga(bitmaps)},
        {"Main window, QVGA, TURBO on (mock-up)", MainWindowQvgaTurbo(bitmaps)},
        {"Login window (mock-up)", LoginWindow(bitmaps)},
        {"Colour window (mock-up)", ColourWindow(bitmaps)},
        {"Sensor bar (mock-up)", SensorBar(bitmaps)},
    };
}

}  // namespace ormidon::skin
