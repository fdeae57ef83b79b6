// The sensor change end to end: the real main window, the sensor change
// window and the simulated tester, whose request log shows exactly what
// reached the tester.
#include "tests/common/modal_script.h"
#include "tests/ui_main/main_window_fixture.h"

#include "chart/bar_chart.h"
#include "device/tester_link.h"
#include "dialogs/form_change_sens.h"
#include "dialogs/form_msg.h"
#include "platform/device_watcher.h"
#include "settings/settings_file.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTranslator>

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <functional>

namespace {

using Block = std::array<std::uint8_t, 36>;

// A sensor block whose every byte can be told apart: serial "S-71234-0042"
// with its NUL at 30 and three more bytes behind it, factor 71234.
Block TesterBlock() {
    Block b{};
    for (int i = 0; i < 36; ++i)
        b[i] = static_cast<std::uint8_t>(0x40 + i);
    const std::uint32_t factor = 71234;
    for (int i = 0; i < 4; ++i)
        b[8 + i] = static_cast<std::uint8_t>(factor >> (8 * i));
    const char serial[] = "S-71234-0042";
    for (int i = 0; i < 13; ++i)
        b[18 + i] = static_cast<std::uint8_t>(serial[i]);
    b[31] = 0xE1;
    b[32] = 0xE2;
    b[33] = 0xE3;
    return b;
}

QString Hex(const Block& b) {
    QString s;
    for (std::uint8_t byte : b)
        s += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
    return s;
}

QString State(const QString& extra = {}) {
    return QStringLiteral("sensor=%1\n").arg(Hex(TesterBlock())) + extra;
}

// The block of a logged sensor write "33 24 ..."; empty when none.
QList<Block> Writes(const QStringList& requests) {
    QList<Block> writes;
    for (const QString& line : requests) {
        if (!line.startsWith(QLatin1String("33 24 ")) || line.endsWith(QLatin1String(")")))
            continue;
        const QStringList bytes = line.split(QLatin1Char(' '));
        Block b{};
        for (int i = 0; i < 36 && i + 2 < bytes.size(); ++i)
            b[i] = static_cast<std::uint8_t>(bytes[i + 2].toUInt(nullptr, 16));
        writes << b;
    }
    return writes;
}

// What the tester must receive: the block as read, with the factor at 8
// and the serial number and its NUL at 18.
Block Expected(std::int32_t factor, const QByteArray& serial) {
    Block b = TesterBlock();
    for (int i = 0; i < 4; ++i)
        b[8 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(factor) >> (8 * i));
    for (int i = 0; i < serial.size(); ++i)
        b[18 + i] = static_cast<std::uint8_t>(serial[i]);
    b[18 + serial.size()] = 0;
    return b;
}

QString WriteSensorFile(const QTemporaryDir& dir, const QString& name, const QByteArray& body) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(body);
    return path;
}

QByteArray SensorFile(const QByteArray& key, int factor, int verification) {
    return "[Sensorfactor]\r\n" + key + "=" + QByteArray::number(factor) + "\r\nPr\xFC" +
           "fwert=" + QByteArray::number(verification) + "\r\n";
}

void ChooseFile(ModalScript& script, const QString& path) {
    script.On(FormChangeSens, [](QWidget*) { FormChangeSens->VerzAuftruf->click(); });
    script.ChooseInFileDialog(path);
}

// "Change", the serial number typed over the selected text, Enter.
void EnterSerial(ModalScript& script, const QString& serial) {
    script.On(FormChangeSens, [serial](QWidget*) {
        FormChangeSens->BitBtnSensChange->click();
        QTest::keyClicks(FormChangeSens->MaskEdit1, serial);
        QTest::keyClick(FormChangeSens->MaskEdit1, Qt::Key_Return);
    });
}

