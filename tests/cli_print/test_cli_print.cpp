// vrx310-cli print, run as the built program: report files read from the
// simulated tester or written here, the PDF read back with poppler's tools.
#include "report/report_file.h"
#include "tests/print/pdf_probe.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace {

struct CliRun {
    int Status = -1;
    QString Err;
};

QByteArray FileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

bool IsBarRed(QRgb c) {
    return qRed(c) > 90 && qGreen(c) < 90 && qBlue(c) < 90;
}

// Whether any raster pixel inside the 600 dpi rectangle is a bar's red.
bool HasRed(const QImage& img, const QRect& r600) {
    for (int y = r600.top() / 12; y <= r600.bottom() / 12 && y < img.height(); ++y)
        for (int x = r600.left() / 12; x <= r600.right() / 12 && x < img.width(); ++x)
            if (IsBarRed(img.pixel(x, y)))
                return true;
    return false;
}

const QRect CompressionArea(800, 2150, 3750, 1562), LeakageArea(800, 4150, 3750, 1562);

} // namespace

class TestCliPrint : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString reading_; // report file saved by "read --out" from the simulator

    QString Path(const QString& name) const { return dir_.filePath(name); }

    // No display and no platform chosen: the command must manage alone.
    CliRun Cli(const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("LD_LIBRARY_PATH"), QStringLiteral(SIM_HID_DIR));
        env.insert(QStringLiteral("VRX310_SIM_STATE"), Path(QStringLiteral("sim.state")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir_.path());
        p.start(QStringLiteral(VRX310_CLI_PATH), args);
        CliRun run;
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) {
            p.kill();
            p.waitForFinished();
            run.Err = QStringLiteral("did not finish");
            return run;
        }
        run.Status = p.exitCode();
        run.Err = QString::fromUtf8(p.readAllStandardError());
        return run;
    }

    // Position 1 and 2 swapped, position 3 shows slot 7, position 12 none,
    // in psi; the leakage chart as read.
    QString ArrangedFile(int unit, int compressionAtPosition5 = 5) {
        MeasurementReport r;
        r.Compression = {1285, 1310, 852, -1, 1274, 1296, 1250, -1, -1, -1, -1, -1};
        r.Leakage = {62, 81, 348, 55, 110, 70, -1, -1, -1, -1, -1, -1};
        r.CompressionAssignment = {2, 1, 7, 4, compressionAtPosition5, 6, 7, 8, 9, 10, 11, 0};
        r.LeakageAssignment = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        r.CarID = "B-XY 42";
        r.Operator = "Hauser";
        r.Unit = unit;
        r.Texts.DeviceSN = "VRX310-24-00815";
        r.Texts.SensorSN = "S-71234-0042";
        const QString path =
            Path(QStringLiteral("arranged%1_%2.vrx").arg(unit).arg(compressionAtPosition5));
        return SaveReportFile(path.toStdString(), r, true, "06.12.2026 -- 10:11:12", nullptr)
                   ? path
                   : QString();
    }

