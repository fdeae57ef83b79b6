// "&Print Report" in the main window: the page shows what the window shows
// at that moment, and printing changes nothing in the report.
#include "app/main/main_window.h"
#include "app/main/start_up.h"
#include "settings/settings_file.h"
#include "tests/print/dialog_answerer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

struct Word {
    QString Text;
    double X = 0, Y = 0;
};

// Words of the page with their top-left in 600 dpi pixels.
QList<Word> PageWords(const QString& pdf) {
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
            {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QList<Word> words;
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        return words;
    }
    static const QRegularExpression re(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re"));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(3).normalized(QString::NormalizationForm_KC),
                      m.captured(1).toDouble() * 600 / 72, m.captured(2).toDouble() * 600 / 72});
    }
    return words;
}

// The texts standing at a 600 dpi position, joined by blanks.
QString TextAt(const QList<Word>& words, int x, int y) {
    QStringList found;
    for (const Word& w : words) {
        if (std::abs(w.X - x) < 13 && std::abs(w.Y - y) < 13) {
            found << w.Text;
        }
    }
    return found.join(QLatin1Char(' '));
}

// The rest of the line that starts at a 600 dpi position.
QString LineAt(const QList<Word>& words, int x, int y, int untilX = 5000) {
    QStringList found;
    for (const Word& w : words) {
        if (std::abs(w.Y - y) < 13 && w.X > x - 13 && w.X < untilX) {
            found << w.Text;
        }
    }
    return found.join(QLatin1Char(' '));
}

} // namespace

class TestPrintAction : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;

    QList<Word> PrintFromWindow(const QString& name) {
        const QString pdf = home_.filePath(name);
        DialogAnswerer user(DialogAnswerer::Accept, pdf);
        FormMain->ActionFilePrintExecute();
        if (user.PrintDialogs != 1 || !user.Messages.isEmpty()) {
            return {};
        }
        return PageWords(pdf);
    }

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QSKIP("pdftotext is not installed");
        }
        QVERIFY(home_.isValid());
        qputenv("XDG_CONFIG_HOME", home_.path().toLocal8Bit());
        QDir::setCurrent(home_.path());

        // Company details as they lie on disk: Windows-1252 bytes.
        SettingsFile settings(SettingsFilePath());
        CompanyDetails company;
        company.Name = "Autohaus M\xFCller";
        company.Address = "Ringstra\xDF"
                          "e 3";
        company.City = "89073 Ulm";
        company.Phone = "0731 1234";
        company.Fax = "0731 1235";
        company.Email = "info@mueller.example";
        company.Website = "www.mueller.example";
        WriteCompanyDetails(settings, company);

        // The tester library may be missing here; its notice is confirmed.
        DialogAnswerer user(DialogAnswerer::Cancel);
        CreateWindows();
        QVERIFY(FormMain != nullptr);
    }

    void cleanupTestCase() { DestroyWindows(); }

    void pageShowsWhatTheWindowShows() {
        FormMain->LabeledEditCarID->setText(QStringLiteral("UL-AB 123"));
        FormMain->CheckBox2->setChecked(true);
        FormMain->CheckBox3->setChecked(false);
        const auto& sel = FormMain->Selectors();
        sel[2]->setCurrentIndex(7);  // compression position 3 shows slot 7
        sel[3]->setCurrentIndex(0);  // position 4 shows "-"
        sel[4]->setCurrentIndex(-1); // position 5 has no selection
        const QString unit = FormMain->Label43->text();
        const bool unsaved = FormMain->Report().Unsaved;
        const QString status = FormMain->StatusText(3);

        const QList<Word> page = PrintFromWindow(QStringLiteral("window.pdf"));
        QVERIFY(!page.isEmpty());

        QCOMPARE(LineAt(page, 650, 400), QStringLiteral("Autohaus Müller"));
        QCOMPARE(LineAt(page, 650, 510), QStringLiteral("Ringstraße 3"));
        QCOMPARE(LineAt(page, 650, 950),
                 QStringLiteral("info@mueller.example / www.mueller.example"));
        QCOMPARE(LineAt(page, 650, 1300), FormMain->PrintText(0).simplified());
        QCOMPARE(LineAt(page, 650, 1410),
                 (FormMain->PrintText(1) + QStringLiteral("UL-AB 123")).simplified());
        QCOMPARE(LineAt(page, 650, 1630),
                 (FormMain->PrintText(3) + FormMain->LabelDateTime->text()).simplified());
        QCOMPARE(LineAt(page, 1800, 2000),
                 (FormMain->LabelUnit->text() + QLatin1Char(' ') + unit).simplified());
        QCOMPARE(LineAt(page, 600, 3750, 900), FormMain->MessageText(33));
        QCOMPARE(TextAt(page, 655 + 307 * 1, 3750), QStringLiteral("1"));
        QCOMPARE(TextAt(page, 655 + 307 * 3, 3750), QStringLiteral("7"));
        QCOMPARE(TextAt(page, 655 + 307 * 4, 3750), QStringLiteral("-"));
        QCOMPARE(TextAt(page, 655 + 307 * 5, 3750), QStringLiteral("-"));
        // Leakage chart not ticked: no leakage section.
        QVERIFY(TextAt(page, 650, 4000).isEmpty());
        QVERIFY(TextAt(page, 600, 5750).isEmpty());
        QCOMPARE(TextAt(page, 650, 6000).section(QLatin1Char(' '), 0, 0),
                 FormMain->PrintText(5).section(QLatin1Char(' '), 0, 0));

        // Printing changes nothing and shows no status text.
        QCOMPARE(FormMain->Report().Unsaved, unsaved);
        QCOMPARE(FormMain->StatusText(3), status);
        QCOMPARE(sel[2]->currentIndex(), 7);
    }

    void cancelledDialogPrintsNothingAndLeavesNoFiles() {
        const QStringList before = QDir::current().entryList(QDir::Files);
        DialogAnswerer user(DialogAnswerer::Cancel);
        FormMain->ActionFilePrintExecute();
        QCOMPARE(user.PrintDialogs, 1);
        QCOMPARE(QDir::current().entryList(QDir::Files), before);
    }
};

QTEST_MAIN(TestPrintAction)
#include "test_print_action.moc"
