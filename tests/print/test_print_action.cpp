// "&Print Report" in the main window: the page shows what the window shows
// at that moment, and printing changes nothing in the report.
#include "app/main/main_window.h"
#include "app/main/start_up.h"
#include "fileio/safe_file.h"
#include "settings/settings_file.h"
#include "tests/print/dialog_answerer.h"
#include "tests/print/pdf_probe.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestPrintAction : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;

    QList<PdfWord> PrintFromWindow(const QString& name) {
        const QString pdf = home_.filePath(name);
        DialogAnswerer user(DialogAnswerer::Accept, pdf);
        FormMain->ActionFilePrintExecute();
        if (user.PrintDialogs != 1 || !user.Messages.isEmpty()) {
            return {};
        }
        return PdfWords(pdf);
    }

private slots:
    void initTestCase() {
        if (!HavePopplerTools()) {
            QSKIP("poppler-utils are not installed");
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
        FormMain->Report().Unsaved = false;
        const QString status = FormMain->StatusText(3);

        const QList<PdfWord> page = PrintFromWindow(QStringLiteral("window.pdf"));
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
        QCOMPARE(LineAt(page, 962, 3750), QStringLiteral("1 2 7 - - 6 7 8 9 10 11 12"));
        // Leakage chart not ticked: no leakage section.
        QVERIFY(LineAt(page, 650, 4000).isEmpty());
        QVERIFY(LineAt(page, 600, 5750).isEmpty());
        QCOMPARE(LineAt(page, 650, 6000), FormMain->PrintText(5));

        // Printing changes nothing and shows no status text.
        QVERIFY(!FormMain->Report().Unsaved);
        QCOMPARE(FormMain->StatusText(3), status);
    }

    void printToFileNeverSpoilsTheOldFile() {
        // Over an earlier PDF: a full disk, then a read-only file, bring the
        // message and leave it byte for byte, with no temporary file.
        const QString pdf = home_.filePath(QStringLiteral("kept.pdf"));
        QVERIFY(!PrintFromWindow(QStringLiteral("kept.pdf")).isEmpty());
        const QByteArray old = FileBytes(pdf);
        for (const unsigned mode : {0600u, 0444u}) {
            QVERIFY(::chmod(QFile::encodeName(pdf).constData(), mode) == 0);
            safefile::SetWriteLimitForTesting(mode == 0600u ? 4096 : -1);
            DialogAnswerer user(DialogAnswerer::Accept, pdf);
            FormMain->ActionFilePrintExecute();
            safefile::SetWriteLimitForTesting(-1);
            const QString failed =
                QCoreApplication::translate("PrintReport", "The report could not be printed.");
            if (mode == 0600u || ::geteuid() == 0) // else the dialog turns the file down
                QCOMPARE(user.Messages.value(user.Messages.size() - 1), failed);
            QCOMPARE(FileBytes(pdf), old);
            QCOMPARE(FileMode(pdf), mode);
            QCOMPARE(QDir(home_.path()).entryList({"kept.pdf*"}), QStringList{"kept.pdf"});
        }
        // A new file is 0644 under umask 022; through a link the link stays
        // and its target gets the page in its own mode.
        ::umask(022);
        QVERIFY(!PrintFromWindow(QStringLiteral("new.pdf")).isEmpty());
        QCOMPARE(FileMode(home_.filePath(QStringLiteral("new.pdf"))), 0644u);
        QVERIFY(::chmod(QFile::encodeName(pdf).constData(), 0600) == 0);
        QVERIFY(QFile::link(pdf, home_.filePath(QStringLiteral("link.pdf"))));
        FormMain->LabeledEditCarID->setText(QStringLiteral("LINK-1"));
        QVERIFY(LineAt(PrintFromWindow(QStringLiteral("link.pdf")), 650, 1410).endsWith("LINK-1"));
        QVERIFY(QFileInfo(home_.filePath(QStringLiteral("link.pdf"))).isSymLink());
        QCOMPARE(FileMode(pdf), 0600u);
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
