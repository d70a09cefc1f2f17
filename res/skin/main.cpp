// ormidon_skingen: draws every skin bitmap the windows load and writes them as 24-bit BMP
// files below a program folder.
//
//   ormidon_skingen --out DIR --fonts DIR [--test-colours] [--sheet FILE.png]
//                   [--preview FILE.png]
//
// --test-colours fills each bitmap with its own solid colour instead (for tests that must
// tell which bitmap a window shows). For review, --sheet saves one PNG of all bitmaps and
// --preview one of the skinned windows put together from them.
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "BmpFile.h"
#include "ContactSheet.h"
#include "Previews.h"
#include "SkinPainter.h"
#include "skin/SkinTable.h"

namespace {

using namespace ormidon::skin;

struct Options {
    std::filesystem::path out;
    QString fonts;
    bool testColours = false;
    std::filesystem::path sheet;
    std::filesystem::path preview;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue) {
            options.out = argv[++i];
        } else if (arg == "--fonts" && hasValue) {
            options.fonts = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == "--sheet" && hasValue) {
            options.sheet = argv[++i];
        } else if (arg == "--preview" && hasValue) {
            options.preview = argv[++i];
        } else if (arg == "--test-colours") {
            options.testColours = true;
        } else {
            return false;
        }
    }
    return !options.out.empty();
}

QImage TestPicture(std::size_t index) {
    const SkinBitmap& bitmap = kSkinBitmaps[index];
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(TestColourAt(index)));
    return image;
}

bool SavePng(const std::filesystem::path& file, const QImage& image) {
    if (image.save(QString::fromStdString(file.string()), "PNG")) return true;
    std::fprintf(stderr, "ormidon_skingen: cannot write %s\n", file.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: ormidon_skingen --out DIR --fonts DIR [--test-colours] "
                     "[--sheet FILE.png] [--preview FILE.png]\n");
        return 2;
    }
    // Drawing needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const SkinPainter painter(options.fonts);
    if (!options.testColours && !painter.FontsLoaded()) {
        std::fprintf(stderr, "ormidon_skingen: DejaVu fonts not found in %s\n",
                     options.fonts.toLocal8Bit().constData());
        return 1;
    }

    std::vector<SheetItem> sheet;
    std::map<QString, QImage> pictures;
    for (std::size_t i = 0; i < kSkinBitmapCount; ++i) {
        const SkinBitmap& bitmap = kSkinBitmaps[i];
        const QImage picture = options.testColours ? TestPicture(i) : painter.Paint(bitmap);
        const std::filesystem::path file = options.out / std::string(bitmap.file);
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        if (picture.size() != QSize(bitmap.width, bitmap.height) || !WriteBmp24(picture, file)) {
            std::fprintf(stderr, "ormidon_skingen: cannot write %s\n", file.c_str());
            return 1;
        }
        const QString name = QString::fromUtf8(bitmap.file.data(), bitmap.file.size());
        sheet.push_back({name, picture});
        pictures.emplace(name, picture);
    }

    if (!options.sheet.empty()) {
        const QString title = QString("Ormidon skin: %1 bitmaps").arg(kSkinBitmapCount);
        if (!SavePng(options.sheet, ContactSheet(sheet, title, 260))) return 1;
    }
    if (!options.preview.empty()) {
        if (!SavePng(options.preview,
                     ContactSheet(Previews(pictures), "Ormidon skin: windows", 0))) {
            return 1;
        }
    }
    return 0;
}