private slots:
    void initTestCase() {
        if (!HavePopplerTools())
            QSKIP("poppler-utils (pdftotext, pdfinfo, pdftoppm) are not installed");
        QVERIFY(dir_.isValid());
        // The workshop's details, Windows-1252 on disk as the program writes them.
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("config")));
        QFile ini(Path(QStringLiteral("config/VRX310.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Company]\r\nName=Autohaus M\xFCller\r\nAddress=Ringstra\xDF"
                  "e 3\r\nCity=89073 Ulm\r\nPhone=0731 1234\r\nFax=0731 1235\r\n"
                  "Email=info@example.org\r\nWebsite=www.example.org\r\n");
        ini.close();

        reading_ = Path(QStringLiteral("reading.vrx"));
        const CliRun read =
            Cli({"read", "--out", reading_, "--car", "HH-AB 123", "--operator", "Müller"});
        QVERIFY2(read.Status == 0, qPrintable(read.Err));
    }

    // Names of 250 bytes, which leave no room for the usual temporary name
    // beside them, are written like any other.
    void theLongestNamesAreWritten() {
        const QString stem(246, QLatin1Char('L'));
        const QString report = Path(stem + ".vrx"), pdf = Path(stem + ".pdf");
        const CliRun read = Cli({"read", "--out", report, "--car", "HH-AB 123"});
        QVERIFY2(read.Status == 0, qPrintable(read.Err));
        MeasurementReport back;
        QVERIFY(LoadReportFile(report.toStdString(), &back, nullptr));
        QCOMPARE(back.CarID, std::string("HH-AB 123"));
        const CliRun print = Cli({"print", report, "--pdf", pdf});
        QVERIFY2(print.Status == 0, qPrintable(print.Err));
        QVERIFY(PdfInfo(pdf).contains(QStringLiteral("Pages:")));
        QVERIFY(QFile::remove(report) && QFile::remove(pdf));
    }

    void printsTheReadingOnOneA4Page() {
        const QByteArray before = FileHash(reading_);
        const QString pdf = Path(QStringLiteral("reading.pdf"));
        const CliRun run = Cli({"print", reading_, "--pdf", pdf});
        QVERIFY2(run.Status == 0, qPrintable(run.Err));
        QCOMPARE(FileHash(reading_), before);

        const QString info = PdfInfo(pdf);
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
                 qPrintable(info));
        QVERIFY(info.contains(QStringLiteral("595 x 842 pts (A4)")));
        QVERIFY(info.contains(QRegularExpression(QStringLiteral("Title:\\s+VRX310 Report\\n"))));

        const QList<PdfWord> words = PdfWords(pdf);
        QCOMPARE(LineAt(words, 650, 400), QStringLiteral("Autohaus Müller"));
        QCOMPARE(LineAt(words, 650, 1410), QStringLiteral("Car Identification: HH-AB 123"));
        QCOMPARE(LineAt(words, 650, 1520), QStringLiteral("Operator: Müller"));
        QVERIFY(LineAt(words, 650, 1630)
                    .contains(QRegularExpression(
                        QStringLiteral("^Report Date and Time: \\d{4}-\\d\\d-\\d\\d"))));
        QCOMPARE(LineAt(words, 1800, 2000), QStringLiteral("Unit: bar"));
        QCOMPARE(LineAt(words, 600, 3750), QStringLiteral("Cyl. no. 1 2 3 4 5 6 7 8 9 10 11 12"));
        QCOMPARE(LineAt(words, 600, 5750), QStringLiteral("Cyl. no. 1 2 3 4 5 6 7 8 9 10 11 12"));
        QCOMPARE(LineAt(words, 650, 6110), QStringLiteral("Device SN: VRX310-24-00815"));
        // The file version of the running program.
        QVERIFY2(LineAt(words, 1800, 6220)
                     .contains(QRegularExpression(
                         QStringLiteral("^Software release: \\d+\\.\\d+\\.\\d+\\.\\d+$"))),
                 qPrintable(LineAt(words, 1800, 6220)));
        // The maker's line, placed from its measured widths, starts with the name.
        QVERIFY2(LineAt(words, 0, 6470).startsWith(QStringLiteral("KALDORIAN GmbH ")),
                 qPrintable(LineAt(words, 0, 6470)));

        // No picture or temporary files left behind.
        for (const QString& f : QDir(dir_.path()).entryList(QDir::Files))
            QVERIFY2(!f.endsWith(QStringLiteral(".bmp")) && !f.contains(QStringLiteral(".pdf.")),
                     qPrintable(f));
    }

    void optionsLeaveOutChartSections_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("compression");
        QTest::addColumn<bool>("leakage");
        QTest::newRow("no compression") << QStringList{"--no-compression"} << false << true;
        QTest::newRow("no leakage") << QStringList{"--no-leakage"} << true << false;
        QTest::newRow("neither") << QStringList{"--no-leakage", "--no-compression"} << false
                                 << false;
    }

    void optionsLeaveOutChartSections() {
        QFETCH(QStringList, options);
        QFETCH(bool, compression);
        QFETCH(bool, leakage);
        const QString pdf = Path(QStringLiteral("sections%1%2.pdf").arg(compression).arg(leakage));
        const CliRun run = Cli(QStringList{"print", reading_, "--pdf", pdf} + options);
        QVERIFY2(run.Status == 0, qPrintable(run.Err));
        const QList<PdfWord> words = PdfWords(pdf);
        QCOMPARE(LineAt(words, 650, 2000).isEmpty(), !compression);
        QCOMPARE(LineAt(words, 600, 3750).isEmpty(), !compression);
        QCOMPARE(LineAt(words, 650, 4000).isEmpty(), !leakage);
        QCOMPARE(LineAt(words, 600, 5750).isEmpty(), !leakage);
        QCOMPARE(LineAt(words, 650, 1410), QStringLiteral("Car Identification: HH-AB 123"));
        QCOMPARE(LineAt(words, 650, 6110), QStringLiteral("Device SN: VRX310-24-00815"));
        const QImage raster = PdfRaster(pdf);
        QCOMPARE(HasRed(raster, CompressionArea), compression);
        QCOMPARE(HasRed(raster, LeakageArea), leakage);
    }

    void slotRowsAndUnitFollowTheFile() {
        // The stored unit (psi) unless --unit says otherwise; the rows name
        // the slot each position shows.
        const QString file = ArrangedFile(unitPsi);
        QVERIFY(!file.isEmpty());
        const struct {
            QStringList extra;
            QString unit;
        } cases[] = {{{}, "psi"}, {{"--unit", "kPa"}, "kPa"}, {{"--unit", "BAR"}, "bar"}};
        for (const auto& c : cases) {
            const QString pdf = Path(QStringLiteral("arranged_%1.pdf").arg(c.unit));
            const CliRun run = Cli(QStringList{"print", file, "--pdf", pdf} + c.extra);
            QVERIFY2(run.Status == 0, qPrintable(run.Err));
            const QList<PdfWord> words = PdfWords(pdf);
            QCOMPARE(LineAt(words, 1800, 2000), QStringLiteral("Unit: ") + c.unit);
            QCOMPARE(LineAt(words, 962, 3750), QStringLiteral("2 1 7 4 5 6 7 8 9 10 11 -"));
            QCOMPARE(LineAt(words, 962, 5750), QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12"));
            QCOMPARE(LineAt(words, 650, 1630),
                     QStringLiteral("Report Date and Time: 06.12.2026 -- 10:11:12"));
        }
    }

    void damagedValuesInTheFilePrintSafely() {
        // An assignment beyond slot 12 shows no slot; an unknown unit prints
        // in bar (with a notice) instead of bars of -1.
        const QString file = ArrangedFile(7, 99);
        QVERIFY(!file.isEmpty());
        const QString pdf = Path(QStringLiteral("odd.pdf"));
        const CliRun run = Cli({"print", file, "--pdf", pdf});
        QVERIFY2(run.Status == 0, qPrintable(run.Err));
        QVERIFY2(run.Err.contains(QStringLiteral("unit 7 is unknown")), qPrintable(run.Err));
        const QList<PdfWord> words = PdfWords(pdf);
        QCOMPARE(LineAt(words, 1800, 2000), QStringLiteral("Unit: bar"));
        QCOMPARE(LineAt(words, 962, 3750), QStringLiteral("2 1 7 4 - 6 7 8 9 10 11 -"));
        QVERIFY(HasRed(PdfRaster(pdf), CompressionArea));
    }

    void unreadableReportFailsWithoutPdf_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QFile f(reading_);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray good = f.readAll();
        QByteArray flipped = good;
        flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x5A);
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a report") << QByteArray("[Company]\r\nName=x\r\n");
        QTest::newRow("cut short") << good.left(good.size() / 2);
        QTest::newRow("damaged byte") << flipped;
    }

    void unreadableReportFailsWithoutPdf() {
        QFETCH(QByteArray, content);
        const QString file = Path(QStringLiteral("bad.vrx"));
        QFile::remove(file);
        if (!content.isEmpty()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        }
        // An earlier PDF of that name stays as it was.
        const QString pdf = Path(QStringLiteral("bad.pdf"));
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();

        const CliRun run = Cli({"print", file, "--pdf", pdf});
        QCOMPARE(run.Status, 1);
        QVERIFY2(run.Err.contains(QStringLiteral("cannot open report")), qPrintable(run.Err));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();
        QVERIFY(QFile::remove(pdf));
        if (!content.isEmpty())
            QCOMPARE(FileHash(file), QCryptographicHash::hash(content, QCryptographicHash::Sha256));
    }

    void unwritablePdfFails() {
        const CliRun run =
            Cli({"print", reading_, "--pdf", Path(QStringLiteral("no/such/folder/r.pdf"))});
        QCOMPARE(run.Status, 1);
        QVERIFY2(run.Err.contains(QStringLiteral("cannot write")), qPrintable(run.Err));
    }

    void pdfKeepsModeAndLinkAndRefusesReadOnly() {
        ::umask(022);
        const QString pdf = Path(QStringLiteral("safe.pdf"));
        const QString link = Path(QStringLiteral("safe-link.pdf"));
        CliRun run = Cli({"print", reading_, "--pdf", pdf});
        QVERIFY2(run.Status == 0, qPrintable(run.Err));
        QCOMPARE(FileMode(pdf), 0644u);
        // Through a link: the link stays, its target gets the page and keeps its mode.
        QVERIFY(::chmod(QFile::encodeName(pdf).constData(), 0600) == 0 && QFile::link(pdf, link));
        run = Cli({"print", reading_, "--no-leakage", "--pdf", link});
        QVERIFY2(run.Status == 0, qPrintable(run.Err));
        QVERIFY(QFileInfo(link).isSymLink() && LineAt(PdfWords(pdf), 600, 5750).isEmpty());
        QCOMPARE(FileMode(pdf), 0600u);
        // A read-only PDF is refused and stays as it was.
        QVERIFY(::chmod(QFile::encodeName(pdf).constData(), 0444) == 0);
        const QByteArray kept = FileBytes(pdf);
        run = Cli({"print", reading_, "--pdf", pdf});
        QCOMPARE(run.Status, 1);
        QVERIFY2(run.Err.contains(QStringLiteral("cannot write")), qPrintable(run.Err));
        QCOMPARE(FileBytes(pdf), kept);
        QCOMPARE(FileMode(pdf), 0444u);
    }

    void fullDiskKeepsTheOldPdf() {
        // A disk with room for the old PDF but not for a second one.
        const QByteArray old = FileBytes(Path(QStringLiteral("reading.pdf")));
        QVERIFY(old.startsWith("%PDF-"));
        QTemporaryDir disk;
        const QByteArray mountPoint = QFile::encodeName(disk.path());
        const QByteArray size = "size=" + QByteArray::number(old.size() * 3 / 2);
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    size.constData()) != 0)
            QSKIP(qPrintable(QStringLiteral("no small tmpfs can be mounted here (root only): ") +
                             QString::fromLocal8Bit(std::strerror(errno))));
        const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
        const QString pdf = disk.filePath(QStringLiteral("full.pdf"));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size() && f.flush());
        f.close();

        const CliRun run = Cli({"print", reading_, "--pdf", pdf});
        QCOMPARE(run.Status, 1);
        QVERIFY2(run.Err.contains(QStringLiteral("cannot write")), qPrintable(run.Err));
        QCOMPARE(FileBytes(pdf), old);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files), QStringList{"full.pdf"});
    }

    void badArgumentsExitWithTwo_data() {
        QTest::addColumn<QStringList>("args");
        const QString pdf = QStringLiteral("args.pdf");
        QTest::newRow("nothing") << QStringList{"print"};
        QTest::newRow("no pdf") << QStringList{"print", reading_};
        QTest::newRow("pdf without name") << QStringList{"print", reading_, "--pdf"};
        QTest::newRow("no report") << QStringList{"print", "--pdf", pdf};
        QTest::newRow("unknown unit")
            << QStringList{"print", reading_, "--pdf", pdf, "--unit", "mmHg"};
        QTest::newRow("unit without name")
            << QStringList{"print", reading_, "--pdf", pdf, "--unit"};
        QTest::newRow("unknown option") << QStringList{"print", reading_, "--pdf", pdf, "--png"};
        QTest::newRow("two reports") << QStringList{"print", reading_, reading_, "--pdf", pdf};
        // The PDF would take the report's place.
        QTest::newRow("pdf over the report") << QStringList{"print", reading_, "--pdf", reading_};
    }

    void badArgumentsExitWithTwo() {
        QFETCH(QStringList, args);
        const QByteArray before = FileHash(reading_);
        const CliRun run = Cli(args);
        QCOMPARE(run.Status, 2);
        QVERIFY(!run.Err.isEmpty());
        QVERIFY(!QFile::exists(Path(QStringLiteral("args.pdf"))));
        QCOMPARE(FileHash(reading_), before);
    }
};

QTEST_GUILESS_MAIN(TestCliPrint)
#include "test_cli_print.moc"
