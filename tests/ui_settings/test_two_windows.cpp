// Two windows of the program, each a process of its own, share one settings
// file: operators added and company details saved in one are never undone
// by the other, whatever the order.
#include "tests/common/modal_script.h"
#include "tests/ui_main/main_window_fixture.h"

#include "dialogs/form_company.h"
#include "dialogs/form_names.h"
#include "settings/settings_file.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

void AddOperator(const QString& name) {
    ModalScript script;
    script.On(FormNames, [name](QWidget*) {
        FormNames->BitBtnAdd->click();
        QTest::keyClicks(FormNames->EditName, name);
        FormNames->BitBtnEditOk->click();
        FormNames->BitBtnOk->click();
    });
    FormMain->ActionSettingsNames->trigger();
}

// The company details window answered with OK; a non-empty city is typed
// first, an empty one leaves every field as shown.
void SaveCompany(const QString& city) {
    ModalScript script;
    script.On(FormCompany, [city](QWidget*) {
        if (!city.isEmpty())
            FormCompany->LabeledEditCity->setText(city);
        FormCompany->BitBtn1->click();
    });
    FormMain->ActionSettingsCompany->trigger();
}

bool WaitFor(const QString& file) {
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(file) && clock.elapsed() < 20000)
        QTest::qWait(20);
    return QFile::exists(file);
}

// The second window: started on the shared settings, it says "ready", waits
// for "go", adds an operator, saves the company details, closes.
int RunSecondWindow() {
    const QString config = qEnvironmentVariable("VRX_SECOND_CONFIG");
    const QString ready = qEnvironmentVariable("VRX_SECOND_READY");
    const QString go = qEnvironmentVariable("VRX_SECOND_GO");
    MainWindowFixture fx;
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    fx.Start();
    QFile(ready).open(QIODevice::WriteOnly);
    if (!WaitFor(go))
        return 2;
    AddOperator(qEnvironmentVariable("VRX_SECOND_NAME"));
    SaveCompany(qEnvironmentVariable("VRX_SECOND_CITY"));
    return FormMain->close() ? 0 : 3;
}

class SecondWindow {
public:
    SecondWindow(const QString& config, const QString& name, const QString& city) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VRX_SECOND_CONFIG", config);
        env.insert("VRX_SECOND_READY", dir_.filePath("ready"));
        env.insert("VRX_SECOND_GO", dir_.filePath("go"));
        env.insert("VRX_SECOND_NAME", name);
        env.insert("VRX_SECOND_CITY", city);
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(QCoreApplication::applicationFilePath(), {});
    }
    bool Ready() { return WaitFor(dir_.filePath("ready")); }
    // Lets it act and close; whether it ended well.
    bool Finish() {
        QFile(dir_.filePath("go")).open(QIODevice::WriteOnly);
        return process_.waitForFinished(30000) && process_.exitStatus() == QProcess::NormalExit &&
               process_.exitCode() == 0;
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
};

} // namespace

class TestTwoWindows : public QObject {
    Q_OBJECT
private slots:
    void neitherWindowUndoesTheOther();
};

void TestTwoWindows::neitherWindowUndoesTheOther() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n[Company]\nName=Werkstatt\nCity=Kiel\n"));
    fx.Start();
    const QString config = QFileInfo(fx.SettingsPath()).absolutePath();
    SettingsFile settings(QFile::encodeName(fx.SettingsPath()).toStdString());

    // The other window acts first, this one afterwards from its old reading.
    {
        SecondWindow other(config, QStringLiteral("Bert"), QStringLiteral("Bonn"));
        QVERIFY(other.Ready());
        QVERIFY(other.Finish());
    }
    AddOperator(QStringLiteral("Carl"));
    SaveCompany(QString());
    QCOMPARE(ReadOperatorNames(settings), (OperatorNames{"Anna", "Bert", "Carl"}));
    QCOMPARE(ReadCompanyDetails(settings).City, std::string("Bonn"));
    // What this window prints is what is stored.
    QCOMPARE(FormMain->Company().City, std::string("Bonn"));
    QCOMPARE(FormMain->ComboBoxNames->count(), 3);

    // This window acts first while the other still holds its old reading.
    {
        SecondWindow other(config, QStringLiteral("Dora"), QString());
        QVERIFY(other.Ready());
        AddOperator(QStringLiteral("Emil"));
        SaveCompany(QStringLiteral("Hamburg"));
        QVERIFY(other.Finish());
    }
    QCOMPARE(ReadOperatorNames(settings), (OperatorNames{"Anna", "Bert", "Carl", "Emil", "Dora"}));
    const CompanyDetails company = ReadCompanyDetails(settings);
    QCOMPARE(company.City, std::string("Hamburg"));
    QCOMPARE(company.Name, std::string("Werkstatt"));

    QVERIFY(FormMain->close());
    fx.Stop();
    QCOMPARE(ReadOperatorNames(settings).size(), std::size_t(5));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("VRX_SECOND_CONFIG"))
        return RunSecondWindow();
    TestTwoWindows test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_two_windows.moc"