const QString Msg0 = QStringLiteral("Do not disconnect device from USB during this process!");
const QString Msg2 = QStringLiteral("No sensorfile selected!");
const QString Msg3 = QStringLiteral("File or filepath not guilty.");
const QString Msg5 = QStringLiteral("Writing Sensor data onto device completed.");
const QString Msg6 = QStringLiteral("Verification value was not correct!");
const QString Msg7 = QStringLiteral("Impossible value for sensor factor!");
const QString Msg8 =
    QStringLiteral("The serial number is too long: the tester takes at most 15 characters.");
const QString Msg9 = QStringLiteral("The tester does not answer. The sensor data was not written.");
const QString Question = QStringLiteral("Do you really want change sensor?  Last chance to abort!");
const QString WarningEng = QStringLiteral("Do not disconnect device from USB during this process!\n"
                                          "                    "
                                          "Sensor data will be installed now.");

bool TesterActionsEnabled() {
    return FormMain->ActionDeviceRead->isEnabled() && FormMain->ActionDeviceClear->isEnabled() &&
           FormMain->ActionChangeSens->isEnabled();
}

bool TesterActionsDisabled() {
    return !FormMain->ActionDeviceRead->isEnabled() && !FormMain->ActionDeviceClear->isEnabled() &&
           !FormMain->ActionChangeSens->isEnabled();
}

// The window as it is left after an attempt that did not end it.
struct Ready {
    bool open = false;
    QString file;
    bool panelHidden = false;
    bool buttonsEnabled = false;
};

Ready LookReady() {
    return {FormChangeSens->isVisible(), FormChangeSens->LabeledEditSensFaktor->text(),
            FormChangeSens->Panel1->isHidden(),
            FormChangeSens->BitBtnSensChange->isEnabled() &&
                FormChangeSens->BitBtnChgSensCancel->isEnabled()};
}

// The German module's answer for the two language codes.
class GermanCodes : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (qstrcmp(context, "TFormChangeSens") == 0 && qstrcmp(source, "ENG") == 0)
            return QStringLiteral("DEU");
        return {};
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestSensorChange : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void verifiedFactorIsWrittenIntoTheReadBlock();
    void wrongVerificationValueWritesNothing();
    void factorBoundsAndADeclinedConfirmation();
    void letterCaseAndSerialNumberLength();
    void testerLostBeforeTheWrite();
    void aWriteThatNeverArrives();
    void deviceChangeNotices();
    void withoutAFileAndEscapeAndTheCloseBox();
    void germanWarningAndHint();
    void aFileThatCannotBeReadIsNamedSo();

private:
    std::unique_ptr<MainWindowFixture> fx_;
    std::unique_ptr<QTemporaryDir> dir_;
    QList<int> pauses_;
    QList<int> requestsAtPause_;
};

void TestSensorChange::init() {
    fx_ = std::make_unique<MainWindowFixture>();
    dir_ = std::make_unique<QTemporaryDir>();
    fx_->WriteState(State());
    fx_->Start();
    QVERIFY(TesterActionsEnabled());
    // The pauses are recorded instead of slept, with what the tester had
    // received by then.
    pauses_.clear();
    requestsAtPause_.clear();
    FormChangeSens->Pause = [this](int ms) {
        pauses_ << ms;
        requestsAtPause_ << static_cast<int>(fx_->Requests().size());
    };
    fx_->ClearRequests();
}

void TestSensorChange::cleanup() {
    fx_.reset();
    dir_.reset();
}

