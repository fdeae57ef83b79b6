#include "dialogs/form_msg.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString kTitle = QStringLiteral("KALDORIAN   VRX-310");

// Runs action on the message dialog once it is open and modal, the way a
// user would answer it. If the action leaves it open, a guard closes it
// with a result no button gives (-1), so a fault fails the test instead of
// hanging it.
void WhenOpen(std::function<void(TFormMsg*)> action) {
    auto* poll = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(poll, &QTimer::timeout, [poll, action, clock] {
        auto* dlg = qobject_cast<TFormMsg*>(QApplication::activeModalWidget());
        if (dlg && dlg->isVisible()) {
            poll->stop();
            poll->deleteLater();
            action(dlg);
            QPointer<TFormMsg> guard(dlg);
            QTimer::singleShot(3000, [guard] {
                if (guard && guard->isVisible())
                    guard->done(-1);
            });
        } else if (clock->elapsed() > 5000) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(5);
}

using ButtonPlaces = QList<QPair<int, int>>; // (modal result, left)

// What a user sees of the open dialog.
struct Seen {
    QString caption;
    QString text;
    QList<int> pictures;  // kinds whose picture is visible
    ButtonPlaces buttons; // (modal result, left) of visible buttons
    int focused = 0;      // modal result of the focused button
    QSize size;
    QPoint pos;
};

Seen Look(TFormMsg* dlg) {
    Seen s;
    s.caption = dlg->windowTitle();
    s.text = dlg->Label1()->text();
    for (int k = 0; k < 4; ++k)
        if (dlg->Image(k)->isVisible())
            s.pictures << k;
    for (int r : {mrCancel, mrYes, mrNo, mrOk}) {
        QPushButton* b = dlg->Button(r);
        if (b->isVisible())
            s.buttons << qMakePair(r, b->x());
        if (dlg->focusWidget() == b)
            s.focused = r;
    }
    s.size = dlg->size();
    s.pos = dlg->pos();
    return s;
}

// Key press delivered where the window system would deliver it.
void Key(TFormMsg* dlg, Qt::Key key) {
    QWidget* target = dlg->focusWidget() ? dlg->focusWidget() : dlg;
    QTest::keyClick(target, key);
}

class GermanTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char* = nullptr,
                      int = -1) const override {
        if (qstrcmp(context, "TFormMsg") != 0)
            return QString();
        static const QHash<QString, QString> de = {{"Information", "Information"},
                                                   {"Confirmation", "Bestätigung"},
                                                   {"Warning", "Warnung"},
                                                   {"Error", "Fehler"},
                                                   {"OK", "OK"},
                                                   {"Cancel", "Abbrechen"},
                                                   {"&Yes", "&Ja"},
                                                   {"&No", "&Nein"}};
        return de.value(QString::fromLatin1(source));
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestFormMsg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationDisplayName(kTitle); }
    void init() { dlg_ = new TFormMsg; }
    void cleanup() {
        delete dlg_;
        dlg_ = nullptr;
    }

    void kinds_data();
    void kinds();
    void buttonSets_data();
    void buttonSets();
    void clickResults_data();
    void clickResults();
    void closeBoxAnswersCancel_data();
    void closeBoxAnswersCancel();
    void escape();
    void enterPressesFocusedButton();
    void consecutiveCallsStartFromReset();
    void nestedCallLeavesOpenDialogAlone();
    void placementOneThirdIntoAnchor();
    void longTextKeepsFixedSize();
    void germanTranslator();

private:
    TFormMsg* dlg_ = nullptr;
};

void TestFormMsg::kinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("picture"); // -1: none
    QTest::newRow("information") << 0 << "Information" << 0;
    QTest::newRow("confirmation") << 1 << "Confirmation" << 1;
    QTest::newRow("warning") << 2 << "Warning" << 2;
    QTest::newRow("error") << 3 << "Error" << 3;
    QTest::newRow("other kind") << 7 << kTitle << -1;
    QTest::newRow("negative kind") << -1 << kTitle << -1;
}

