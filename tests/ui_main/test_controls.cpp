// The window's controls as a user meets them: the mouse wheel over the
// lists, disabled buttons, the standard keys, the wait cursor and the
// program's icon.
#include "tests/common/modal_script.h"
#include "tests/ui_main/main_window_fixture.h"

#include "app/main/main_window_icons.h"
#include "chart/bar_chart.h"
#include "dialogs/form_change_sens.h"
#include "dialogs/form_msg.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QSignalSpy>
#include <QSpontaneKeyEvent>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace {

// One notch of a real mouse wheel, downwards, over the middle of a widget.
void TurnWheel(QWidget* w) {
    const QPointF centre = QRectF(w->rect()).center();
    QWheelEvent wheel(centre, w->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    // Spontaneous and handed to notify as QTest does (sendEvent would clear
    // the mark), so that it takes the path of a real wheel: focus policy,
    // then on to the parents while ignored.
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(w, &wheel);
}

// Counts the wheel events that reach a widget.
class WheelCounter : public QObject {
public:
    explicit WheelCounter(QWidget* w) { w->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Wheel)
            ++Count;
        return false;
    }
};

// Pixels of exactly this colour in the lower third of a widget's picture
// (the caption under a tool button's icon).
int CaptionPixels(QWidget* w, const QColor& colour) {
    const QImage img = w->grab().toImage();
    int n = 0;
    for (int y = img.height() * 2 / 3; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixelColor(x, y).rgb() == colour.rgb();
    return n;
}

QPalette DarkPalette() {
    QPalette p(QColor(53, 53, 53), QColor(45, 45, 45));
    p.setColor(QPalette::Active, QPalette::ButtonText, QColor(240, 240, 240));
    p.setColor(QPalette::Inactive, QPalette::ButtonText, QColor(240, 240, 240));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    return p;
}

// The override cursor's shape now; -1 for none.
int CursorNow() {
    const QCursor* c = QApplication::overrideCursor();
    return c ? c->shape() : -1;
}

// Records the cursor at the moment the message dialog appears.
class CursorAtMessage : public QObject {
public:
    CursorAtMessage() { FormMsg->installEventFilter(this); }
    QList<int> Shapes;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show)
            Shapes << CursorNow();
        return false;
    }
};

// Ctrl and a key to the window, made active again after a dialog.
void PressCtrl(Qt::Key key) {
    FormMain->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FormMain));
    QTest::keyClick(FormMain, key, Qt::ControlModifier);
}

bool IsOtherDialog(QWidget* w) {
    return qobject_cast<QDialog*>(w) && w != FormMsg;
}

void Reject(QWidget* w) {
    static_cast<QDialog*>(w)->reject();
}

} // namespace

class TestControls : public QObject {
    Q_OBJECT
private slots:
    void wheelTurnsOnlyTheFocusedList();
    void disabledButtonsLookDisabled_data();
    void disabledButtonsLookDisabled();
    void standardKeysTriggerTheirActions();
    void waitCursorOnlyWhileTheTesterIsAsked();
    void windowShowsTheProgramIcon();
    void actionPicturesAreTheSvgDrawing();
    void logoFitsItsBoxFromTheFirstView();
};