void TestSensorChange::verifiedFactorIsWrittenIntoTheReadBlock() {
    const QString file =
        WriteSensorFile(*dir_, QStringLiteral("S-12345.sens"), SensorFile("12345", 65432, 20));
    FormMain->move(33, 44);
    ModalScript script;
    ChooseFile(script, file);
    EnterSerial(script, QStringLiteral("12345"));
    fx_->Answers().Expect(mrOk);
    // No "Cancel": the change itself ends the window.
    FormMain->ActionChangeSens->trigger();
    const QString hint = FormChangeSens->LabeledEditSensFaktor->toolTip();

    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QVERIFY(!FormChangeSens->isVisible());
    QCOMPARE(script.Boxes(), (QStringList{Msg0, WarningEng, Msg5}));
    QCOMPARE(fx_->Answers().Shown().size(), 1);
    const ShownMessage& q = fx_->Answers().Shown().first();
    QCOMPARE(q.Text, Question);
    QCOMPARE(q.Caption, QStringLiteral("Warning"));
    QCOMPARE(q.Buttons, (QStringList{"OK", "Cancel"}));
    QVERIFY(hint.startsWith(QLatin1String("Please select sensorfile.\n")));

    // The check after choosing the file, the read before the write, the write.
    const QStringList requests = fx_->Requests();
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[0], QStringLiteral("32 00"));
    QCOMPARE(requests[1], QStringLiteral("32 00"));
    const QList<Block> writes = Writes(requests);
    QCOMPARE(writes.size(), 1);
    QCOMPARE(Hex(writes[0]), Hex(Expected(65432, "12345")));
    // 500 ms before and after the write.
    QCOMPARE(pauses_, (QList<int>{500, 500}));
    QCOMPARE(requestsAtPause_, (QList<int>{2, 3}));

    QVERIFY(TesterActionsEnabled());
    QCOMPARE(FormMain->KompressSerie->Count(), 13);
    QCOMPARE(FormMain->VerlustSerie->Count(), 13);
    SettingsFile settings(fx_->SettingsPath().toStdString());
    QCOMPARE(settings.ReadInteger("ChgSens", "x", -1), FormChangeSens->x());
    QCOMPARE(settings.ReadInteger("ChgSens", "y", -1), FormChangeSens->y());
}

void TestSensorChange::wrongVerificationValueWritesNothing() {
    const QString file =
        WriteSensorFile(*dir_, QStringLiteral("S-12345.sens"), SensorFile("12345", 65432, 21));
    Ready after;
    ModalScript script;
    ChooseFile(script, file);
    EnterSerial(script, QStringLiteral("12345"));
    script.On(FormChangeSens, [&](QWidget*) {
        after = LookReady();
        // Escape is "Cancel".
        QTest::keyClick(FormChangeSens, Qt::Key_Escape);
    });
    FormMain->ActionChangeSens->trigger();

    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QCOMPARE(script.Boxes(), (QStringList{Msg0, Msg6}));
    QCOMPARE(fx_->Answers().Shown().size(), 0);
    QCOMPARE(fx_->Requests(), QStringList{"32 00"});
    QVERIFY(after.open);
    QCOMPARE(after.file, QString());
    QVERIFY(after.panelHidden);
    QVERIFY(after.buttonsEnabled);
    QVERIFY(pauses_.isEmpty());
}

void TestSensorChange::factorBoundsAndADeclinedConfirmation() {
    const QString f60000 =
        WriteSensorFile(*dir_, QStringLiteral("a.sens"), SensorFile("777", 60000, 6));
    const QString f80000 =
        WriteSensorFile(*dir_, QStringLiteral("b.sens"), SensorFile("777", 80000, 8));
    const QString f60001 =
        WriteSensorFile(*dir_, QStringLiteral("c.sens"), SensorFile("777", 60001, 7));
    const QString f79999 =
        WriteSensorFile(*dir_, QStringLiteral("d.sens"), SensorFile("777", 79999, 43));
    Ready afterDecline;
    ModalScript script;
    ChooseFile(script, f60000);
    EnterSerial(script, QStringLiteral("777"));
    ChooseFile(script, f80000);
    EnterSerial(script, QStringLiteral("777"));
    ChooseFile(script, f60001);
    EnterSerial(script, QStringLiteral("777"));
    script.On(FormChangeSens, [&](QWidget*) { afterDecline = LookReady(); });
    ChooseFile(script, f79999);
    EnterSerial(script, QStringLiteral("777"));
    fx_->Answers().Expect(mrCancel);
    fx_->Answers().Expect(mrOk);
    FormMain->ActionChangeSens->trigger();

    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    // Both bounds refused; the inner values reach the question.
    QCOMPARE(script.Boxes(), (QStringList{Msg0, Msg7, Msg7, WarningEng, Msg5}));
    QCOMPARE(fx_->Answers().Shown().size(), 2);
    QVERIFY(afterDecline.open);
    QCOMPARE(afterDecline.file, QString());
    QVERIFY(afterDecline.panelHidden);
    const QList<Block> writes = Writes(fx_->Requests());
    QCOMPARE(writes.size(), 1);
    QCOMPARE(Hex(writes[0]), Hex(Expected(79999, "777")));
    QCOMPARE(fx_->Requests().count(QStringLiteral("32 00")), 5);
}

