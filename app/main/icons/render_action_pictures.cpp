// Build step: renders one action picture from SVG to PNG files at fixed
// sizes with the toolkit's own SVG icon engine, so that each file holds the
// very pixels the engine would draw at that size. The program then loads
// small PNG files before its first paint instead of the SVG engine.
//     vrx_render_action_pictures PICTURE.svg OUT-PREFIX SIZE...
// writes OUT-PREFIX-SIZE.png for every size.
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: vrx_render_action_pictures PICTURE.svg OUT-PREFIX SIZE...\n", stderr);
        return 2;
    }
    // A build machine may have no display; one pixel is one pixel here.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QIcon icon(QString::fromLocal8Bit(argv[1]));
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int side = std::atoi(argv[i]);
        const QPixmap pm = icon.pixmap(QSize(side, side));
        const QString out = prefix + QStringLiteral("-%1.png").arg(side);
        if (side <= 0 || pm.isNull() || pm.size() != QSize(side, side) || !pm.save(out)) {
            std::fprintf(stderr, "cannot render %s at %d pixels\n", argv[1], side);
            return 1;
        }
    }
    return 0;
}