void TestControls::wheelTurnsOnlyTheFocusedList() {
    MainWindowFixture fx;
    fx.WriteSettings(QStringLiteral("[Names]\n0=Anna\n1=Bernd\nLastUser=0\n"));
    fx.Start();
    FormMain->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FormMain));
    FormMain->LabeledEditCarID->setFocus();

    // Before any reading a stray wheel must not make the report "changed".
    QComboBox* third = FormMain->Selectors()[2];
    TurnWheel(third);
    QCOMPARE(third->currentIndex(), 3);
    QVERIFY(!FormMain->ActionFileSave->isEnabled());

    FormMain->ActionDeviceRead->trigger();
    const BarSeries& komp = *FormMain->KompressSerie;
    const double weak = komp.Point(3).Y;
    const double fourth = komp.Point(4).Y;
    QVERIFY(weak != fourth);
    const double leak3 = FormMain->VerlustSerie->Point(3).Y;

    QComboBox* lists[] = {third, FormMain->Selectors()[14], FormMain->ComboBoxUnit,
                          FormMain->ComboBoxNames};
    for (QComboBox* box : lists) {
        const int before = box->currentIndex();
        WheelCounter parent(box->parentWidget());
        TurnWheel(box);
        QVERIFY2(box->currentIndex() == before, qPrintable(box->objectName()));
        QVERIFY2(!box->hasFocus(), qPrintable(box->objectName()));
        QVERIFY2(parent.Count == 1, qPrintable(box->objectName()));
    }
    QCOMPARE(komp.Point(3).Y, weak);
    QCOMPARE(FormMain->VerlustSerie->Point(3).Y, leak3);
    QCOMPARE(FormMain->Report().CompressionAssignment[2], 3);
    QCOMPARE(FormMain->Report().LeakageAssignment[2], 3);
    QCOMPARE(FormMain->Report().Unit, 0);
    QCOMPARE(FormMain->Report().Operator, std::string("Anna"));
    QCOMPARE(FormMain->Label43->text(), QStringLiteral("bar"));

    // With the focus the wheel chooses as before, and the charts follow.
    third->setFocus();
    TurnWheel(third);
    QCOMPARE(third->currentIndex(), 4);
    QCOMPARE(komp.Point(3).Y, fourth);
    QCOMPARE(FormMain->Report().CompressionAssignment[2], 4);
    FormMain->ComboBoxUnit->setFocus();
    TurnWheel(FormMain->ComboBoxUnit);
    QCOMPARE(FormMain->Report().Unit, 1);
    QCOMPARE(FormMain->Label43->text(), QStringLiteral("kPa"));
    QCOMPARE(komp.Point(3).Y, fourth * 100);
}

void TestControls::disabledButtonsLookDisabled_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QApplication::style()->standardPalette();
    QTest::newRow("dark") << DarkPalette();
}

void TestControls::disabledButtonsLookDisabled() {
    QFETCH(QPalette, palette);
    const QPalette original = QApplication::palette();
    QApplication::setPalette(palette);
    const QColor disabled = palette.color(QPalette::Disabled, QPalette::ButtonText);
    const QColor enabled = palette.color(QPalette::Active, QPalette::ButtonText);
    QVERIFY(disabled != enabled);
    {
        MainWindowFixture fx;
        fx.WriteState(QStringLiteral("connected=0\n"));
        fx.Start();
        // No tester, no reading: Read Device, Clear Measures, Save and Print.
        for (int i : {0, 1, 3, 4}) {
            QToolButton* b = FormMain->SpeedButtons[i];
            QVERIFY(!b->isEnabled());
            QCOMPARE(b->palette().color(QPalette::Disabled, QPalette::ButtonText), disabled);
            QVERIFY2(CaptionPixels(b, disabled) > 0, qPrintable(b->text()));
            QVERIFY2(CaptionPixels(b, enabled) == 0, qPrintable(b->text()));
        }
        // An edit enables Save: its caption takes the enabled colour.
        QTest::keyClicks(FormMain->LabeledEditCarID, QStringLiteral("A"));
        QToolButton* save = FormMain->SpeedButtons[3];
        QVERIFY(save->isEnabled());
        QVERIFY(CaptionPixels(save, enabled) > 0);
        QCOMPARE(CaptionPixels(save, disabled), 0);

        // The menu greys the same actions.
        QMenu* device = nullptr;
        for (QMenu* m : FormMain->menuBar()->findChildren<QMenu*>())
            if (m->actions().contains(FormMain->ActionDeviceRead))
                device = m;
        QVERIFY(device);
        QCOMPARE(device->palette().color(QPalette::Disabled, QPalette::Text),
                 palette.color(QPalette::Disabled, QPalette::Text));
    }
    QApplication::setPalette(original);
}