void TestSensorChange::letterCaseAndSerialNumberLength() {
    const QByteArray body = "[sensorFACTOR]\r\n"
                            "sn-Ab12cd=71111\r\n"
                            "1234567890123456=71111\r\n"
                            "123456789012345=71111\r\n"
                            "Pr\xFC"
                            "fwert=11\r\n";
    const QString file = WriteSensorFile(*dir_, QStringLiteral("S.sens"), body);

    // Found in another letter case; written as typed.
    ModalScript script;
    ChooseFile(script, file);
    EnterSerial(script, QStringLiteral("SN-aB12CD"));
    fx_->Answers().Expect(mrOk);
    FormMain->ActionChangeSens->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QList<Block> writes = Writes(fx_->Requests());
    QCOMPARE(writes.size(), 1);
    QCOMPARE(Hex(writes[0]), Hex(Expected(71111, "SN-aB12CD")));

    // 16 characters do not fit and are refused before the lookup; 15 fill
    // the field up to its NUL at 33.
    fx_->ClearRequests();
    ChooseFile(script, file);
    EnterSerial(script, QStringLiteral("1234567890123456"));
    ChooseFile(script, file);
    EnterSerial(script, QStringLiteral("123456789012345"));
    fx_->Answers().Expect(mrOk);
    FormMain->ActionChangeSens->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QCOMPARE(script.Boxes().mid(3), (QStringList{Msg0, Msg8, WarningEng, Msg5}));
    QCOMPARE(fx_->Answers().Shown().size(), 2);
    writes = Writes(fx_->Requests());
    QCOMPARE(writes.size(), 1);
    QCOMPARE(Hex(writes[0]), Hex(Expected(71111, "123456789012345")));
    QCOMPARE(writes[0][33], std::uint8_t(0));
}

void TestSensorChange::testerLostBeforeTheWrite() {
    const QString file =
        WriteSensorFile(*dir_, QStringLiteral("S-12345.sens"), SensorFile("12345", 65432, 20));
    ModalScript script;
    ChooseFile(script, file);
    script.On(FormChangeSens, [this](QWidget*) {
        // Unplugged after the file was chosen.
        fx_->WriteState(State(QStringLiteral("connected=0\n")));
        FormChangeSens->BitBtnSensChange->click();
        QTest::keyClicks(FormChangeSens->MaskEdit1, QStringLiteral("12345"));
        QTest::keyClick(FormChangeSens->MaskEdit1, Qt::Key_Return);
    });
    fx_->Answers().Expect(mrOk);
    FormMain->ActionChangeSens->trigger();

    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QVERIFY(!FormChangeSens->isVisible());
    QCOMPARE(script.Boxes(), (QStringList{Msg0, WarningEng, Msg9}));
    QCOMPARE(fx_->Requests(), (QStringList{"32 00", "32 00 (not delivered)",
                                           "32 00 (not delivered)", "32 00 (not delivered)"}));
    QVERIFY(pauses_.isEmpty());
    QVERIFY(TesterActionsDisabled());
    QVERIFY(!FormMain->Link()->IsOpen());
}

