#include "PictureCatalog.h"

#include "BitmapFile.h"
#include "DropBoxScene.h"
#include "IconScene.h"
#include "PaletteQuantizer.h"
#include "PngFile.h"
#include "WindowScene.h"

namespace {

const Rgb White = Rgb::FromHex(0xF7F9FC);

DropBoxStyle LightGround(Rgb ball, Rgb ink) {
    DropBoxStyle style;
    style.ball.colour = ball;
    style.ball.white = White;
    style.groundA = Rgb::FromHex(0xF6F7F9);
    style.groundB = Rgb::FromHex(0xE9ECF1);
    style.ink = ink;
    style.inkTop = 0.22;
    style.inkBottom = 0.5;
    style.shadow = Rgb::FromHex(0x8A93A6);
    return style;
}

DropBoxStyle StandardIdle() {
    return LightGround(Rgb::FromHex(0x1F5BD6), Rgb::FromHex(0x7F9ED8));
}
DropBoxStyle StandardBusy() {
    return LightGround(Rgb::FromHex(0xD62A2A), Rgb::FromHex(0xD88A8A));
}

DropBoxStyle GreenGround(Rgb ball, Rgb ink) {
    DropBoxStyle style = LightGround(ball, ink);
    style.groundA = Rgb::FromHex(0xF3F8EF);
    style.groundB = Rgb::FromHex(0xE2EEDC);
    style.shadow = Rgb::FromHex(0x859C80);
    return style;
}

DropBoxStyle GreenIdle() {
    return GreenGround(Rgb::FromHex(0x2E9A3E), Rgb::FromHex(0x86B98A));
}
DropBoxStyle GreenBusy() {
    return GreenGround(Rgb::FromHex(0xE08A12), Rgb::FromHex(0xD9AE70));
}

DropBoxStyle DarkGround(Rgb ball, Rgb ink) {
    DropBoxStyle style;
    style.ball.colour = ball;
    style.ball.white = Rgb::FromHex(0xD9DEE5);
    style.ball.edgeShade = 0.5;
    style.groundA = Rgb::FromHex(0x2A2E35);
    style.groundB = Rgb::FromHex(0x24272D);
    style.ink = ink;
    style.inkTop = 0.25;
    style.inkBottom = 0.55;
    style.shadow = Rgb::FromHex(0x55585E);
    return style;
}

DropBoxStyle DarkIdle() {
    return DarkGround(Rgb::FromHex(0x1BA3C6), Rgb::FromHex(0x4E8A9C));
}
DropBoxStyle DarkBusy() {
    return DarkGround(Rgb::FromHex(0xE8742A), Rgb::FromHex(0xA0694A));
}

WindowStyle GreenWindow() {
    WindowStyle style;
    style.top = Rgb::FromHex(0xD8EBD2);
    style.bottom = Rgb::FromHex(0xB9D9B0);
    style.square = Rgb::FromHex(0x9CC792);
    style.squareStrength = 0.18;
    style.ink = Rgb::FromHex(0x5E9A5A);
    style.inkStrength = 0.45;
    return style;
}

WindowStyle DarkWindow() {
    WindowStyle style;
    style.top = Rgb::FromHex(0x23262C);
    style.bottom = Rgb::FromHex(0x15171B);
    style.square = Rgb::FromHex(0x0C0D10);
    style.squareStrength = 0.25;
    style.ink = Rgb::FromHex(0x3F6F7E);
    style.inkStrength = 0.6;
    return style;
}

BallStyle IconBall(int size) {
    BallStyle style;
    style.colour = Rgb::FromHex(0x1F5BD6);
    style.white = White;
    // Fewer, larger squares keep the pattern readable at icon sizes.
    style.lonSegments = size <= 16 ? 8 : 10;
    style.latSegments = size <= 16 ? 4 : 5;
    style.edgeShade = 0.6;
    style.pitchCos = 1.0; // the poles on the outline: converging squares are noise at this size
    return style;
}

std::string Indexed(const Bitmap32& picture) {
    return BitmapFile::Encode8(PaletteQuantizer::Quantize(picture));
}

PictureFile DropBox(std::string path, DropBoxStyle (*style)()) {
    return {std::move(path), [style] { return Indexed(DropBoxScene(style()).Paint()); }};
}

PictureFile Window(std::string path, WindowStyle (*style)()) {
    return {std::move(path), [style] { return Indexed(WindowScene(style()).Paint()); }};
}

PictureFile DesktopIcon(int size) {
    return {"icons/ferrule" + std::to_string(size) + ".png",
            [size] { return PngFile::Encode(IconScene(IconBall(size), size).Paint()); }};
}

} // namespace

std::vector<PictureFile> PictureCatalog::Files() {
    std::vector<PictureFile> files{
        DropBox("DIB_DROPBOX.bmp", StandardIdle),
        DropBox("DIB_DROPBOX_BUSY.bmp", StandardBusy),
        {"ferrule16.bmp", [] { return BitmapFile::Encode32(IconScene(IconBall(16), 16).Paint()); }},
        {"ferrule32.bmp", [] { return BitmapFile::Encode32(IconScene(IconBall(32), 32).Paint()); }},
        {"ferrule.ico",
         [] {
             return BitmapFile::EncodeIcon({IconScene(IconBall(16), 16).Paint(), IconScene(IconBall(32), 32).Paint()});
         }},
        DropBox("theme/Green_DropBox.bmp", GreenIdle),
        DropBox("theme/Green_DropBoxBusy.bmp", GreenBusy),
        Window("theme/Green_Window.bmp", GreenWindow),
        DropBox("theme/Dark_DropBox.bmp", DarkIdle),
        DropBox("theme/Dark_DropBoxBusy.bmp", DarkBusy),
        Window("theme/Dark_Window.bmp", DarkWindow),
    };
    for (const int size : DesktopIconSizes) {
        files.push_back(DesktopIcon(size));
    }
    return files;
}