void TestControls::standardKeysTriggerTheirActions() {
    MainWindowFixture fx;
    fx.Start();
    QSignalSpy open(FormMain->ActionFileOpen, &QAction::triggered);
    QSignalSpy save(FormMain->ActionFileSave, &QAction::triggered);
    QSignalSpy print(FormMain->ActionFilePrint, &QAction::triggered);

    // Nothing to save or print yet: the keys do nothing.
    PressCtrl(Qt::Key_S);
    PressCtrl(Qt::Key_P);
    QCOMPARE(save.count(), 0);
    QCOMPARE(print.count(), 0);

    ModalScript script;
    script.Then(IsOtherDialog, Reject); // the open dialog
    PressCtrl(Qt::Key_O);
    QCOMPARE(open.count(), 1);

    FormMain->ActionDeviceRead->trigger();
    // Saving asks for the vehicle and the operator first; Cancel stops it.
    fx.Answers().Expect(mrCancel);
    fx.Answers().Expect(mrCancel);
    PressCtrl(Qt::Key_S);
    QCOMPARE(save.count(), 1);
    QCOMPARE(fx.Answers().Pending(), 0);
    script.Then(IsOtherDialog, Reject); // the printer dialog
    PressCtrl(Qt::Key_P);
    QCOMPARE(print.count(), 1);
    QCOMPARE(script.Pending(), 0);
    QVERIFY(!script.TimedOut());

    // Quit closes the normal way: the unsaved report is asked about.
    fx.Answers().Expect(mrNo);
    PressCtrl(Qt::Key_Q);
    QVERIFY(!FormMain->isVisible());
    QCOMPARE(fx.Answers().Shown().last().Text, FormMain->MessageText(12));
    QCOMPARE(fx.Answers().Unexpected(), 0);
}

void TestControls::waitCursorOnlyWhileTheTesterIsAsked() {
    MainWindowFixture fx;
    fx.Start();
    QList<int> asked;
    connect(FormMain, &TFormMain::TesterAsked, [&asked] { asked << CursorNow(); });
    CursorAtMessage atMessage;

    // Read, erase after the question, device texts; the question itself
    // comes with the normal cursor.
    FormMain->ActionAutoClear->setChecked(true);
    fx.Answers().Expect(mrOk);
    FormMain->ActionDeviceRead->trigger();
    QCOMPARE(asked, (QList<int>{Qt::WaitCursor, Qt::WaitCursor, Qt::WaitCursor}));
    QCOMPARE(atMessage.Shapes, QList<int>{-1});
    QCOMPARE(CursorNow(), -1);

    // A failed read: the error message and what follows without it.
    asked.clear();
    fx.WriteState(QStringLiteral("fault_read=0x40\n"));
    fx.Answers().Expect(mrCancel);
    FormMain->ActionDeviceRead->trigger();
    QCOMPARE(asked, QList<int>{Qt::WaitCursor});
    QCOMPARE(atMessage.Shapes, (QList<int>{-1, -1}));
    QCOMPARE(CursorNow(), -1);

    asked.clear();
    FormMain->DetectTester();
    QCOMPARE(asked, QList<int>{Qt::WaitCursor});
    QCOMPARE(CursorNow(), -1);

    // The sensor change's pauses.
    fx.WriteState(QString());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("S-12345.sens"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Sensorfactor]\r\n12345=65432\r\nPr\xFC"
                "fwert=20\r\n");
    }
    QList<int> atPause;
    FormChangeSens->Pause = [&atPause](int) { atPause << CursorNow(); };
    ModalScript script;
    script.On(FormChangeSens, [](QWidget*) { FormChangeSens->VerzAuftruf->click(); });
    script.ChooseInFileDialog(file);
    script.On(FormChangeSens, [](QWidget*) {
        FormChangeSens->BitBtnSensChange->click();
        QTest::keyClicks(FormChangeSens->MaskEdit1, QStringLiteral("12345"));
        QTest::keyClick(FormChangeSens->MaskEdit1, Qt::Key_Return);
    });
    fx.Answers().Expect(mrOk);
    FormMain->ActionChangeSens->trigger();
    QVERIFY(!script.TimedOut());
    QCOMPARE(atPause, (QList<int>{Qt::WaitCursor, Qt::WaitCursor}));
    QCOMPARE(atMessage.Shapes.last(), -1); // the last question before writing
    QCOMPARE(CursorNow(), -1);
    QCOMPARE(fx.Answers().Unexpected(), 0);
}

