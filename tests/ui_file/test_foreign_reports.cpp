// Reports from elsewhere in the real main window: their texts are never
// drawn as markup, and one that arrives over an unsaved reading asks first.
#include "tests/common/modal_script.h"
#include "tests/ui_main/main_window_fixture.h"

#include "dialogs/form_msg.h"
#include "report/report_file.h"

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

namespace {

const QString Program = QStringLiteral("VRX310_Application");

std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Whether the picture holds a strongly red pixel.
bool HasRed(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
                return true;
        }
    return false;
}

} // namespace

class TestForeignReports : public QObject {
    Q_OBJECT
private slots:
    void markupInAReportIsShownAsText();
};

void TestForeignReports::markupInAReportIsShownAsText() {
    QTemporaryDir here;
    const QString pipe = here.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(Local(pipe).c_str(), 0600), 0);
    const std::string fake = "<font color=red size=7>FAKE</font>";
    const std::string image = "<img src=\"" + Local(pipe) + "\">";
    MeasurementReport r;
    r.CarID = fake;
    r.Operator = "<b><font color=red>Kurt</font></b>";
    r.Texts.DeviceSN = fake;
    r.Texts.SensorSN = image;
    r.Compression[0] = 1285;
    const QString path = here.filePath(QStringLiteral("fake.vrx"));
    QVERIFY(SaveReportFile(Local(path), r, false, image, nullptr));

    MainWindowFixture fx;
    fx.Start();
    {
        PipeWatchdog watchdog(pipe, 5000);
        FormMain->OpenReportArgument({Program, path});
        QCOMPARE(FormMain->windowTitle(), "VRX-310: " + path);
        // Every control painted, as the user sees it.
        const QImage window = FormMain->grab().toImage();
        QVERIFY2(!watchdog.Released(), "the window waited on a pipe named in the report");
        QVERIFY(!HasRed(FormMain->LabelDeviceSN->grab().toImage()));
        QVERIFY(!HasRed(FormMain->ComboBoxNames->grab().toImage()));
        QVERIFY(!window.isNull());
    }
    QCOMPARE(FormMain->LabelDeviceSN->text(), QString::fromStdString(fake));
    QCOMPARE(FormMain->LabelSensorSN->text(), QString::fromStdString(image));
    QCOMPARE(FormMain->LabelDateTime->text(), QString::fromStdString(image));
    QCOMPARE(FormMain->LabeledEditCarID->text(), QString::fromStdString(fake));
    // A size-7 font would make the serial's line several times as high.
    QVERIFY(FormMain->LabelDeviceSN->sizeHint().height() < 40);
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QVERIFY(FormMain->close());
}

QTEST_MAIN(TestForeignReports)
#include "test_foreign_reports.moc"
