// The language choice as the program makes it at start-up, then the windows
// on the simulated tester: German captions and the "." date separator with
// the module in the current folder, English and "-" from any other folder.
#include "tests/ui_main/main_window_fixture.h"

#include "app/main/main_window.h"
#include "dialogs/form_msg.h"
#include "text/date_format.h"
#include "text/language_choice.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

class TestGermanStartup : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void germanWithTheModuleInTheCurrentFolder();
    void englishFromAnotherFolder();

private:
    // The program's first step: the file test in the current folder sets
    // the date formats, the module is looked for under the program's name.
    bool ChooseLanguageAsTheProgram();
    // Reads the simulated tester; the date label then holds the read's time.
    QString ReadAndTakeDate(QDate& before, QDate& after);

    QTemporaryDir dir_;
    QString oldCurrent_;
    DateFormats oldFormats_;
    QTranslator translator_;
    bool installed_ = false;
};

void TestGermanStartup::init() {
    QVERIFY(dir_.isValid());
    oldCurrent_ = QDir::currentPath();
    oldFormats_ = CurrentDateFormats();
}

void TestGermanStartup::cleanup() {
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
    installed_ = false;
    CurrentDateFormats() = oldFormats_;
    QDir::setCurrent(oldCurrent_);
}

bool TestGermanStartup::ChooseLanguageAsTheProgram() {
    const LanguageChoice choice = ChooseLanguage(QDir::currentPath().toStdString());
    CurrentDateFormats() = choice.Formats;
    for (const std::string& file : ResourceModuleCandidates(VRX_PROGRAM_FILE, choice.LocaleId)) {
        if (translator_.load(QString::fromStdString(file))) {
            installed_ = QCoreApplication::installTranslator(&translator_);
            return installed_;
        }
    }
    return false;
}

QString TestGermanStartup::ReadAndTakeDate(QDate& before, QDate& after) {
    before = QDate::currentDate();
    FormMain->ActionDeviceRead->trigger();
    after = QDate::currentDate();
    return FormMain->LabelDateTime->text();
}

void TestGermanStartup::germanWithTheModuleInTheCurrentFolder() {
    const QString workshop = dir_.filePath(QStringLiteral("workshop"));
    QVERIFY(QDir().mkpath(workshop));
    QVERIFY(QFile::copy(QStringLiteral(VRX_GERMAN_MODULE),
                        workshop + QStringLiteral("/VRX310_Application.DEU")));
    QVERIFY(QDir::setCurrent(workshop));
    QVERIFY(ChooseLanguageAsTheProgram());

    MainWindowFixture fx;
    fx.Start();
    QCOMPARE(FormMain->StatusText(2), QStringLiteral("de"));
    QStringList menus;
    for (QAction* a : FormMain->menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, QStringList({QStringLiteral("&Datei"), QStringLiteral("&Ger\u00e4t"),
                                 QStringLiteral("&Einstellungen"), QStringLiteral("&Hilfe")}));
    QCOMPARE(FormMain->LabelDateTime->text(), QStringLiteral("(nicht verf\u00fcgbar)"));

    QDate before, after;
    const QString date = ReadAndTakeDate(before, after);
    const QRegularExpressionMatch m =
        QRegularExpression(
            QStringLiteral("^(\\d\\d)\\.(\\d\\d)\\.(\\d{4}) -- \\d\\d:\\d\\d:\\d\\d$"))
            .match(date);
    QVERIFY2(m.hasMatch(), qPrintable(date));
    const QDate shown(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    QVERIFY2(shown == before || shown == after, qPrintable(date));
    QCOMPARE(FormMain->windowTitle(),
             QStringLiteral("KALDORIAN GmbH | VRX-310 | elektronischer Kompressions- & "
                            "Druckverlusttester"));
    QCOMPARE(FormMain->StatusText(3), QStringLiteral("Messwerte gelesen"));

    // The unread report asks in German before the window closes.
    fx.Answers().Expect(mrNo);
    FormMain->close();
    QCOMPARE(fx.Answers().Shown().size(), 1);
    const ShownMessage& asked = fx.Answers().Shown().first();
    QCOMPARE(asked.Text,
             QStringLiteral("Der aktuelle Bericht ist nicht gespeichert! Jetzt speichern?"));
    QCOMPARE(asked.Caption, QStringLiteral("Best\u00e4tigung"));
    QCOMPARE(FormMsg->Button(mrYes)->text(), QStringLiteral("&Ja"));
    QCOMPARE(FormMsg->Button(mrNo)->text(), QStringLiteral("&Nein"));
}

void TestGermanStartup::englishFromAnotherFolder() {
    // The module beside the program is not enough: the file test looks in
    // the current folder.
    QVERIFY(QFile::exists(QStringLiteral(VRX_GERMAN_MODULE)));
    QVERIFY(QDir::setCurrent(dir_.path()));
    QVERIFY(!ChooseLanguageAsTheProgram());

    MainWindowFixture fx;
    fx.Start();
    QCOMPARE(FormMain->StatusText(2), QStringLiteral("en"));
    QDate before, after;
    const QString date = ReadAndTakeDate(before, after);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^(\\d{4})-(\\d\\d)-(\\d\\d) -- \\d\\d:\\d\\d:\\d\\d$"))
            .match(date);
    QVERIFY2(m.hasMatch(), qPrintable(date));
    const QDate shown(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    QVERIFY2(shown == before || shown == after, qPrintable(date));
    fx.Answers().Expect(mrNo);
    FormMain->close();
}

QTEST_MAIN(TestGermanStartup)
#include "test_german_startup.moc"