void TestControls::windowShowsTheProgramIcon() {
    MainWindowFixture fx;
    fx.Start();
    const QImage shown = FormMain->windowIcon().pixmap(32, 32).toImage();
    QVERIFY(!shown.isNull());
    QVERIFY(shown != ImageListIcon(0).pixmap(32, 32).toImage());
    QCOMPARE(shown, ProgramIcon().pixmap(32, 32).toImage());
    // Every size the window system may ask for from its own picture file,
    // others shrunk from a larger one, never enlarged.
    const QIcon icon = ProgramIcon();
    QCOMPARE(icon.availableSizes().size(), 7);
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        QCOMPARE(icon.pixmap(side, side).toImage(),
                 QPixmap(QStringLiteral(":/app/vrx310-%1.png").arg(side)).toImage());
    QCOMPARE(icon.pixmap(40, 40).size(), QSize(40, 40));
    QCOMPARE(icon.pixmap(512, 512).size(), QSize(256, 256));
    QVERIFY(icon.pixmap(32, 32, QIcon::Disabled).toImage() != shown);
}

void TestControls::actionPicturesAreTheSvgDrawing() {
    MainWindowFixture fx;
    fx.Start();
    // The buttons show the files rendered at build time: the same pixels
    // the SVG engine draws, enabled and disabled, and the menus' size too.
    const QDir svgs(QStringLiteral(VRX_ACTION_SVG_DIR));
    const char* names[6] = {"read", "clear", "open", "save", "print", "exit"};
    for (int i = 0; i < 6; ++i) {
        const QIcon svg(svgs.filePath(QLatin1String(names[i]) + QStringLiteral(".svg")));
        const QIcon shown = FormMain->SpeedButtons[i]->icon();
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            const QImage want = svg.pixmap(32, 32, mode).toImage();
            QVERIFY(!want.isNull());
            QCOMPARE(shown.pixmap(32, 32, mode).toImage(), want);
        }
        QCOMPARE(shown.pixmap(16, 16).toImage(), svg.pixmap(16, 16).toImage());
    }
    QVERIFY(FormMain->SpeedButtons[0]->icon().pixmap(32, 32).toImage() !=
            FormMain->SpeedButtons[1]->icon().pixmap(32, 32).toImage());
}

void TestControls::logoFitsItsBoxFromTheFirstView() {
    MainWindowFixture fx;
    // A logo larger than its box, so that it is scaled down.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("logo.jpg"));
    QImage big(1600, 1000, QImage::Format_RGB32);
    big.fill(Qt::darkGreen);
    QVERIFY(big.save(file));
    fx.WriteSettings(QStringLiteral("[Company]\nVerzFirmenlogo=%1\n").arg(file));
    fx.Start();
    // Shown from the first view on (the box gets its size only as the
    // window shows), and drawn again when the box has another size.
    QLabel* box = FormMain->Image3;
    const auto fitted = [box] {
        const QSize room = box->size() - QSize(4, 4);
        return FormMain->LogoPicture().size().scaled(room, Qt::KeepAspectRatio);
    };
    QVERIFY(FormMain->LogoPicture().width() > box->width());
    QCOMPARE(box->pixmap().size(), fitted());
    const QSize first = box->size();
    FormMain->hide();
    FormMain->resize(FormMain->maximumSize());
    FormMain->show();
    QTRY_VERIFY(box->isVisible());
    QVERIFY(box->size() != first);
    QCOMPARE(box->pixmap().size(), fitted());
}

QTEST_MAIN(TestControls)
#include "test_controls.moc"