void TestFormMsg::kinds() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(int, picture);
    Seen seen;
    WhenOpen([&](TFormMsg* d) {
        seen = Look(d);
        d->Button(mrOk)->click();
    });
    const int r = dlg_->ShowMsg(QStringLiteral("No measures available."), kind, btnOk, false);
    QCOMPARE(r, int(mrOk));
    QCOMPARE(seen.caption, caption);
    QCOMPARE(seen.text, QStringLiteral("No measures available."));
    QCOMPARE(seen.pictures, picture < 0 ? QList<int>() : QList<int>{picture});
    QCOMPARE(seen.buttons.size(), 1);
    if (picture >= 0) {
        QCOMPARE(dlg_->Image(picture)->geometry(), QRect(9, 9, 48, 48));
        QVERIFY(!dlg_->Image(picture)->pixmap().isNull());
    }
    QCOMPARE(dlg_->MessageTable(),
             QStringList({"Information", "Confirmation", "Warning", "Error"}));
}

void TestFormMsg::buttonSets_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<ButtonPlaces>("buttons"); // in tab order
    QTest::addColumn<int>("focused");
    QTest::newRow("ok") << 0 << ButtonPlaces{{mrOk, 30}} << int(mrOk);
    QTest::newRow("cancel") << 1 << ButtonPlaces{{mrCancel, 30}} << int(mrCancel);
    QTest::newRow("ok cancel") << 2 << ButtonPlaces{{mrCancel, 160}, {mrOk, 30}} << int(mrCancel);
    QTest::newRow("yes no") << 3 << ButtonPlaces{{mrYes, 30}, {mrNo, 160}} << int(mrYes);
    QTest::newRow("other set") << 9 << ButtonPlaces{{mrOk, 30}} << int(mrOk);
    QTest::newRow("negative set") << -3 << ButtonPlaces{{mrOk, 30}} << int(mrOk);
}

void TestFormMsg::buttonSets() {
    QFETCH(int, set);
    QFETCH(ButtonPlaces, buttons);
    QFETCH(int, focused);
    Seen seen;
    int afterTab = 0;
    WhenOpen([&](TFormMsg* d) {
        seen = Look(d);
        Key(d, Qt::Key_Tab);
        afterTab = Look(d).focused;
        d->close();
    });
    dlg_->ShowMsg(QStringLiteral("text"), mkWarning, set, false);
    QCOMPARE(seen.buttons, buttons);
    QCOMPARE(seen.focused, focused);
    for (int r : {mrOk, mrCancel, mrYes, mrNo}) {
        QCOMPARE(dlg_->Button(r)->y(), 100);
        QCOMPARE(dlg_->Button(r)->size(), QSize(110, 30));
    }
    // Tab walks the shown buttons: Cancel, Yes, No, OK, round again.
    const int next = buttons.size() == 1 ? buttons[0].first : buttons[1].first;
    QCOMPARE(afterTab, next);
}

void TestFormMsg::clickResults_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("button");
    QTest::newRow("ok") << 0 << int(mrOk);
    QTest::newRow("cancel") << 1 << int(mrCancel);
    QTest::newRow("ok of ok cancel") << 2 << int(mrOk);
    QTest::newRow("cancel of ok cancel") << 2 << int(mrCancel);
    QTest::newRow("yes") << 3 << int(mrYes);
    QTest::newRow("no") << 3 << int(mrNo);
}

void TestFormMsg::clickResults() {
    QFETCH(int, set);
    QFETCH(int, button);
    WhenOpen([button](TFormMsg* d) { QTest::mouseClick(d->Button(button), Qt::LeftButton); });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("text"), mkConfirmation, set, true), button);
    QVERIFY(!dlg_->isVisible());
}

void TestFormMsg::closeBoxAnswersCancel_data() {
    QTest::addColumn<int>("set");
    for (int s : {0, 1, 2, 3})
        QTest::newRow(QByteArray::number(s).constData()) << s;
}