void TestSensorChange::aWriteThatNeverArrives() {
    fx_->WriteState(State(QStringLiteral("fault_write=0x33\n")));
    const QString file =
        WriteSensorFile(*dir_, QStringLiteral("S-12345.sens"), SensorFile("12345", 65432, 20));
    ModalScript script;
    ChooseFile(script, file);
    EnterSerial(script, QStringLiteral("12345"));
    fx_->Answers().Expect(mrOk);
    FormMain->ActionChangeSens->trigger();

    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Boxes(), (QStringList{Msg0, WarningEng, Msg9}));
    const QStringList requests = fx_->Requests();
    QCOMPARE(requests.size(), 5);
    for (int i = 2; i < 5; ++i)
        QVERIFY2(requests[i].startsWith(QLatin1String("33 24 ")) &&
                     requests[i].endsWith(QLatin1String(" (not delivered)")),
                 qPrintable(requests[i]));
    QVERIFY(Writes(requests).isEmpty());
    // Only the pause before the write.
    QCOMPARE(pauses_, QList<int>{500});
    QVERIFY(TesterActionsDisabled());
    QVERIFY(!FormMain->Link()->IsOpen());
}

void TestSensorChange::deviceChangeNotices() {
    auto* watcher = FormMain->findChild<DeviceWatcher*>();
    QVERIFY(watcher);
    QStringList afterFirstNotice;
    bool openAfterFirstNotice = false;
    ModalScript script;
    script.On(FormChangeSens, [&](QWidget*) {
        // The tester still answers: the window stays.
        emit watcher->DeviceChanged();
        afterFirstNotice = fx_->Requests();
        openAfterFirstNotice = FormChangeSens->isVisible();
        fx_->WriteState(State(QStringLiteral("connected=0\n")));
        emit watcher->DeviceChanged();
    });
    FormMain->ActionChangeSens->trigger();

    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QVERIFY(openAfterFirstNotice);
    // The main window's look for the tester, then the window's own check.
    QCOMPARE(afterFirstNotice, (QStringList{"10 00", "32 00", "22 00", "32 00"}));
    // Gone: closed without a message.
    QVERIFY(!FormChangeSens->isVisible());
    QCOMPARE(script.Boxes(), QStringList{Msg0});
    QVERIFY(TesterActionsDisabled());
    QVERIFY(!FormMain->Link()->IsOpen());
}

