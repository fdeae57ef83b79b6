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

bool SaveSample(const QString& path) {
    MeasurementReport r;
    r.CarID = "ABC";
    r.Operator = "Kurt";
    r.Compression[0] = 1285;
    return SaveReportFile(Local(path), r, false, "d", nullptr);
}

// A file manager's drag of one file (its url and the url as text) onto
// target; how it was taken.
Qt::DropAction Drop(QWidget* target, const QUrl& url,
                    Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
    QMimeData data;
    data.setUrls({url});
    data.setText(url.toString());
    const QPointF at(target->width() / 2, target->height() / 2);
    for (const QEvent::Type type : {QEvent::DragEnter, QEvent::DragMove, QEvent::Drop}) {
        QDropEvent event(at, offered, &data, Qt::LeftButton, Qt::NoModifier, type);
        QApplication::sendEvent(target, &event);
        if (!event.isAccepted())
            return Qt::IgnoreAction;
        if (type == QEvent::Drop)
            return event.dropAction();
    }
    return Qt::IgnoreAction;
}

Qt::DropAction Drop(QWidget* target, const QString& path,
                    Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
    return Drop(target, QUrl::fromLocalFile(path), offered);
}

const QString NotSaved = QStringLiteral("The current report is not saved! Save now?");

} // namespace

class TestForeignReports : public QObject {
    Q_OBJECT
private slots:
    void markupInAReportIsShownAsText();
    void aReportOverAnUnsavedReadingAsksFirst();
    void aReportDroppedOnTheVehicleFieldOpensAsACopy();
    void aLatin1NamedReportOpensByArgumentAndDrop();
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

void TestForeignReports::aReportOverAnUnsavedReadingAsksFirst() {
    QTemporaryDir here;
    const QString report = here.filePath(QStringLiteral("ABC.vrx"));
    QVERIFY(SaveSample(report));
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Main]\nAutoClear=1\n"));
    fx.Start();
    // Read and erased: the values now exist only in the window.
    fx.Answers().Expect(mrOk);
    FormMain->ActionDeviceRead->trigger();
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("measures erased"));
    const MeasurementReport reading = FormMain->Report();
    const QString title = FormMain->windowTitle();
    auto keptTheReading = [&] {
        return FormMain->windowTitle() == title && FormMain->Report().Unsaved &&
               FormMain->Report().Compression == reading.Compression &&
               FormMain->LabeledEditCarID->text().isEmpty();
    };

    // A drop, Open File and an argument each ask; closing the question
    // keeps the reading.
    fx.Answers().Expect(0);
    QCOMPARE(Drop(FormMain, report), Qt::CopyAction);
    QTRY_COMPARE(fx.Answers().Shown().size(), 2);
    QVERIFY(keptTheReading());
    {
        ModalScript script;
        script.ChooseInFileDialog(report);
        fx.Answers().Expect(0);
        FormMain->ActionFileOpen->trigger();
        QCOMPARE(script.Pending(), 0);
    }
    QVERIFY(keptTheReading());
    fx.Answers().Expect(0);
    FormMain->OpenReportArgument({Program, report});
    QVERIFY(keptTheReading());
    QCOMPARE(fx.Answers().Shown().size(), 4);
    for (int i = 1; i < 4; ++i) {
        QCOMPARE(fx.Answers().Shown()[i].Text, NotSaved);
        QCOMPARE(fx.Answers().Shown()[i].Buttons, (QStringList{"Yes", "No"}));
    }

    // No lets the reading go.
    fx.Answers().Expect(mrNo);
    QCOMPARE(Drop(FormMain, report), Qt::CopyAction);
    QTRY_COMPARE(FormMain->windowTitle(), "VRX-310: " + report);
    QCOMPARE(FormMain->LabeledEditCarID->text(), QStringLiteral("ABC"));
    QVERIFY(!FormMain->Report().Unsaved);
    QCOMPARE(fx.Answers().Shown().size(), 5);
    QCOMPARE(fx.Answers().Unexpected(), 0);
    QVERIFY(FormMain->close());
}

void TestForeignReports::aReportDroppedOnTheVehicleFieldOpensAsACopy() {
    QTemporaryDir here;
    const QString report = here.filePath(QStringLiteral("Kunde M\u00fcller.vrx"));
    QVERIFY(SaveSample(report));
    MainWindowFixture fx;
    fx.Start();
    QLineEdit* field = FormMain->LabeledEditCarID;

    // Offered as a move only: refused, nothing pasted.
    QCOMPARE(Drop(field, report, Qt::MoveAction), Qt::IgnoreAction);
    QCoreApplication::processEvents();
    QCOMPARE(field->text(), QString());

    // Over a typed vehicle: the report opens (after the question), its own
    // vehicle shows, and the file stays where it was.
    QTest::keyClicks(field, QStringLiteral("XYZ 123"));
    fx.Answers().Expect(mrNo);
    QCOMPARE(Drop(field, report), Qt::CopyAction);
    QTRY_COMPARE(FormMain->windowTitle(), "VRX-310: " + report);
    QCOMPARE(field->text(), QStringLiteral("ABC"));
    QCOMPARE(fx.Answers().Shown().size(), 1);
    QVERIFY(QFile::exists(report));
    QVERIFY(FormMain->close());
}

void TestForeignReports::aLatin1NamedReportOpensByArgumentAndDrop() {
    QTemporaryDir here;
    // "Müller.vrx" in Latin-1: no valid UTF-8.
    const std::string latin1 = Local(here.path()) + "/M\xfcller.vrx";
    MeasurementReport r;
    r.CarID = "LATIN";
    QVERIFY(SaveReportFile(latin1, r, false, "d", nullptr));
    const QString other = here.filePath(QStringLiteral("ABC.vrx"));
    QVERIFY(SaveSample(other));
    MainWindowFixture fx;
    fx.Start();

    FormMain->OpenReportArgument(std::vector<std::string>{"VRX310_Application", latin1});
    QCOMPARE(FormMain->LabeledEditCarID->text(), QStringLiteral("LATIN"));
    FormMain->OpenReportFile(other);
    QCOMPARE(FormMain->LabeledEditCarID->text(), QStringLiteral("ABC"));
    const QUrl url =
        QUrl::fromEncoded("file://" + QByteArray::fromStdString(latin1).toPercentEncoding("/"));
    QVERIFY(url.isLocalFile());
    QCOMPARE(Drop(FormMain, url), Qt::CopyAction);
    QTRY_COMPARE(FormMain->LabeledEditCarID->text(), QStringLiteral("LATIN"));
    QCOMPARE(fx.Answers().Shown().size(), 0);
    QVERIFY(FormMain->close());
}

QTEST_MAIN(TestForeignReports)
#include "test_foreign_reports.moc"