void TestFormMsg::closeBoxAnswersCancel() {
    QFETCH(int, set);
    WhenOpen([](TFormMsg* d) { d->close(); });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("The current report is not saved! Save now?"),
                           mkConfirmation, set, false),
             int(mrCancel));
    // The same through a close event as the window system sends it.
    WhenOpen([](TFormMsg* d) {
        QCloseEvent ev;
        QApplication::sendEvent(d, &ev);
    });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("again"), mkConfirmation, set, false), int(mrCancel));
}

void TestFormMsg::escape() {
    WhenOpen([](TFormMsg* d) { Key(d, Qt::Key_Escape); });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("Erase anyway?"), mkConfirmation, btnYesNo, false),
             int(mrNo));

    WhenOpen([](TFormMsg* d) { Key(d, Qt::Key_Escape); });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("Erase?"), mkWarning, btnOkCancel, false), int(mrCancel));

    // OK alone: Escape does nothing, the dialog stays open until OK.
    bool stillOpen = false;
    WhenOpen([&](TFormMsg* d) {
        Key(d, Qt::Key_Escape);
        QApplication::processEvents();
        stillOpen = d->isVisible();
        d->Button(mrOk)->click();
    });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("Erasing failed!"), mkError, btnOk, false), int(mrOk));
    QVERIFY(stillOpen);
}

void TestFormMsg::enterPressesFocusedButton() {
    // OK/Cancel opens on Cancel although OK is the default button.
    WhenOpen([](TFormMsg* d) { Key(d, Qt::Key_Return); });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("x"), mkWarning, btnOkCancel, false), int(mrCancel));

    WhenOpen([](TFormMsg* d) {
        Key(d, Qt::Key_Tab); // Cancel -> OK
        Key(d, Qt::Key_Enter);
    });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("x"), mkWarning, btnOkCancel, false), int(mrOk));

    WhenOpen([](TFormMsg* d) { Key(d, Qt::Key_Return); });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("x"), mkConfirmation, btnYesNo, false), int(mrYes));

    WhenOpen([](TFormMsg* d) {
        Key(d, Qt::Key_Tab); // Yes -> No
        Key(d, Qt::Key_Return);
    });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("x"), mkConfirmation, btnYesNo, false), int(mrNo));
}

void TestFormMsg::consecutiveCallsStartFromReset() {
    Seen first, second;
    WhenOpen([&](TFormMsg* d) {
        first = Look(d);
        d->Button(mrNo)->click();
    });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("first"), mkError, btnYesNo, false), int(mrNo));
    WhenOpen([&](TFormMsg* d) {
        second = Look(d);
        d->Button(mrOk)->click();
    });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("second"), mkInformation, btnOk, false), int(mrOk));
    QCOMPARE(first.pictures, QList<int>{3});
    QCOMPARE(second.pictures, QList<int>{0});
    QCOMPARE(second.buttons, (ButtonPlaces{{mrOk, 30}}));
    QCOMPARE(second.focused, int(mrOk));
    QCOMPARE(second.caption, QStringLiteral("Information"));
    QCOMPARE(second.text, QStringLiteral("second"));

    // A kind without a picture after one with: nothing left over.
    Seen third;
    WhenOpen([&](TFormMsg* d) {
        third = Look(d);
        d->close();
    });
    dlg_->ShowMsg(QStringLiteral("third"), 99, btnCancel, false);
    QVERIFY(third.pictures.isEmpty());
    QCOMPARE(third.buttons, (ButtonPlaces{{mrCancel, 30}}));
}

void TestFormMsg::nestedCallLeavesOpenDialogAlone() {
    int nested = -1;
    Seen during;
    WhenOpen([&](TFormMsg* d) {
        nested = d->ShowMsg(QStringLiteral("inner"), mkError, btnOk, false);
        during = Look(d);
        d->Button(mrYes)->click();
    });
    QCOMPARE(dlg_->ShowMsg(QStringLiteral("outer"), mkConfirmation, btnYesNo, false), int(mrYes));
    QCOMPARE(nested, int(mrCancel));
    QCOMPARE(during.text, QStringLiteral("outer"));
    QCOMPARE(during.pictures, QList<int>{1});
    QCOMPARE(during.buttons, (ButtonPlaces{{mrYes, 30}, {mrNo, 160}}));
}