void TestSensorChange::withoutAFileAndEscapeAndTheCloseBox() {
    const QString file =
        WriteSensorFile(*dir_, QStringLiteral("S-12345.sens"), SensorFile("12345", 65432, 20));
    const QString fifo = dir_->filePath(QStringLiteral("pipe.sens"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    Ready afterEscape;
    bool entryShown = false;
    bool buttonsDisabled = false;
    bool backAfterCloseBox = false;
    ModalScript script;
    script.On(FormChangeSens, [](QWidget*) { FormChangeSens->BitBtnSensChange->click(); });
    ChooseFile(script, fifo);
    ChooseFile(script, file);
    script.On(FormChangeSens, [&](QWidget*) {
        FormChangeSens->BitBtnSensChange->click();
        entryShown = !FormChangeSens->Panel1->isHidden();
        buttonsDisabled = !FormChangeSens->BitBtnSensChange->isEnabled() &&
                          !FormChangeSens->BitBtnChgSensCancel->isEnabled();
        QTest::keyClick(FormChangeSens->MaskEdit1, Qt::Key_Escape);
        afterEscape = LookReady();
        FormChangeSens->close();
    });
    // The close box brings the window straight back while the tester is open.
    script.On(FormChangeSens, [&](QWidget*) {
        backAfterCloseBox = FormChangeSens->isVisible();
        FormChangeSens->move(77, 55);
        FormChangeSens->BitBtnChgSensCancel->click();
    });
    FormMain->ActionChangeSens->trigger();

    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QCOMPARE(script.Boxes(), (QStringList{Msg0, Msg2, Msg3}));
    QVERIFY(entryShown);
    QVERIFY(buttonsDisabled);
    QVERIFY(afterEscape.open);
    QCOMPARE(afterEscape.file, file);
    QVERIFY(afterEscape.panelHidden);
    QVERIFY(afterEscape.buttonsEnabled);
    QVERIFY(backAfterCloseBox);
    QVERIFY(!FormChangeSens->isVisible());
    QVERIFY(Writes(fx_->Requests()).isEmpty());
    QVERIFY(TesterActionsEnabled());
    SettingsFile settings(fx_->SettingsPath().toStdString());
    QCOMPARE(settings.ReadInteger("ChgSens", "x", -1), 77);
    QCOMPARE(settings.ReadInteger("ChgSens", "y", -1), 55);
}

void TestSensorChange::germanWarningAndHint() {
    GermanCodes german;
    QCoreApplication::installTranslator(&german);
    const QString file =
        WriteSensorFile(*dir_, QStringLiteral("S-12345.sens"), SensorFile("12345", 65432, 20));
    ModalScript script;
    ChooseFile(script, file);
    EnterSerial(script, QStringLiteral("12345"));
    fx_->Answers().Expect(mrOk);
    FormMain->ActionChangeSens->trigger();
    const QString hint = FormChangeSens->LabeledEditSensFaktor->toolTip();
    QCoreApplication::removeTranslator(&german);

    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Boxes().value(1),
             QStringLiteral("Bitte entfernen Sie das Gerät während der Prozedur nicht vom "
                            "USB-Port!\n                    "
                            "Die Sensordaten werden nun überschrieben."));
    QCOMPARE(hint, QStringLiteral("Bitte wählen Sie die Sensordatei aus.\n"
                                  "Unterstützte Dateien: *.sens; Andere Dateien werden nicht "
                                  "unterstützt.\n"
                                  "Den Inhalt der Datei bitte nicht ändern."));
    QCOMPARE(Writes(fx_->Requests()).size(), 1);
}

void TestSensorChange::aFileThatCannotBeReadIsNamedSo() {
    const QByteArray good = SensorFile("12345", 65432, 20);
    const QByteArray large = good + QByteArray(70 * 1024, ';');
    const QString file = WriteSensorFile(*dir_, QStringLiteral("S-12345.sens"), good);
    const QString big = WriteSensorFile(*dir_, QStringLiteral("big.sens"), large);
    const std::string local = QFile::encodeName(file).toStdString();
    // Each time the chosen file changes before Enter: a pipe, a folder, too large.
    const std::function<void()> replacements[] = {
        [&] { QVERIFY(::mkfifo(local.c_str(), 0600) == 0); }, [&] { QVERIFY(QDir().mkdir(file)); },
        [&] { WriteSensorFile(*dir_, QStringLiteral("S-12345.sens"), large); }};
    PipeWatchdog watchdog(file, 5000);
    ModalScript script;
    // Too large already when chosen.
    ChooseFile(script, big);
    const auto takeAway = [&] {
        QFile::remove(file);
        QDir().rmdir(file);
    };
    for (const auto& replace : replacements) {
        script.On(FormChangeSens, [&](QWidget*) {
            takeAway();
            WriteSensorFile(*dir_, QStringLiteral("S-12345.sens"), good);
        });
        ChooseFile(script, file);
        script.On(FormChangeSens, [&, replace](QWidget*) {
            takeAway();
            replace();
        });
        EnterSerial(script, QStringLiteral("12345"));
    }
    script.On(FormChangeSens, [](QWidget*) { FormChangeSens->BitBtnChgSensCancel->click(); });
    FormMain->ActionChangeSens->trigger();

    QVERIFY(!script.TimedOut());
    QCOMPARE(script.Pending(), 0);
    QVERIFY2(!watchdog.Released(), "the change waited on the pipe");
    QCOMPARE(script.Boxes(), (QStringList{Msg0, Msg3, Msg3, Msg3, Msg3}));
    QCOMPARE(fx_->Answers().Shown().size(), 0);
    QVERIFY(Writes(fx_->Requests()).isEmpty());
    QVERIFY(TesterActionsEnabled());
}

QTEST_MAIN(TestSensorChange)
#include "test_sensor_change.moc"