void TestFormMsg::placementOneThirdIntoAnchor() {
    QWidget anchor;
    anchor.setGeometry(100, 90, 602, 455);
    anchor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&anchor));
    const QRect fg = anchor.frameGeometry();
    dlg_->SetPlacementAnchor(&anchor);

    Seen seen;
    WhenOpen([&](TFormMsg* d) {
        seen = Look(d);
        d->close();
    });
    dlg_->ShowMsg(QStringLiteral("x"), mkInformation, btnOk, false);
    QCOMPARE(seen.pos, QPoint(fg.x() + fg.width() / 3, fg.y() + fg.height() / 3));

    // Each call follows the anchor's current place and size.
    anchor.setGeometry(40, 30, 300, 301);
    QTRY_COMPARE(anchor.geometry(), QRect(40, 30, 300, 301));
    const QRect fg2 = anchor.frameGeometry();
    WhenOpen([&](TFormMsg* d) {
        seen = Look(d);
        d->close();
    });
    dlg_->ShowMsg(QStringLiteral("x"), mkInformation, btnOk, false);
    QCOMPARE(seen.pos, QPoint(fg2.x() + fg2.width() / 3, fg2.y() + fg2.height() / 3));

    // Without an anchor the dialog stays where it is.
    TFormMsg free;
    free.move(57, 61);
    WhenOpen([&](TFormMsg* d) {
        seen = Look(d);
        d->close();
    });
    free.ShowMsg(QStringLiteral("x"), mkInformation, btnOk, false);
    QCOMPARE(seen.pos, QPoint(57, 61));
}

void TestFormMsg::longTextKeepsFixedSize() {
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QStringLiteral("Do you really want change sensor? ");
    Seen seen;
    QSize labelHint;
    WhenOpen([&](TFormMsg* d) {
        seen = Look(d);
        labelHint = QSize(210, d->Label1()->heightForWidth(210));
        d->close();
    });
    dlg_->ShowMsg(text, mkWarning, btnOkCancel, false);
    QCOMPARE(seen.size, QSize(300, 140));
    QCOMPARE(dlg_->Label1()->geometry(), QRect(84, 6, 210, 80));
    QVERIFY(labelHint.height() > 80); // the text did not fit: it is cut off
    QCOMPARE(dlg_->minimumSize(), QSize(300, 140));
    QCOMPARE(dlg_->maximumSize(), QSize(300, 140));
}

void TestFormMsg::germanTranslator() {
    GermanTranslator de;
    QVERIFY(QCoreApplication::installTranslator(&de));
    {
        TFormMsg created; // created with German installed, as at start-up
        QCOMPARE(created.MessageTable(),
                 QStringList({"Information", "Bestätigung", "Warnung", "Fehler"}));
        QCOMPARE(created.Button(mrCancel)->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(created.Button(mrYes)->text(), QStringLiteral("&Ja"));
        Seen seen;
        WhenOpen([&](TFormMsg* d) {
            seen = Look(d);
            d->close();
        });
        created.ShowMsg(QStringLiteral("x"), mkWarning, btnYesNo, false);
        QCOMPARE(seen.caption, QStringLiteral("Warnung"));
    }
    // A dialog that already exists follows a language change (the change
    // reaches windows through the event queue).
    QTRY_COMPARE(dlg_->Button(mrNo)->text(), QStringLiteral("&Nein"));
    QCoreApplication::removeTranslator(&de);
    QTRY_COMPARE(dlg_->Button(mrNo)->text(), QStringLiteral("&No"));
    QCOMPARE(dlg_->MessageTable().value(1), QStringLiteral("Confirmation"));
}

QTEST_MAIN(TestFormMsg)
#include "test_form_msg.moc"
